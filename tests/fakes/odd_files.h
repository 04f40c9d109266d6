#pragma once

// What may stand where the program expects one of its files, and cannot be read as one.

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sys/stat.h>

#include "platform/files.h"

namespace quel::fakes {

inline const QStringList kOddKinds = {QStringLiteral("a folder"), QStringLiteral("a dangling link"),
                                      QStringLiteral("a FIFO"), QStringLiteral("a link to /dev/zero"),
                                      QStringLiteral("beyond the size cap")};

// Puts an odd thing of `kind` (one of kOddKinds) at `path`, in place of what stood there.
inline bool makeOddFile(const QString& path, const QString& kind) {
    QFile::remove(path);
    if (kind == kOddKinds[0])
        return QDir().mkdir(path);
    if (kind == kOddKinds[1])
        return QFile::link(path + QStringLiteral(".gone"), path);
    if (kind == kOddKinds[2])
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    if (kind == kOddKinds[3])
        return QFile::link(QStringLiteral("/dev/zero"), path);
    if (kind == kOddKinds[4]) {
        QFile file(path);
        const QByteArray bytes = '"' + QByteArray(Files::kSettingsCap, 'x') + "\"\r\n";
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    return false;
}

// Whether the odd thing is still there, as it was made.
inline bool oddFileKept(const QString& path, const QString& kind) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    if (kind == kOddKinds[0])
        return S_ISDIR(info.st_mode);
    if (kind == kOddKinds[2])
        return S_ISFIFO(info.st_mode);
    if (kind == kOddKinds[4])
        return S_ISREG(info.st_mode) && info.st_size > Files::kSettingsCap;
    return S_ISLNK(info.st_mode);
}

}  // namespace quel::fakes
