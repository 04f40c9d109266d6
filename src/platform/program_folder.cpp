#include "platform/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/files.h"

namespace quel {

QStringList installed::all() { return {kTables, kPlayLists, kToll, kSayTime, kAlarmSound}; }

namespace {

bool holdsData(const QString& folder) {
    for (const QString& name : installed::all()) {
        if (!QFileInfo::exists(nameInFolder(folder, name))) return false;
    }
    return true;
}

bool copyTree(const QString& from, const QString& to) {
    const QFileInfo source(from);
    if (source.isFile()) return QFile::exists(to) || QFile::copy(from, to);
    if (!QDir().mkpath(to)) return false;
    bool ok = true;
    const QDir dir(from);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        ok = copyTree(entry.filePath(), to + QLatin1Char('/') + entry.fileName()) && ok;
    }
    return ok;
}

}  // namespace

QString chooseProgramFolder(const ProgramFolderInputs& in) {
    if (!in.homeOverride.isEmpty()) return QDir::cleanPath(QDir(in.homeOverride).absolutePath());
    const QFileInfo exeDir(in.executableDir);
    if (holdsData(in.executableDir) && exeDir.isWritable()) return QDir::cleanPath(in.executableDir);
    return QDir::cleanPath(in.userDataDir);
}

bool fillProgramFolder(const QString& folder, const QString& dataDir) {
    if (!QDir().mkpath(folder)) return false;
    bool ok = true;
    for (const QString& name : installed::all()) {
        if (QFileInfo::exists(nameInFolder(folder, name))) continue;
        const QString source = nameInFolder(dataDir, name);
        if (QFileInfo::exists(source)) {
            ok = copyTree(source, folder + QLatin1Char('/') + name) && ok;
        } else if (name == installed::kTables || name == installed::kPlayLists) {
            // The document folders ship empty; make them even where no data was installed.
            ok = QDir().mkpath(folder + QLatin1Char('/') + name) && ok;
        } else {
            ok = false;
        }
    }
    return ok;
}

}  // namespace quel
