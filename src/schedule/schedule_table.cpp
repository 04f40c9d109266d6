#include "schedule/schedule_table.h"

#include "schedule/entry_sort.h"
#include "schedule/table.h"
#include "schedule/table_file.h"

namespace quel {

void ScheduleTable::reset() {
    tableText.clear();
    entries.clear();
    fileState = TableFileState::Missing;
}

TableFileState ScheduleTable::load(const Files& files, const QString& path) {
    reset();
    const std::optional<QString> text = readTableText(files, path);
    if (!text) {
        fileState = files.exists(path) ? TableFileState::Unreadable : TableFileState::Missing;
        return fileState;
    }
    tableText = *text;
    entries = splitTableText(tableText);
    sortEntries(entries);
    fileState = TableFileState::Read;
    return fileState;
}

}  // namespace quel
