#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <variant>

namespace quel::campus {

// What a bundle holds: every file a follower needs to ring as the source does, by its path relative to
// the program folder, with its size and SHA-256. The manifest is what the source signs, so a follower
// trusts a file only through it.
struct ManifestFile {
    QString path;
    qint64 size = 0;
    QByteArray sha256;  // 64 lowercase hex digits

    bool operator==(const ManifestFile&) const = default;
};

struct Manifest {
    // Milliseconds since the epoch of the publication, raised past the previous one when the source's
    // clock was set back, so a follower can tell a newer bundle from a replayed old one.
    qint64 version = 0;
    QDateTime published;  // UTC
    // The source's program folder: its tables name sounds by full paths that start with it.
    QString sourceFolder;
    QList<ManifestFile> files;

    bool operator==(const Manifest&) const = default;
};

// Limits a follower holds any bundle to, so a wrong address or a hostile server cannot fill its disk.
inline constexpr qint64 kMaxManifestBytes = 4 * 1024 * 1024;
inline constexpr qint64 kMaxBundleBytes = 1024LL * 1024 * 1024;
inline constexpr qsizetype kMaxFiles = 20000;
inline constexpr qsizetype kMaxPathLength = 1024;

struct ManifestError {
    QString message;
};

using ManifestResult = std::variant<Manifest, ManifestError>;

// Reads a manifest; every path is checked here, so nothing that passes can leave the program folder
// or touch what is not the bundle's to write.
ManifestResult parseManifest(const QByteArray& bytes);
QByteArray manifestBytes(const Manifest& manifest);

// Empty when `path` may be written by a bundle; else why not. A path is relative, in "/" form, without
// "." or ".." parts, hidden parts or control characters, and stays out of the follower's own state
// (the campus folder, the history) and of the settings that belong to one machine.
QString pathRefusal(const QString& path);

// The folder of the program folder where the campus keeps its keys, its cache and its state.
inline const QString kCampusFolder = QStringLiteral("Campus");

// The settings files that change what rings and when, which the source hands on.
QStringList ringingSettings();

}  // namespace quel::campus
