#include "schedule/schedule_table.h"

#include "schedule/entry_sort.h"
#include "schedule/table.h"
#include "schedule/table_file.h"

namespace quel {

void ScheduleTable::reset() {
    tableText.clear();
    entries.clear();
    fileState = ReadStatus::Missing;
}

ReadStatus ScheduleTable::load(const Files& files, const QString& path) {
    reset();
    // The read's own finding, taken at the moment of the read, rather than a second look at the path.
    const ReadResult read = files.readFile(path, Files::kDocumentCap);
    fileState = read.status;
    if (read.status != ReadStatus::Read)
        return fileState;
    tableText = tableTextFromBytes(read.bytes);
    entries = splitTableText(tableText);
    sortEntries(entries);
    return fileState;
}

}  // namespace quel
