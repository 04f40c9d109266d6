#pragma once

#include <QString>

namespace quel {

// Where the program's data was installed: <prefix>/share/quelbrook for an installed executable; in a
// build tree the data lies beside the executable itself.
QString installedDataDir(const QString& executableDir);

// The program folder for this run, created and filled from the installed data where it lacks it.
QString prepareProgramFolder(const QString& executableDir);

// Runs the program: splash, then the main window. Returns the exit code.
int runProgram(int argc, char** argv);

}  // namespace quel
