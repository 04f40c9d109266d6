#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "platform/files.h"

namespace quel {

// A .DTT file holds the table text as one quoted line, the settings-file convention applied to one
// value. A new table is "" and a cleared one has zero bytes; both read as the empty table.

// The table text held in a file's bytes.
QString tableTextFromBytes(const QByteArray& bytes);

// nullopt when the file is missing or cannot be read; "" for an empty table.
std::optional<QString> readTableText(const Files& files, const QString& path);

// The bytes that store a table text; nullopt when the text could not be read back as it is (a double
// quote ends the value early), so a caller never writes a file that would lose entries.
std::optional<QByteArray> tableFileBytes(const QString& tableText);

// Whether an entry text can join a table file: a "|" would split it into two entries and a double quote
// would cut the table short on the next read. File names on Linux may hold both.
bool entryFitsInTableFile(const QString& entryText);

}  // namespace quel
