#pragma once

#include <QString>

namespace quel {

// The four fields of an entry text "Time*Comment>Attribute<Response", found by the first occurrence
// of each separator. A separator that is missing (a file edited by hand) leaves its field and the
// fields after it that depend on it empty; nothing is invented.
struct EntryFields {
    QString time;
    QString comment;
    QString attribute;
    QString response;
};

EntryFields splitEntry(const QString& entry);
QString joinEntry(const EntryFields& fields);

inline const QString kNoComment = QStringLiteral("没有注释");

}  // namespace quel
