#include "schedule/table_document.h"

#include <array>

#include "schedule/entry_grammar.h"
#include "schedule/table.h"
#include "schedule/table_file.h"

namespace quel {

TableDocument::TableDocument(Files& files, QObject* parent) : QAbstractTableModel(parent), files_(files) {}

void TableDocument::setDefaultPath(const QString& path) {
    defaultPath_ = path;
    emit changed();
}

void TableDocument::load(const QString& path) {
    beginResetModel();
    currentPath_ = path;
    table_.load(files_, path);
    ++generation_;
    endResetModel();
    emit changed();
}

bool TableDocument::write(const QString& tableText) {
    const std::optional<QByteArray> bytes = tableFileBytes(tableText);
    if (!bytes || !files_.write(currentPath_, *bytes))
        return false;
    reload();
    return true;
}

// After a write the table is read back as the file now holds it, so memory never runs ahead of the
// disk; views learn only which rows came or went and keep their place in a long table.
void TableDocument::reload() {
    ScheduleTable next;
    next.load(files_, currentPath_);
    ++generation_;
    replaceRows(std::move(next));
    emit changed();
}

void TableDocument::replaceRows(ScheduleTable&& next) {
    // An edit adds or removes one entry (every copy of it); the sorted lists then differ in one run of
    // rows between a common head and a common tail.
    const QStringList& before = table_.entries;
    const QStringList& after = next.entries;
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const int first = int(head);
    const int gone = int(before.size() - head - tail);
    const int came = int(after.size() - head - tail);
    if (gone == 0 && came > 0) {
        beginInsertRows({}, first, first + came - 1);
        table_ = std::move(next);
        endInsertRows();
    } else if (came == 0 && gone > 0) {
        beginRemoveRows({}, first, first + gone - 1);
        table_ = std::move(next);
        endRemoveRows();
    } else if (gone == came) {
        table_ = std::move(next);
        if (gone > 0)
            emit dataChanged(index(first, 0), index(first + gone - 1, ColumnCount - 1));
    } else {
        beginResetModel();
        table_ = std::move(next);
        endResetModel();
    }
}

bool TableDocument::add(const QString& entryText) {
    if (!entryFitsInTableFile(entryText))
        return false;
    return write(table_.tableText + grammar::kEntryMark + entryText);
}

bool TableDocument::remove(const QString& entryText) {
    return write(removeEntry(table_.tableText, entryText));
}

bool TableDocument::clear() {
    if (!files_.write(currentPath_, QByteArray()))
        return false;
    reload();
    return true;
}

bool TableDocument::create(const QString& path) {
    if (!files_.writeText(path, QString()))
        return false;
    load(path);
    return true;
}

bool TableDocument::makeDefault(const QString& settingsFile) {
    // The settings value is read back up to its first double quote.
    if (currentPath_.contains(QLatin1Char('"')) || !files_.writeText(settingsFile, currentPath_))
        return false;
    setDefaultPath(currentPath_);
    return true;
}

int TableDocument::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(table_.entries.size());
}

int TableDocument::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TableDocument::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QString& entry = table_.entries[index.row()];
    switch (role) {
        case Qt::DisplayRole: {
            const EntryFields f = splitEntry(entry);
            switch (Column(index.column())) {
                case NumberColumn:
                    // A row's number is its place in a view (see GridDelegate), not part of the entry.
                    return {};
                case CommentColumn:
                    return f.comment == grammar::kNoComment ? QString() : f.comment;
                case AttributeColumn:
                    return f.attribute;
                case TimeColumn:
                    return f.time;
                case ResponseColumn:
                    return f.response;
                case ColumnCount:
                    break;
            }
            return {};
        }
        case Qt::ToolTipRole: {
            // The reason an entry never rings comes first; otherwise the tip gives the whole response,
            // which the column may cut.
            const QString why = whyNeverRings(entry);
            if (!why.isEmpty() || index.column() != ResponseColumn)
                return why;
            return splitEntry(entry).response;
        }
        case EntryTextRole:
            return entry;
        case NeverRingsRole:
            return whyNeverRings(entry);
        default:
            return {};
    }
}

QVariant TableDocument::headerData(int section, Qt::Orientation orientation, int role) const {
    static const std::array<QString, ColumnCount> kTitles = {QStringLiteral("序号"), QStringLiteral("注释"),
                                                             QStringLiteral("属性"), QStringLiteral("时间"),
                                                             QStringLiteral("响应方式")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return kTitles[std::size_t(section)];
}

}  // namespace quel
