#pragma once

#include <QString>

namespace quel {

// What an operator's question was about: the document's file and how far its loads (and, for a
// document that counts them, its writes) had gone. Dialogs do not stop the clock tick, so the schedule
// may replace the document while one is open; a command takes the answer only while the mark it took
// before asking still equals the document's mark.
struct EditMark {
    QString path;
    quint64 generation = 0;

    bool operator==(const EditMark&) const = default;
};

}  // namespace quel
