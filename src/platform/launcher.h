#pragma once

#include <QString>

namespace quel {

// Runs a program named by a command line, without a shell.
class Launcher {
public:
    virtual ~Launcher() = default;
    // False when the program could not be started; callers ignore it, as an operator's table may
    // name a program that has gone.
    virtual bool run(const QString& commandLine) = 0;
    // Whether a program of that name is on the search path, for commands that are offered only
    // where the program is there.
    virtual bool isInstalled(const QString& program) const = 0;
};

}  // namespace quel
