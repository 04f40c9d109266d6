#include "schedule/table.h"

#include "schedule/entry_grammar.h"

namespace quel {

namespace {
constexpr QChar kBar = grammar::kEntryMark;
}

QStringList splitTableText(const QString& tableText) {
    QStringList parts = tableText.split(kBar);
    parts.removeFirst();  // the text before the first bar, or the whole text when there is none
    return parts;
}

QString tableTextOf(const QStringList& entriesInFileOrder) {
    QString text;
    for (const QString& entry : entriesInFileOrder)
        text += kBar + entry;
    return text;
}

QString removeEntry(const QString& tableText, const QString& entryText) {
    QStringList parts = tableText.split(kBar);
    const QString lead = parts.takeFirst();
    parts.removeAll(entryText);
    QString text = lead;
    for (const QString& entry : parts)
        text += kBar + entry;
    return text;
}

}  // namespace quel
