#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include "platform/files.h"
#include "schedule/schedule_table.h"

namespace quel {

// The current day time table: its file, its entries and the default table's path. Every change goes
// to the file first and reaches memory only after the write succeeded, so what the tick fires is what
// the file holds. Views read the entries through the model, one row per entry in the sorted order, and
// listen to `changed()` for the path and the load; nobody keeps a second copy of the entries.
class TableDocument : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn, CommentColumn, AttributeColumn, TimeColumn, ResponseColumn, ColumnCount };
    enum Role {
        // The whole entry text: an entry is selected and deleted by it, and the cells of a hand-edited
        // entry without a separator could not rebuild it.
        EntryTextRole = Qt::UserRole,
        // Why the tick can never fire the entry; empty for one that may ring.
        NeverRingsRole,
    };

    explicit TableDocument(Files& files, QObject* parent = nullptr);

    const QString& currentPath() const { return currentPath_; }
    const QString& defaultPath() const { return defaultPath_; }
    bool isDefault() const { return samePath(currentPath_, defaultPath_); }

    // Sorted; the object stays the same for the life of the document, so the tick may hold on to it.
    const QStringList& entries() const { return table_.entries; }
    // In the order the entries were added, as the file holds them.
    const QString& tableText() const { return table_.tableText; }
    ReadStatus fileState() const { return table_.fileState; }
    // A file that exists but could not be read still holds its entries on disk.
    bool mayOverwriteFile() const { return table_.mayOverwriteFile(); }
    // Counts every load and every write, so a command that asked the operator a question can tell
    // whether the table it asked about is still the one in memory.
    quint64 generation() const { return generation_; }

    void setDefaultPath(const QString& path);
    // Makes `path` the current table and reads it; a missing or unreadable file gives the empty table.
    void load(const QString& path);
    // Writes `tableText` to the current file and reloads it; false, with nothing changed, when the text
    // cannot be stored or the write failed.
    bool write(const QString& tableText);

    // The operator's edits. Each writes first and changes memory only after the write succeeded; false,
    // with the file, the table, the current and the default path as they were, otherwise.
    // Appends the entry at the end of the file.
    bool add(const QString& entryText);
    // Removes every entry equal to `entryText`; entries that merely begin with it stay.
    bool remove(const QString& entryText);
    // Leaves a file of zero bytes, which reads as the empty table.
    bool clear();
    // Writes the empty table to `path` (replacing a file there) and makes it the current table.
    bool create(const QString& path);
    // Stores the current path in `settingsFile` as the table to load at the next start.
    bool makeDefault(const QString& settingsFile);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void changed();

private:
    void reload();
    void replaceRows(ScheduleTable&& next);

    Files& files_;
    QString currentPath_;
    QString defaultPath_;
    ScheduleTable table_;
    quint64 generation_ = 0;
};

}  // namespace quel
