#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

#include "campus/manifest.h"
#include "campus/signing.h"

namespace quel::campus {

// A bundle folder, as a web server or a shared folder offers it: the signed manifest, and every file
// under its SHA-256, so a file never changes under a name a follower is fetching.
inline const QString kManifestName = QStringLiteral("manifest.signed");
inline const QString kPayloadFolder = QStringLiteral("files");

// What the source hands on, relative to its program folder: the tables, the play lists, the settings
// that ring and the sounds they name. Sounds outside the program folder cannot travel by a relative
// path; they are named in `outside` so the operator can move them in. Named sounds that are missing
// are listed in `missing`.
struct Collected {
    QStringList paths;
    QStringList outside;
    QStringList missing;
};
Collected collectFiles(const QString& programFolder);

struct PublishResult {
    bool ok = false;
    QString message;
    Manifest manifest;
    QStringList outside;
    QStringList missing;
};

// Writes the bundle of `programFolder` into `bundleFolder`: first every file under its hash, then the
// signed manifest in one atomic rename, so a follower reading meanwhile sees the old bundle or the new
// one, whole. The version is `now` in milliseconds, or one past the bundle already there when the
// clock was set back. Files of older bundles go, except those the previous manifest names, which a
// follower may still be fetching.
PublishResult publishBundle(const QString& programFolder, const QString& bundleFolder, const KeyPair& keys,
                            const QDateTime& now);

// The SHA-256 of bytes as the manifest writes it.
QByteArray sha256Hex(const QByteArray& bytes);

// A follower's side. Verified files wait in the cache (Campus/files/<sha256>); install puts a whole
// bundle in place from there.
QString cacheFolder(const QString& programFolder);
QString cachedPath(const QString& programFolder, const QByteArray& sha256);
// Whether the cache holds this file whole (the right size and hash).
bool isCached(const QString& programFolder, const ManifestFile& file);
// Stores bytes already checked against the manifest into the cache.
bool storeInCache(const QString& programFolder, const QByteArray& sha256, const QByteArray& bytes);

// The signed manifest the follower rings from, and its version; nullopt when there is none.
std::optional<Manifest> installedManifest(const QString& programFolder);

struct InstallResult {
    bool ok = false;
    QString message;
};

// Puts a verified bundle whose files are all cached into the program folder. Every file is first
// written whole into a staging folder, then the manifest is recorded as pending, then each file is
// renamed over its place and the manifest recorded as installed. Until the renames start the old copy
// is untouched; a stop during them is finished by resumePendingInstall at the next start. Text files
// (tables, play lists, settings) get the source's program folder in their paths replaced by this one.
// Refused when a folder on the way is a symbolic link.
InstallResult installBundle(const QString& programFolder, const QByteArray& signedManifest,
                            const Manifest& manifest);

// Finishes an install that a stop interrupted. False when there was none or it could not be finished.
bool resumePendingInstall(const QString& programFolder, const QByteArray& publicKey);

}  // namespace quel::campus
