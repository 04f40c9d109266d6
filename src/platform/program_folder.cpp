#include "platform/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <optional>

#include "platform/files.h"
#include "platform/settings_names.h"

namespace quel {

QStringList installed::all() {
    return {kTables, kPlayLists, kToll, kSayTime, kAlarmSound};
}

namespace {

bool holdsData(const QString& folder) {
    for (const QString& name : installed::all()) {
        if (!QFileInfo::exists(nameInFolder(folder, name)))
            return false;
    }
    return true;
}

bool copyTree(const QString& from, const QString& to) {
    const QFileInfo source(from);
    if (source.isFile())
        return QFile::exists(to) || QFile::copy(from, to);
    if (!QDir().mkpath(to))
        return false;
    bool ok = true;
    const QDir dir(from);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        ok = copyTree(entry.filePath(), to + QLatin1Char('/') + entry.fileName()) && ok;
    }
    return ok;
}

// The suffix QSaveFile gives the file it links in beside its target (Qt 6.4 on Linux writes into an
// unnamed O_TMPFILE, links it as "<target>.XXXXXX" when the target exists, and renames that over the
// target; without O_TMPFILE it writes "<target>.XXXXXX" from the start): a dot and six letters drawn
// from A-Z and a-z.
constexpr int kTempSuffixLetters = 6;

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// All lower case, all upper case, or a capital and lower case: how a person names a copy.
bool readsAsAWord(QStringView s) {
    const QStringView rest = s.mid(1);
    const bool restLower = std::all_of(rest.begin(), rest.end(), [](QChar c) { return c.isLower(); });
    const bool allUpper = std::all_of(s.begin(), s.end(), [](QChar c) { return c.isUpper(); });
    return restLower || allUpper;
}

// The name the stray was made for, when `name` is one.
std::optional<QString> strayOf(const QString& name) {
    const qsizetype dot = name.size() - kTempSuffixLetters - 1;
    if (dot < 1 || name.at(dot) != u'.')
        return std::nullopt;
    const QStringView suffix = QStringView(name).mid(dot + 1);
    if (!std::all_of(suffix.begin(), suffix.end(), isAsciiLetter) || readsAsAWord(suffix))
        return std::nullopt;
    return name.left(dot);
}

}  // namespace

QStringList removeStrayTempFiles(const QString& folder) {
    const QStringList settingsFiles = settings::all();
    const auto isSettingsFile = [&](const QString& name) {
        return settingsFiles.contains(name, Qt::CaseInsensitive);
    };
    const auto endsWith = [](const QString& suffix) {
        return [suffix](const QString& name) {
            return name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive);
        };
    };
    const std::pair<QString, std::function<bool(const QString&)>> places[] = {
        {folder, isSettingsFile},
        {nameInFolder(folder, installed::kTables), endsWith(QStringLiteral(".DTT"))},
        {nameInFolder(folder, installed::kPlayLists), endsWith(QStringLiteral(".PLF"))},
    };
    QStringList removed;
    for (const auto& [dir, owns] : places) {
        const QFileInfoList entries =
            QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            const std::optional<QString> target = strayOf(entry.fileName());
            if (target && owns(*target) && QFile::remove(entry.filePath()))
                removed << entry.filePath();
        }
    }
    return removed;
}

QString chooseProgramFolder(const ProgramFolderInputs& in) {
    if (!in.homeOverride.isEmpty())
        return QDir::cleanPath(QDir(in.homeOverride).absolutePath());
    const QFileInfo exeDir(in.executableDir);
    if (holdsData(in.executableDir) && exeDir.isWritable())
        return QDir::cleanPath(in.executableDir);
    return QDir::cleanPath(in.userDataDir);
}

bool fillProgramFolder(const QString& folder, const QString& dataDir) {
    if (!QDir().mkpath(folder))
        return false;
    bool ok = true;
    for (const QString& name : installed::all()) {
        if (QFileInfo::exists(nameInFolder(folder, name)))
            continue;
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
