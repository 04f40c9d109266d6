#include "schedule/table.h"

namespace quel {

namespace {
constexpr QChar kBar = QLatin1Char('|');
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

ResponseClass responseClass(const QString& response) {
    if (response.startsWith(QStringLiteral("播音开")))
        return ResponseClass::BroadcastOn;
    if (response.startsWith(QStringLiteral("播音关")))
        return ResponseClass::BroadcastOff;
    if (response.startsWith(QStringLiteral("关机")))
        return ResponseClass::Shutdown;
    return ResponseClass::Other;
}

}  // namespace quel
