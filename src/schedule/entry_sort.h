#pragma once

#include <QString>
#include <QStringList>

namespace quel {

// The order of the in-memory table: by the first two characters of the Attribute (code unit by code
// unit), then by hour, minute and second. Only two Attribute characters count, so entries of different
// weekdays or dates interleave by time of day. The clock tick fires the first due entry, so this order
// also decides which of several entries due in the same second runs.
struct SortKey {
    QString attributeHead;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

SortKey sortKeyOf(const QString& entry);
bool sortsBefore(const SortKey& a, const SortKey& b);

// Ascending and stable: entries with equal keys keep their file order.
void sortEntries(QStringList& entries);

// The numeric value of a text as the table's original reader took it: blanks skipped, an optional sign,
// then the leading digits; a text that starts with anything else is 0.
int leadingNumber(QStringView text);

}  // namespace quel
