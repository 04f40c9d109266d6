#pragma once

#include <QTextStream>

#include "remote/command_line.h"

namespace quel {

class InstanceGuard;

// Hands a parsed command line to the running program through `instance` and prints its one-line
// answer: on `out` when it was done, on `err` otherwise. Gives the exit status (exit_status).
int runRequest(const CommandLine& command, InstanceGuard& instance, QTextStream& out, QTextStream& err);

}  // namespace quel
