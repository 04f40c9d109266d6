#pragma once

// playerctl, as the desktop's users speak to a media player, against a private bus. It waits on the
// bus while this thread's event loop lets the player answer.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include "fakes/private_bus.h"

namespace quel::testing {

struct PlayerctlRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline PlayerctlRun playerctl(const fakes::PrivateBus& bus, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    bus.pointAtThisBus(env);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("playerctl"),
            QStringList{QStringLiteral("-p"), QStringLiteral("quelbrook")} + arguments);
    const QDeadlineTimer deadline(10000);
    while (p.state() != QProcess::NotRunning && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    p.waitForFinished(100);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace quel::testing
