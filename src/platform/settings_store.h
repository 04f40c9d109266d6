#pragma once

#include <QString>
#include <optional>

#include "platform/files.h"

namespace quel {

// The settings files of one program folder. Reads find a file in any letter case (files carried over
// from the Windows version); writes use the program's own spelling.
class SettingsStore {
public:
    SettingsStore(Files& files, QString folder) : files_(files), folder_(std::move(folder)) {}

    const QString& folder() const { return folder_; }
    Files& files() const { return files_; }
    // Where `name` (a file directly in the program folder, or "Sub/Name") is found for reading.
    QString pathForReading(const QString& name) const;
    QString pathForWriting(const QString& name) const { return folder_ + QLatin1Char('/') + name; }

    QString text(const QString& name) const { return files_.readField(pathForReading(name)); }
    std::optional<qint16> number(const QString& name) const;
    bool writeText(const QString& name, const QString& value) const {
        return files_.writeText(pathForWriting(name), value);
    }
    bool writeNumber(const QString& name, int value) const {
        return files_.writeNumber(pathForWriting(name), value);
    }

    // A file that stands there but cannot be read reads as an empty value like a missing one, yet it
    // still holds the operator's setting: it is used as its default for this run and never repaired.
    bool unreadable(const QString& name) const;
    // Writes a repaired value, unless the file is unreadable. False when nothing was written.
    bool repairText(const QString& name, const QString& value) const;

private:
    Files& files_;
    QString folder_;
};

}  // namespace quel
