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
    QString homeOverride;   // $QUELBROOK_HOME
    QString executableDir;  // the folder of the running executable
    QString userDataDir;    // $XDG_DATA_HOME/quelbrook
};

// $QUELBROOK_HOME when set; else the executable's folder when it holds the data and can be written;
// else the per-user data folder.
QString chooseProgramFolder(const ProgramFolderInputs& in);

// Copies every installed item that `folder` lacks from `dataDir` (found without regard to case),
// creating the folder first. Existing files are never touched. False when something could not be made.
bool fillProgramFolder(const QString& folder, const QString& dataDir);

// Removes what a kill during an atomic write leaves beside the program's own files: the new content
// linked in as "<name>.XXXXXX" (six random letters) before the rename that never came. Only the
// settings files of `folder`, the tables of DayTimeTable/ and the play lists of PlayListFile/ are
// looked at, and a suffix that reads as a word (backup, Summer, WINTER) is taken for a copy someone
// made. Run only while this instance holds the guard: another one may be writing. Gives what went.
QStringList removeStrayTempFiles(const QString& folder);

}  // namespace quel
