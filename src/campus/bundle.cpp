#include "campus/bundle.h"

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/program_folder.h"
#include "platform/settings_names.h"
#include "schedule/entry_grammar.h"
#include "schedule/table.h"
#include "schedule/table_file.h"

namespace quel::campus {

namespace {

const QString kInstalledName = QStringLiteral("installed.signed");
const QString kPendingName = QStringLiteral("pending.signed");
const QString kStagingName = QStringLiteral("staging");
constexpr qint64 kChunk = 1024 * 1024;
// Text files are read whole to replace the source's folder in their paths.
constexpr qint64 kMaxRewrittenText = 64 * 1024 * 1024;

QString join(const QString& folder, const QString& name) {
    return folder + QLatin1Char('/') + name;
}

QString campusPath(const QString& programFolder, const QString& name) {
    return join(join(programFolder, kCampusFolder), name);
}

bool isRegularNoLink(const QString& path) {
    const QFileInfo info(path);
    return !info.isSymLink() && info.isFile();
}

std::optional<QByteArray> readWhole(const QString& path, qint64 cap) {
    QFile f(path);
    if (!isRegularNoLink(path) || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = f.read(cap + 1);
    if (bytes.size() > cap)
        return std::nullopt;
    return bytes;
}

bool atomicWrite(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush() && f.commit();
}

bool isTextFile(const QString& path) {
    const QString lower = path.toLower();
    return lower.endsWith(QLatin1String(".dtt")) || lower.endsWith(QLatin1String(".plf")) ||
           lower.endsWith(QLatin1String(".txt"));
}

// The paths named in a table text: tone sounds, the play lists of broadcasts, the tables of 打开表.
QStringList namedInTable(const QString& tableText) {
    QStringList named;
    for (const QString& entry : splitTableText(tableText)) {
        const ParsedResponse r = parseResponse(splitEntry(entry).response);
        switch (r.kind) {
            case ResponseKind::Tone:
            case ResponseKind::BroadcastStaticOn:
            case ResponseKind::BroadcastDynamicOn:
            case ResponseKind::OpenTable:
                if (!r.payload.trimmed().isEmpty())
                    named.push_back(r.payload.trimmed());
                break;
            default:
                break;
        }
    }
    return named;
}

// The tracks of a play list file: "|" before each full path, the whole as one quoted line.
QStringList namedInPlayList(const QByteArray& bytes) {
    return fileformat::firstField(fileformat::decode(bytes)).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

QStringList filesIn(const QString& programFolder, const QString& folder, const QString& suffix) {
    QStringList found;
    const QDir dir(join(programFolder, folder));
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!info.isSymLink() && info.suffix().compare(suffix, Qt::CaseInsensitive) == 0 &&
            pathRefusal(join(folder, info.fileName())).isEmpty())
            found.push_back(join(folder, info.fileName()));
    }
    return found;
}

struct Copied {
    QByteArray sha256;
    qint64 size = 0;
};

// Copies a file into the bundle's payload folder under its hash, hashing the very bytes it copies, so a
// file edited meanwhile can never be stored under another file's hash.
std::optional<Copied> copyToPayloads(const QString& source, const QString& payloads) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    QTemporaryFile out(join(payloads, QStringLiteral("incoming-XXXXXX")));
    if (!out.open())
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    Copied c;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return std::nullopt;
        hash.addData(chunk);
        c.size += chunk.size();
        if (c.size > kMaxBundleBytes || out.write(chunk) != chunk.size())
            return std::nullopt;
    }
    if (!out.flush())
        return std::nullopt;
    c.sha256 = hash.result().toHex();
    const QString target = join(payloads, QString::fromLatin1(c.sha256));
    if (QFileInfo::exists(target))
        return c;
    out.setAutoRemove(false);
    out.close();
    std::error_code ec;
    std::filesystem::rename(out.fileName().toStdString(), target.toStdString(), ec);
    if (ec) {
        QFile::remove(out.fileName());
        return std::nullopt;
    }
    return c;
}

std::optional<Manifest> unverifiedManifest(const QByteArray& signedBytes) {
    if (signedBytes.size() <= kSignatureBytes)
        return std::nullopt;
    const ManifestResult r = parseManifest(signedBytes.mid(kSignatureBytes));
    if (const Manifest* m = std::get_if<Manifest>(&r))
        return *m;
    return std::nullopt;
}

// A parent folder of `relative` inside the program folder that is a link, or stands as a file: the
// write would land outside the folder, or not at all. Empty when the way is clear.
QString blockedParent(const QString& programFolder, const QString& relative) {
    const QStringList parts = relative.split(QLatin1Char('/'));
    QString path = programFolder;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        path = join(path, parts[i]);
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            return {};  // missing: made as a real folder below
        if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode))
            return path;
    }
    return {};
}

}  // namespace

QByteArray sha256Hex(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

Collected collectFiles(const QString& programFolder) {
    Collected c;
    QSet<QString> seen;
    auto add = [&](const QString& relative) {
        if (!seen.contains(relative)) {
            seen.insert(relative);
            c.paths.push_back(relative);
        }
    };
    QStringList named;
    for (const QString& table : filesIn(programFolder, installed::kTables, QStringLiteral("DTT"))) {
        add(table);
        if (const auto bytes = readWhole(join(programFolder, table), Files::kDocumentCap))
            named += namedInTable(tableTextFromBytes(*bytes));
    }
    for (const QString& list : filesIn(programFolder, installed::kPlayLists, QStringLiteral("PLF"))) {
        add(list);
        if (const auto bytes = readWhole(join(programFolder, list), Files::kDocumentCap))
            named += namedInPlayList(*bytes);
    }
    for (const QString& setting : ringingSettings()) {
        if (isRegularNoLink(join(programFolder, setting)))
            add(setting);
    }
    if (const auto bytes = readWhole(join(programFolder, settings::kUserWav), Files::kSettingsCap))
        named.push_back(fileformat::firstField(fileformat::decode(*bytes)));
    if (isRegularNoLink(join(programFolder, installed::kAlarmSound)))
        add(installed::kAlarmSound);

    const QString prefix = programFolder + QLatin1Char('/');
    QSet<QString> reported;
    for (const QString& path : named) {
        if (path.isEmpty() || reported.contains(path))
            continue;
        reported.insert(path);
        const QString clean = QDir::cleanPath(path);
        if (!clean.startsWith(prefix)) {
            c.outside.push_back(path);
            continue;
        }
        const QString relative = clean.mid(prefix.size());
        if (!pathRefusal(relative).isEmpty()) {
            c.outside.push_back(path);
        } else if (!QFileInfo(clean).isFile()) {
            c.missing.push_back(path);
        } else {
            add(relative);
        }
    }
    return c;
}

PublishResult publishBundle(const QString& programFolder, const QString& bundleFolder, const KeyPair& keys,
                            const QDateTime& now) {
    PublishResult result;
    const QString payloads = join(bundleFolder, kPayloadFolder);
    if (!QDir().mkpath(payloads))
        return {false, QStringLiteral("无法建立发布文件夹: %1").arg(bundleFolder), {}, {}, {}};
    const QString manifestPath = join(bundleFolder, kManifestName);
    std::optional<Manifest> previous;
    if (const auto bytes = readWhole(manifestPath, kMaxManifestBytes + kSignatureBytes)) {
        if (const auto opened = openSignedManifest(*bytes, keys.publicKey)) {
            const ManifestResult r = parseManifest(*opened);
            if (const Manifest* m = std::get_if<Manifest>(&r))
                previous = *m;
        }
    }

    const Collected collected = collectFiles(programFolder);
    result.outside = collected.outside;
    result.missing = collected.missing;
    Manifest& m = result.manifest;
    m.version = now.toMSecsSinceEpoch();
    if (previous && previous->version >= m.version)
        m.version = previous->version + 1;
    m.published = now.toUTC();
    m.sourceFolder = programFolder;
    qint64 total = 0;
    for (const QString& relative : collected.paths) {
        const std::optional<Copied> copied = copyToPayloads(join(programFolder, relative), payloads);
        if (!copied)
            return {false, QStringLiteral("无法复制文件: %1").arg(relative), {}, {}, {}};
        total += copied->size;
        if (total > kMaxBundleBytes)
            return {false, QStringLiteral("同步包超过大小上限"), {}, {}, {}};
        m.files.push_back({relative, copied->size, copied->sha256});
    }
    if (!atomicWrite(manifestPath, signManifest(manifestBytes(m), keys.secretKey)))
        return {false, QStringLiteral("无法写入清单: %1").arg(manifestPath), {}, {}, {}};

    QSet<QString> keep;
    for (const ManifestFile& f : m.files)
        keep.insert(QString::fromLatin1(f.sha256));
    if (previous) {
        for (const ManifestFile& f : previous->files)
            keep.insert(QString::fromLatin1(f.sha256));
    }
    for (const QString& name : QDir(payloads).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!keep.contains(name) && !name.startsWith(QLatin1String("incoming-")))
            QFile::remove(join(payloads, name));
    }
    result.ok = true;
    result.message = QStringLiteral("已发布版本 %1，共 %2 个文件").arg(m.version).arg(m.files.size());
    return result;
}

QString cacheFolder(const QString& programFolder) {
    return campusPath(programFolder, kPayloadFolder);
}

QString cachedPath(const QString& programFolder, const QByteArray& sha256) {
    return join(cacheFolder(programFolder), QString::fromLatin1(sha256));
}

bool isCached(const QString& programFolder, const ManifestFile& file) {
    const QString path = cachedPath(programFolder, file.sha256);
    if (!isRegularNoLink(path) || QFileInfo(path).size() != file.size)
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return hash.addData(&f) && hash.result().toHex() == file.sha256;
}

bool storeInCache(const QString& programFolder, const QByteArray& sha256, const QByteArray& bytes) {
    return QDir().mkpath(cacheFolder(programFolder)) && atomicWrite(cachedPath(programFolder, sha256), bytes);
}

std::optional<Manifest> installedManifest(const QString& programFolder) {
    const auto bytes =
        readWhole(campusPath(programFolder, kInstalledName), kMaxManifestBytes + kSignatureBytes);
    return bytes ? unverifiedManifest(*bytes) : std::nullopt;
}

InstallResult installBundle(const QString& programFolder, const QByteArray& signedManifest,
                            const Manifest& manifest) {
    const QString staging = campusPath(programFolder, kStagingName);
    QDir(staging).removeRecursively();
    for (const ManifestFile& f : manifest.files) {
        if (const QString blocked = blockedParent(programFolder, f.path); !blocked.isEmpty())
            return {false, QStringLiteral("路径经过链接或文件: %1").arg(blocked)};
        if (!isCached(programFolder, f))
            return {false, QStringLiteral("文件不完整: %1").arg(f.path)};
        const QString staged = join(staging, f.path);
        if (!QDir().mkpath(QFileInfo(staged).path()))
            return {false, QStringLiteral("无法建立文件夹: %1").arg(staged)};
        const QString cached = cachedPath(programFolder, f.sha256);
        if (isTextFile(f.path) && f.size <= kMaxRewrittenText && !manifest.sourceFolder.isEmpty() &&
            manifest.sourceFolder != programFolder) {
            // Tables and settings name sounds by full paths in the source's folder.
            QByteArray bytes = readWhole(cached, kMaxRewrittenText).value_or(QByteArray());
            bytes.replace((manifest.sourceFolder + QLatin1Char('/')).toUtf8(),
                          (programFolder + QLatin1Char('/')).toUtf8());
            if (!atomicWrite(staged, bytes))
                return {false, QStringLiteral("无法写入: %1").arg(staged)};
        } else {
            QFile::remove(staged);
            if (!QFile::copy(cached, staged))
                return {false, QStringLiteral("无法写入: %1").arg(staged)};
        }
    }
    // From here the bundle is whole on disk; what follows can be finished after a stop.
    if (!atomicWrite(campusPath(programFolder, kPendingName), signedManifest))
        return {false, QStringLiteral("无法记录同步")};
    for (const ManifestFile& f : manifest.files) {
        const QString target = join(programFolder, f.path);
        if (!QDir().mkpath(QFileInfo(target).path()))
            return {false, QStringLiteral("无法建立文件夹: %1").arg(target)};
        std::error_code ec;
        std::filesystem::rename(QFile::encodeName(join(staging, f.path)).toStdString(),
                                QFile::encodeName(target).toStdString(), ec);
        if (ec)
            return {false, QStringLiteral("无法替换: %1").arg(target)};
    }
    if (!atomicWrite(campusPath(programFolder, kInstalledName), signedManifest))
        return {false, QStringLiteral("无法记录同步")};
    QFile::remove(campusPath(programFolder, kPendingName));
    QDir(staging).removeRecursively();

    // The cache keeps what this bundle names, so the next one fetches only what changed.
    QSet<QString> keep;
    for (const ManifestFile& f : manifest.files)
        keep.insert(QString::fromLatin1(f.sha256));
    for (const QString& name : QDir(cacheFolder(programFolder)).entryList(QDir::Files | QDir::Hidden)) {
        if (!keep.contains(name))
            QFile::remove(join(cacheFolder(programFolder), name));
    }
    return {true, QStringLiteral("已同步版本 %1").arg(manifest.version)};
}

bool resumePendingInstall(const QString& programFolder, const QByteArray& publicKey) {
    const QString pending = campusPath(programFolder, kPendingName);
    const auto bytes = readWhole(pending, kMaxManifestBytes + kSignatureBytes);
    if (!bytes)
        return false;
    const auto opened = openSignedManifest(*bytes, publicKey);
    const ManifestResult r = opened ? parseManifest(*opened) : ManifestResult(ManifestError{});
    const Manifest* m = std::get_if<Manifest>(&r);
    if (!m) {
        QFile::remove(pending);
        return false;
    }
    return installBundle(programFolder, *bytes, *m).ok;
}

}  // namespace quel::campus
