#pragma once

#include "platform/files.h"

namespace quel::fuzz {

// One file held in memory, so the readers run on fuzz input exactly as they run on a disk file.
class MemoryFiles final : public Files {
public:
    MemoryFiles(QString path, QByteArray bytes) : path_(std::move(path)), bytes_(std::move(bytes)) {}
    ReadResult readFile(const QString& path, qint64 cap) const override {
        if (path != path_)
            return {ReadStatus::Missing, {}};
        if (bytes_.size() > cap)
            return {ReadStatus::Unreadable, {}};
        return {ReadStatus::Read, bytes_};
    }
    bool write(const QString&, const QByteArray&) override { return false; }
    bool exists(const QString& path) const override { return path == path_; }
    bool isDirectory(const QString&) const override { return false; }

private:
    QString path_;
    QByteArray bytes_;
};

}  // namespace quel::fuzz
