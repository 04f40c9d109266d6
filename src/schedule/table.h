#pragma once

#include <QString>
#include <QStringList>

namespace quel {

// The table text is every entry text preceded by one "|", in the order the entries were added.

// The entries in file order. Text before the first "|" belongs to no entry; "||" gives an empty entry.
QStringList splitTableText(const QString& tableText);
QString tableTextOf(const QStringList& entriesInFileOrder);

// The table text without every entry equal to `entryText`. Only whole entries go: an entry that merely
// begins with the same text stays, and so does any text before the first "|".
QString removeEntry(const QString& tableText, const QString& entryText);

}  // namespace quel
