#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

ReadResult DiskFiles::readFile(const QString& path, qint64 cap) const {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        // A link whose target is gone still stands in the file's place.
        const bool gone = (errno == ENOENT || errno == ENOTDIR) && ::lstat(native.constData(), &info) != 0;
        return {gone ? ReadStatus::Missing : ReadStatus::Unreadable, {}};
    }
    // Looked at before opening: opening a FIFO would wait for a writer, and a device may act on it.
    if (!S_ISREG(info.st_mode) || info.st_size > cap)
        return {ReadStatus::Unreadable, {}};
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable, {}};
    // The path may have been replaced between the look and the open.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return {ReadStatus::Unreadable, {}};
    }
    QByteArray bytes;
    bytes.reserve(qsizetype(info.st_size));
    char buffer[64 * 1024];
    bool failed = false;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        // A file that grows past the cap while it is read counts as too large.
        if (got < 0 || bytes.size() + got > cap) {
            failed = true;
            break;
        }
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    ::close(fd);
    if (failed)
        return {ReadStatus::Unreadable, {}};
    return {ReadStatus::Read, std::move(bytes)};
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
