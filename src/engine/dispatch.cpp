#include "engine/dispatch.h"

#include <array>
#include <utility>

namespace quel {

namespace {

const QString kRunProgram = QStringLiteral("执行程序");

// Tried from the top; the first keyword the Response begins with decides.
const std::array<std::pair<QString, ResponseKind>, 13> kKeywords = {{
    {QStringLiteral("播音开-静态"), ResponseKind::BroadcastStaticOn},
    {QStringLiteral("播音开-动态"), ResponseKind::BroadcastDynamicOn},
    {QStringLiteral("播音关"), ResponseKind::BroadcastOff},
    {QStringLiteral("收音机开"), ResponseKind::RadioOn},
    {QStringLiteral("收音机关"), ResponseKind::RadioOff},
    {QStringLiteral("关机"), ResponseKind::Shutdown},
    {QStringLiteral("重启"), ResponseKind::Restart},
    {QStringLiteral("注销"), ResponseKind::Logoff},
    {QStringLiteral("校时"), ResponseKind::JustMyTime},
    {kRunProgram, ResponseKind::RunProgram},
    {QStringLiteral("打开表"), ResponseKind::OpenTable},
    {QStringLiteral("中文男声报时"), ResponseKind::SayTimeMale},
    {QStringLiteral("中文女声报时"), ResponseKind::SayTimeFemale},
}};

}  // namespace

ResponseKind responseKind(QStringView response) {
    for (const auto& [keyword, kind] : kKeywords) {
        if (response.startsWith(keyword))
            return kind;
    }
    return ResponseKind::Tone;
}

QString commandOf(QStringView response) {
    QStringView command = response.startsWith(kRunProgram) ? response.sliced(kRunProgram.size()) : response;
    if (command.size() > kMaxCommandLength) {
        qsizetype length = kMaxCommandLength;
        if (command[length - 1].isHighSurrogate())
            --length;
        command = command.first(length);
    }
    return command.toString();
}

}  // namespace quel
