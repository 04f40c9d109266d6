#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quel {

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

QString Files::readField(const QString& path) const {
    const auto bytes = read(path);
    return bytes ? fileformat::firstField(fileformat::decode(*bytes)) : QString();
}

std::optional<QByteArray> DiskFiles::read(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
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
    QFileInfo info(path);
    return info.exists() && info.isFile();
}

bool DiskFiles::isDirectory(const QString& path) const {
    return QFileInfo(path).isDir();
}

bool samePath(const QString& a, const QString& b) {
    return a == b;
}

QString nameInFolder(const QString& folder, const QString& name) {
    const QString exact = folder + QLatin1Char('/') + name;
    if (QFileInfo::exists(exact))
        return exact;
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder + QLatin1Char('/') + entry;
    }
    return exact;
}

QString fileNamePart(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

}  // namespace quel
