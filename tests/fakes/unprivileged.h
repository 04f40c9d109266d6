#pragma once

#include <unistd.h>
#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

#include <optional>

namespace quel::fakes {

// Root reads and writes whatever the permissions say, and CI runs as root, so a test of a refusal would
// prove nothing there. Such a test starts its own function (and data row) again as the unprivileged
// user nobody, whose exit status is the verdict. The temporary files of that run are its own.
inline bool isRoot() {
    return ::geteuid() == 0;
}

// Runs the current test function and data row as nobody; the text of the run when it failed.
inline std::optional<QString> runCurrentTestAsNobody() {
    QString selector = QString::fromLatin1(QTest::currentTestFunction());
    if (const char* tag = QTest::currentDataTag(); tag && *tag)
        selector += QLatin1Char(':') + QString::fromUtf8(tag);
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
    env.insert(QStringLiteral("HOME"), QStringLiteral("/tmp"));
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.setWorkingDirectory(QStringLiteral("/"));
    run.start(QStringLiteral("setpriv"),
              {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
               QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(), selector});
    constexpr int kRunMs = 60000;
    if (!run.waitForFinished(kRunMs) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0)
        return QString::fromLocal8Bit(run.readAll()) + run.errorString();
    return std::nullopt;
}

}  // namespace quel::fakes

// As the first line of a test of what an unprivileged user is refused: as root, the test runs again as
// nobody and passes or fails by that run; otherwise it goes on here.
#define QUEL_AS_UNPRIVILEGED_USER()                                                       \
    do {                                                                                  \
        if (quel::fakes::isRoot()) {                                                      \
            const std::optional<QString> failure = quel::fakes::runCurrentTestAsNobody(); \
            QVERIFY2(!failure, qPrintable(failure.value_or(QString())));                  \
            return;                                                                       \
        }                                                                                 \
    } while (false)
