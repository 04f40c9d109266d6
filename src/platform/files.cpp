#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <QHash>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace quel {

namespace {
// Anything at all, a dangling link included.
bool somethingAt(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}
}  // namespace

namespace fileformat {

QString firstField(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    if (i < text.size() && text[i] == QLatin1Char('"')) {
        qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
        if (close < 0) {
            // A value whose closing quote is lost ends with its line.
            close = i + 1;
            while (close < text.size() && text[close] != QLatin1Char('\r') &&
                   text[close] != QLatin1Char('\n'))
                ++close;
        }
        return text.mid(i + 1, close - i - 1);
    }
    qsizetype end = i;
    while (end < text.size() && text[end] != QLatin1Char(',') && text[end] != QLatin1Char('\r') &&
           text[end] != QLatin1Char('\n'))
        ++end;
    return text.mid(i, end - i).trimmed();
}

std::optional<qint16> toNumber(const QString& field) {
    bool ok = false;
    const int value = field.trimmed().toInt(&ok);
    if (!ok || value < -32768 || value > 32767)
        return std::nullopt;
    return qint16(value);
}

QByteArray quotedLine(const QString& value) {
    return '"' + value.toUtf8() + "\"\r\n";
}

QByteArray numberLine(int value) {
    return QByteArray::number(value) + "\r\n";
}

}  // namespace fileformat

std::optional<QByteArray> Files::read(const QString& path, qint64 cap) const {
    ReadResult result = readFile(path, cap);
    if (result.status != ReadStatus::Read)
        return std::nullopt;
    return std::move(result.bytes);
}

QString Files::readField(const QString& path) const {
    const auto bytes = read(path);
    return bytes ? fileformat::firstField(fileformat::decode(*bytes)) : QString();
}

namespace {

// Opens a regular file without waiting on it; -1 with the status otherwise. Looked at before opening:
// opening a FIFO would wait for a writer, and a device may act on it.
int openRegular(const QByteArray& native, qint64 cap, struct stat& info, ReadStatus& status) {
    if (::stat(native.constData(), &info) != 0) {
        // A link whose target is gone still stands in the file's place.
        const bool gone = (errno == ENOENT || errno == ENOTDIR) && ::lstat(native.constData(), &info) != 0;
        status = gone ? ReadStatus::Missing : ReadStatus::Unreadable;
        return -1;
    }
    if (!S_ISREG(info.st_mode) || (cap >= 0 && info.st_size > cap)) {
        status = ReadStatus::Unreadable;
        return -1;
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        status = errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
        return -1;
    }
    // The path may have been replaced between the look and the open.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        status = ReadStatus::Unreadable;
        return -1;
    }
    status = ReadStatus::Read;
    return fd;
}

// Reads to the end, failing once more than `cap` bytes came: a file that grows while it is read.
bool readToEnd(int fd, qint64 cap, QByteArray& bytes) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || bytes.size() + got > cap)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, got);
    }
}

}  // namespace

ReadResult DiskFiles::readFile(const QString& path, qint64 cap) const {
    struct stat info {};
    ReadStatus status = ReadStatus::Missing;
    const int fd = openRegular(QFile::encodeName(path), cap, info, status);
    if (fd < 0)
        return {status, {}};
    QByteArray bytes;
    bytes.reserve(qsizetype(info.st_size));
    const bool read = readToEnd(fd, cap, bytes);
    ::close(fd);
    if (!read)
        return {ReadStatus::Unreadable, {}};
    return {ReadStatus::Read, std::move(bytes)};
}

TailResult readFileTail(const QString& path, qint64 cap) {
    struct stat info {};
    ReadStatus status = ReadStatus::Missing;
    const int fd = openRegular(QFile::encodeName(path), -1, info, status);
    if (fd < 0)
        return {status, {}, false};
    const qint64 skip = std::max<qint64>(0, qint64(info.st_size) - cap);
    TailResult result{ReadStatus::Read, {}, skip > 0};
    if (skip > 0 && ::lseek(fd, off_t(skip), SEEK_SET) != off_t(skip))
        result.status = ReadStatus::Unreadable;
    // Lines appended while it is read stop it at the cap; they are left for the next read.
    if (result.status == ReadStatus::Read && !readToEnd(fd, cap, result.bytes) && result.bytes.isEmpty())
        result.status = ReadStatus::Unreadable;
    ::close(fd);
    if (result.status != ReadStatus::Read)
        result.bytes.clear();
    return result;
}

bool appendToFile(const QString& path, const QByteArray& bytes) {
    const QByteArray native = QFile::encodeName(path);
    // O_NONBLOCK: a FIFO without a reader fails at once instead of holding the writer for good.
    const int fd =
        ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t put = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0 && errno == EINTR)
            continue;
        ok = put > 0;
        done += put;
    }
    // A full disk or a gone network share shows up at close too.
    return ::close(fd) == 0 && ok;
}

bool DiskFiles::write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    // A full disk shows up only at flush; commit alone would report success.
    if (!file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool DiskFiles::exists(const QString& path) const {
    return somethingAt(path);
}

Files::Kind DiskFiles::kind(const QString& path) const {
    if (path.isEmpty())
        return Kind::Nothing;
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) == 0)
        return S_ISDIR(info.st_mode) ? Kind::Folder : Kind::File;
    return ::lstat(native.constData(), &info) == 0 ? Kind::File : Kind::Nothing;
}

QList<Files::Kind> Files::kinds(const QStringList& paths) const {
    QList<Kind> found;
    found.reserve(paths.size());
    for (const QString& path : paths)
        found << kind(path);
    return found;
}

namespace {

Files::Kind kindAt(int folder, const char* name) {
    struct stat info {};
    if (::fstatat(folder, name, &info, 0) == 0)
        return S_ISDIR(info.st_mode) ? Files::Kind::Folder : Files::Kind::File;
    return ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 ? Files::Kind::File
                                                                    : Files::Kind::Nothing;
}

// An encoded path split at its last slash without a copy: the folder before it, the name after it.
// No name when the path has no folder part or ends in a slash.
struct SplitPath {
    explicit SplitPath(const QString& path)
        : native(QFile::encodeName(path)), slash(native.lastIndexOf('/')) {
        if (slash <= 0 || slash == native.size() - 1)
            slash = -1;
    }
    bool named() const { return slash > 0; }
    QByteArrayView folder() const { return QByteArrayView(native.constData(), slash); }
    const char* name() const { return native.constData() + slash + 1; }
    // Without a copy, for looking the name up in a listing.
    QByteArray nameBytes() const { return QByteArray::fromRawData(name(), native.size() - slash - 1); }

    QByteArray native;
    qsizetype slash;
};

// A folder's names and their types, read once when many paths of a run name it, so that those
// paths cost no look-up of their own. A listing that outgrows the run many times over is dropped: a
// few tracks of a huge folder are cheaper to look up one by one.
class FolderListing {
public:
    FolderListing(int folder, qsizetype run) {
        constexpr qsizetype kListFrom = 32;
        if (run < kListFrom)
            return;
        const int copy = ::dup(folder);
        DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
        if (!dir) {
            if (copy >= 0)
                ::close(copy);
            return;
        }
        const qsizetype most = 8 * run + 256;
        while (const dirent* entry = ::readdir(dir)) {
            if (types_.size() == most) {
                types_.clear();
                break;
            }
            types_.insert(QByteArray(entry->d_name), entry->d_type);
        }
        ::closedir(dir);
    }
    // Only a name listed as a plain file or a folder is answered here; a link, an unknown type, and a
    // name the listing lacks (a folder that ignores case finds "A.MP3" as "a.mp3") are looked up.
    std::optional<Files::Kind> kindOf(const QByteArray& name) const {
        const auto type = types_.constFind(name);
        if (type == types_.constEnd() || *type == DT_LNK || *type == DT_UNKNOWN)
            return std::nullopt;
        return *type == DT_DIR ? Files::Kind::Folder : Files::Kind::File;
    }

private:
    QHash<QByteArray, unsigned char> types_;
};

}  // namespace

// Most of a whole-path look-up is the walk through the folders above the file, the same for every
// track of an album. A run of paths in one folder opens the folder once and asks for each name in it,
// so the kernel walks one step per path instead of the whole path; a long run reads the folder's
// listing instead.
QList<Files::Kind> DiskFiles::kinds(const QStringList& paths) const {
    std::vector<SplitPath> parts;
    parts.reserve(paths.size());
    for (const QString& path : paths)
        parts.emplace_back(path);
    QList<Kind> found;
    found.reserve(paths.size());
    for (qsizetype from = 0; from < paths.size();) {
        const SplitPath& first = parts[from];
        qsizetype end = from + 1;
        while (first.named() && end < paths.size() && parts[end].named() &&
               parts[end].folder() == first.folder())
            ++end;
        const int folder = end - from > 1 ? ::open(first.folder().toByteArray().constData(),
                                                   O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                          : -1;
        // A folder that cannot be opened gives each path the answer of a whole-path look-up.
        if (folder < 0) {
            for (; from < end; ++from)
                found << kind(paths[from]);
            continue;
        }
        const FolderListing listing(folder, end - from);
        for (; from < end; ++from) {
            const std::optional<Kind> listed = listing.kindOf(parts[from].nameBytes());
            found << (listed ? *listed : kindAt(folder, parts[from].name()));
        }
        ::close(folder);
    }
    return found;
}

bool DiskFiles::isDirectory(const QString& path) const {
    return QFileInfo(path).isDir();
}

bool samePath(const QString& a, const QString& b) {
    return a == b;
}

QString nameInFolder(const QString& folder, const QString& name) {
    const QString exact = folder + QLatin1Char('/') + name;
    if (somethingAt(exact))
        return exact;
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder + QLatin1Char('/') + entry;
    }
    return exact;
}

QString resolveInFolder(const QString& folder, const QString& path) {
    if (folder.isEmpty() || somethingAt(path))
        return path;
    const QString inside = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    if (!path.startsWith(inside))
        return path;
    QString resolved = inside.chopped(1);
    for (const QString& part : path.mid(inside.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts))
        resolved = nameInFolder(resolved, part);
    return somethingAt(resolved) ? resolved : path;
}

QString fileNamePart(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

}  // namespace quel
