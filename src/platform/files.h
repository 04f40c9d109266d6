#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace quel {

// The settings-file convention: one value on one line, text in double quotes, numbers bare, CR LF.
namespace fileformat {
// UTF-8 or GB18030 (files written by the Windows version), whichever finds fewer invalid sequences in
// the bytes, UTF-8 on a tie: a stray byte costs one replacement character, never the whole text.
QString decode(const QByteArray& bytes);
// The first field of a text: leading blanks skipped; a quoted field runs to the next quote (quotes
// dropped), an unquoted one to the first comma or the end of the line.
QString firstField(const QString& text);
// A 16-bit signed whole number as the convention reads one; nullopt when the field holds none.
std::optional<qint16> toNumber(const QString& field);
QByteArray quotedLine(const QString& value);
QByteArray numberLine(int value);
}  // namespace fileformat

// What a whole-file read found. Only a missing file may be made anew: one that stands there but
// cannot be read still holds the operator's data.
enum class ReadStatus {
    Read,
    Missing,     // nothing stands at the path
    Unreadable,  // no permission, a folder, a dangling link, a FIFO or device, or beyond the size cap
};

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    QByteArray bytes;
};

// Whole-file access. Every write is atomic: a crash leaves the old or the new file, never a torn one.
// The const members only look at the file system and keep no state, so a worker thread may call them
// (a play list's check does); implementations, fakes included, keep them so. Writes stay on the GUI
// thread, where the commands that order them run.
class Files {
public:
    // Reads stop at a size cap, so a wrong file in the wrong place cannot exhaust memory. A settings
    // file holds one short value; tables and play lists may grow long.
    static constexpr qint64 kSettingsCap = 4 * 1024 * 1024;
    static constexpr qint64 kDocumentCap = 64 * 1024 * 1024;

    virtual ~Files() = default;
    // Only regular files are read, whole, up to `cap` bytes; anything else is Unreadable.
    virtual ReadResult readFile(const QString& path, qint64 cap) const = 0;
    virtual bool write(const QString& path, const QByteArray& bytes) = 0;
    // Whether anything stands at the path, readable or not (a dangling link included).
    virtual bool exists(const QString& path) const = 0;
    virtual bool isDirectory(const QString& path) const = 0;
    // What stands at the path, links followed; a dangling link counts as a file. One look where
    // exists() and isDirectory() take two, for a check of many paths.
    enum class Kind { Nothing, Folder, File };
    virtual Kind kind(const QString& path) const {
        return !exists(path) ? Kind::Nothing : isDirectory(path) ? Kind::Folder : Kind::File;
    }
    // kind() of each path, in order: the same answers, cheaper for paths that share a folder.
    virtual QList<Kind> kinds(const QStringList& paths) const;

    // The whole content; nullopt when the file is missing or cannot be read.
    std::optional<QByteArray> read(const QString& path, qint64 cap = kSettingsCap) const;
    // The settings value of a file; empty when missing or unreadable.
    QString readField(const QString& path) const;
    bool writeText(const QString& path, const QString& value) {
        return write(path, fileformat::quotedLine(value));
    }
    bool writeNumber(const QString& path, int value) { return write(path, fileformat::numberLine(value)); }
};

class DiskFiles : public Files {
public:
    ReadResult readFile(const QString& path, qint64 cap) const override;
    bool write(const QString& path, const QByteArray& bytes) override;
    bool exists(const QString& path) const override;
    bool isDirectory(const QString& path) const override;
    Kind kind(const QString& path) const override;
    QList<Kind> kinds(const QStringList& paths) const override;
};

// The newest end of a file that only grows, such as a log: its last `cap` bytes at most, and whether
// older bytes were left out. Only regular files are read, as by Files::readFile.
struct TailResult {
    ReadStatus status = ReadStatus::Missing;
    QByteArray bytes;
    bool truncated = false;
};
TailResult readFileTail(const QString& path, qint64 cap);

// Appends to a regular file, made when missing (its folder must stand). Anything else at the path (a
// FIFO, a device, a folder) is refused without waiting on it: a FIFO opened for writing would block
// until a reader came, and a device would swallow what is written.
bool appendToFile(const QString& path, const QByteArray& bytes);

// Paths keep their case on Linux; every comparison of two paths goes through here.
bool samePath(const QString& a, const QString& b);

// `folder/name`, using an existing entry of another letter case when the exact spelling is missing,
// so files written by the Windows version (toll.txt, USERWAV.TXT) are still found.
QString nameInFolder(const QString& folder, const QString& name);

// A path inside `folder` that names nothing as written, resolved part by part with nameInFolder: a
// Toll.txt of the Windows version names .../TOLL/A/A1.WAV where the folder holds toll/A/A1.WAV. A path
// outside the folder, or one that names nothing in any case either, comes back as it is.
QString resolveInFolder(const QString& folder, const QString& path);

// The file name without its folder.
QString fileNamePart(const QString& path);

}  // namespace quel
