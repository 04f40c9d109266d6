#pragma once

#include <sys/types.h>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>

#include "platform/command_words.h"
#include "platform/launcher.h"

namespace quel {

// Runs programs detached from this process: in a process group of their own, with the standard streams
// on /dev/null, in the program's own folder, and with none of our other file descriptors, so a
// started program cannot hold our sockets or files open after we end. No shell is involved.
class ProcessLauncher final : public QObject, public Launcher {
    Q_OBJECT
public:
    // `turnsBackAfter`: how long a started program keeps the short turns it inherits (short_turns.h).
    explicit ProcessLauncher(std::chrono::milliseconds turnsBackAfter = std::chrono::milliseconds(200),
                             QObject* parent = nullptr);
    ~ProcessLauncher() override;
    // True when the program was started: its exec succeeded. False for an empty command line, a
    // program that does not exist, and one that the system refuses to execute.
    bool run(const QString& commandLine) override;
    bool isInstalled(const QString& program) const override;

private:
    void reapWhenItEnds(pid_t pid);

    std::chrono::milliseconds turnsBackAfter_;
};

}  // namespace quel
