#include "schedule/entry_sort.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "schedule/entry_grammar.h"

namespace quel {

namespace {

constexpr qsizetype kHeadLength = 2;
// The minute and the second are read at fixed offsets back from the end of the Time (H:MM:SS or
// HH:MM:SS), so a one- or two-digit hour needs no parsing.
constexpr qsizetype kMinuteOffset = 5;
constexpr qsizetype kSecondOffset = 2;
// Far more than the two characters ever read; it only keeps the sum from overflowing.
constexpr int kMaxDigits = 9;

// Two characters that begin `offset` characters before the end of the Time. A Time too short to reach
// back that far (a hand-edited file) reads as 0 rather than as a neighbouring field.
int numberBeforeEnd(const QString& time, qsizetype offset) {
    const qsizetype start = time.size() - offset;
    if (start < 0)
        return 0;
    return leadingNumber(QStringView(time).mid(start, kHeadLength));
}

}  // namespace

int leadingNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int value = 0;
    for (int digits = 0; i < text.size() && digits < kMaxDigits; ++i, ++digits) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

SortKey sortKeyOf(const QString& entry) {
    // Reading through the split fields keeps an entry that lacks a separator from reaching into the
    // wrong field or past the end of the text.
    const EntryFields f = splitEntry(entry);
    SortKey key;
    key.attributeHead = f.attribute.left(kHeadLength);
    key.hour = leadingNumber(QStringView(f.time).left(kHeadLength));
    key.minute = numberBeforeEnd(f.time, kMinuteOffset);
    key.second = numberBeforeEnd(f.time, kSecondOffset);
    return key;
}

bool sortsBefore(const SortKey& a, const SortKey& b) {
    if (const int c = QString::compare(a.attributeHead, b.attributeHead, Qt::CaseSensitive); c != 0)
        return c < 0;
    if (a.hour != b.hour)
        return a.hour < b.hour;
    if (a.minute != b.minute)
        return a.minute < b.minute;
    return a.second < b.second;
}

void sortEntries(QStringList& entries) {
    std::vector<SortKey> keys;
    keys.reserve(entries.size());
    for (const QString& e : entries)
        keys.push_back(sortKeyOf(e));
    std::vector<qsizetype> order(entries.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(),
                     [&keys](qsizetype a, qsizetype b) { return sortsBefore(keys[a], keys[b]); });
    QStringList sorted;
    sorted.reserve(entries.size());
    for (qsizetype i : order)
        sorted.append(std::move(entries[i]));
    entries = std::move(sorted);
}

}  // namespace quel
