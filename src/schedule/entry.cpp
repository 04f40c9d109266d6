#include "schedule/entry.h"

namespace quel {

EntryFields splitEntry(const QString& entry) {
    EntryFields f;
    const qsizetype star = entry.indexOf(QLatin1Char('*'));
    const qsizetype gt = entry.indexOf(QLatin1Char('>'));
    const qsizetype lt = entry.indexOf(QLatin1Char('<'));
    // Each field runs from just after its opening separator to the next separator that follows it.
    f.time = entry.left(star >= 0 ? star : (gt >= 0 ? gt : (lt >= 0 ? lt : entry.size())));
    if (star >= 0) {
        qsizetype end = gt > star ? gt : (lt > star ? lt : entry.size());
        f.comment = entry.mid(star + 1, end - star - 1);
    }
    if (gt >= 0) {
        qsizetype end = lt > gt ? lt : entry.size();
        f.attribute = entry.mid(gt + 1, end - gt - 1);
    }
    if (lt >= 0)
        f.response = entry.mid(lt + 1);
    return f;
}

QString joinEntry(const EntryFields& f) {
    return f.time + QLatin1Char('*') + f.comment + QLatin1Char('>') + f.attribute + QLatin1Char('<') +
           f.response;
}

}  // namespace quel
