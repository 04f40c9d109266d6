#pragma once

#include <QString>

class QTranslator;

namespace quel {

// Where the program's data was installed: <prefix>/share/quelbrook for an installed executable; in a
// build tree the data lies beside the executable itself.
QString installedDataDir(const QString& executableDir);

// The program folder for this run, created and filled from the installed data where it lacks it.
QString prepareProgramFolder(const QString& executableDir);

// Qt's own Chinese texts for the standard dialogs and buttons (文件名, 取消), whatever the user's
// locale: the interface around them is Chinese. Null when Qt's translations are not installed.
QTranslator* installQtChineseTexts();

// Runs the program: splash, then the main window. Returns the exit code.
int runProgram(int argc, char** argv);

}  // namespace quel
