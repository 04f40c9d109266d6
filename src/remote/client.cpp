#include "remote/client.h"

#include "platform/instance.h"

namespace quel {

int runRequest(const CommandLine& command, InstanceGuard& instance, QTextStream& out, QTextStream& err) {
    switch (command.kind) {
        case CommandLine::Kind::StartProgram:
            return exit_status::kUsage;
        case CommandLine::Kind::Help:
            out << usageText();
            out.flush();
            return exit_status::kDone;
        case CommandLine::Kind::Invalid:
            err << "quelbrook: " << command.message << '\n';
            err.flush();
            return exit_status::kUsage;
        case CommandLine::Kind::Request:
            break;
    }
    const std::optional<QByteArray> answer = instance.sendRequest(requestLine(command.request));
    if (!answer) {
        err << "quelbrook: 没有正在运行的 Quelbrook(先启动程序)\n";
        err.flush();
        return exit_status::kNotRunning;
    }
    const ActionResult result = answer->isEmpty()
                                    ? ActionResult{false, QStringLiteral("运行中的程序没有回答")}
                                    : parseAnswerLine(*answer);
    QTextStream& stream = result.ok ? out : err;
    stream << (result.ok ? "" : "quelbrook: ") << result.message << '\n';
    stream.flush();
    return result.ok ? exit_status::kDone : exit_status::kRefused;
}

}  // namespace quel
