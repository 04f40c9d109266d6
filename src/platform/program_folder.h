#pragma once

#include <QString>
#include <QStringList>

namespace quel {

// The names of what is installed with the program, in the spelling the program writes.
namespace installed {
inline const QString kTables = QStringLiteral("DayTimeTable");
inline const QString kPlayLists = QStringLiteral("PlayListFile");
inline const QString kToll = QStringLiteral("toll");
inline const QString kSayTime = QStringLiteral("SayTimeWav");
inline const QString kAlarmSound = QStringLiteral("timeup.mp3");
QStringList all();
}  // namespace installed

struct ProgramFolderInputs {
    QString homeOverride;    // $QUELBROOK_HOME
    QString executableDir;   // the folder of the running executable
    QString userDataDir;     // $XDG_DATA_HOME/quelbrook
};

// $QUELBROOK_HOME when set; else the executable's folder when it holds the data and can be written;
// else the per-user data folder.
QString chooseProgramFolder(const ProgramFolderInputs& in);

// Copies every installed item that `folder` lacks from `dataDir` (found without regard to case),
// creating the folder first. Existing files are never touched. False when something could not be made.
bool fillProgramFolder(const QString& folder, const QString& dataDir);

}  // namespace quel
