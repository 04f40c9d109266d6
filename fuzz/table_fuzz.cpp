// Fuzz target: a day time table file through the whole table load, with the invariants the list, the
// clock tick and the delete command rely on.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "memory_files.h"
#include "schedule/entry_grammar.h"
#include "schedule/entry_sort.h"
#include "schedule/list_filter.h"
#include "schedule/schedule_table.h"
#include "schedule/table.h"
#include "schedule/table_file.h"

using namespace quel;

namespace {

// Beyond this the quadratic cross-check costs more than it finds.
constexpr qsizetype kMaxBubbleCheck = 64;

bool isWellFormed(const QString& entry) {
    const qsizetype star = entry.indexOf(QLatin1Char('*'));
    const qsizetype gt = entry.indexOf(QLatin1Char('>'));
    const qsizetype lt = entry.indexOf(QLatin1Char('<'));
    return star >= 0 && star < gt && gt < lt;
}

void checkSorted(const QStringList& fileOrder, const QStringList& sorted) {
    FUZZ_CHECK(sorted.size() == fileOrder.size());
    QStringList a = fileOrder, b = sorted;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    FUZZ_CHECK(a == b);
    for (qsizetype i = 1; i < sorted.size(); ++i)
        FUZZ_CHECK(!sortsBefore(sortKeyOf(sorted[i]), sortKeyOf(sorted[i - 1])));
    if (fileOrder.size() > kMaxBubbleCheck)
        return;
    QStringList bubbled = fileOrder;
    std::vector<SortKey> keys;
    for (const QString& entry : bubbled)
        keys.push_back(sortKeyOf(entry));
    for (qsizetype i = bubbled.size() - 1; i >= 1; --i) {
        for (qsizetype j = 0; j < i; ++j) {
            if (sortsBefore(keys[size_t(j + 1)], keys[size_t(j)])) {
                bubbled.swapItemsAt(j, j + 1);
                std::swap(keys[size_t(j)], keys[size_t(j + 1)]);
            }
        }
    }
    FUZZ_CHECK(bubbled == sorted);
}

void checkEntry(const QString& entry) {
    const EntryFields f = splitEntry(entry);
    if (isWellFormed(entry))
        FUZZ_CHECK(joinEntry(f) == entry);
    FUZZ_CHECK(passesFilter(ListFilter::All, f));
    for (const ListFilterOption& option : kListFilterOptions)
        (void)passesFilter(option.filter, f);
    (void)responseClass(f.response);
    // The list greys what the tick can never fire; whatever it lets pass must at least split cleanly.
    if (whyNeverRings(entry).isEmpty())
        FUZZ_CHECK(isWellFormed(entry));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = QStringLiteral("DayTimeTable/Default.DTT");
    const fuzz::MemoryFiles files(path, bytes);

    ScheduleTable table;
    FUZZ_CHECK(table.load(files, path) == ReadStatus::Read);
    FUZZ_CHECK(table.mayOverwriteFile());
    const QString& text = table.tableText;
    FUZZ_CHECK(text == tableTextFromBytes(bytes));

    const QStringList fileOrder = splitTableText(text);
    FUZZ_CHECK(fileOrder.size() == text.count(QLatin1Char('|')));
    const qsizetype firstBar = text.indexOf(QLatin1Char('|'));
    FUZZ_CHECK(tableTextOf(fileOrder) == (firstBar < 0 ? QString() : text.mid(firstBar)));
    checkSorted(fileOrder, table.entries);
    for (const QString& entry : fileOrder)
        checkEntry(entry);

    // Writing the table back and reading it again must give the same table, or an add or a delete
    // would lose entries that were never touched.
    if (const std::optional<QByteArray> written = tableFileBytes(text))
        FUZZ_CHECK(tableTextFromBytes(*written) == text);

    if (!fileOrder.isEmpty()) {
        const QString gone = fileOrder.first();
        const QStringList left = splitTableText(removeEntry(text, gone));
        FUZZ_CHECK(!left.contains(gone));
        FUZZ_CHECK(left.size() == fileOrder.size() - fileOrder.count(gone));
    }
    return 0;
}
