// The page on fake actions, for the browser test: listens on 127.0.0.1 at a port the system picks,
// prints "PORT <n>", then one line per change the page makes ("127.0.0.1 立即打铃 ok").
#include <QCoreApplication>
#include <cstdio>

#include "fakes/fake_platform.h"
#include "remote/web/remote_page.h"
#include "web_fakes.h"

namespace {

class PrintedLog final : public quel::RemoteLog {
public:
    void remoteChange(const QString& address, const QString& what,
                      const quel::ActionResult& result) override {
        std::printf("%s %s %s\n", qPrintable(address), qPrintable(what), result.ok ? "ok" : "failed");
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PASSWORD\n", argv[0]);
        return 2;
    }
    quel::SystemClock clock;
    quel::fakes::FakeRemoteActions actions;
    PrintedLog log;
    quel::PageSettings settings{true, QStringLiteral("127.0.0.1"), 0,
                                quel::passwordDigest(QString::fromUtf8(argv[1]), 1000)};
    quel::RemotePage page(clock, actions, log, settings);
    QString error;
    if (!page.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("PORT %u\n", page.port());
    std::fflush(stdout);
    return QCoreApplication::exec();
}
