#pragma once

#include <QString>
#include <QStringList>

#include "platform/files.h"

namespace quel {

// The current day time table in memory.
struct ScheduleTable {
    // As last read from or written to the current file, entries in the order they were added.
    QString tableText;
    // Sorted; index 0 is the first entry.
    QStringList entries;
    // How the last load found the file. One that stands there but could not be read must not be
    // overwritten: its entries are still on disk even though the table in memory is empty.
    ReadStatus fileState = ReadStatus::Missing;

    void reset();
    // Replaces the table with the file's; a missing or unreadable file gives the empty table.
    ReadStatus load(const Files& files, const QString& path);

    qsizetype count() const { return entries.size(); }
    bool mayOverwriteFile() const { return fileState != ReadStatus::Unreadable; }
};

}  // namespace quel
