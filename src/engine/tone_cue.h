#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include "schedule/program_clock.h"

namespace quel {

// How long before its second the tone that rings next is opened and held ready. Long enough that a
// slow disk has opened and decoded its start, short enough that a table edited meanwhile rarely finds a
// file held for nothing.
inline constexpr int kToneCueLeadSeconds = 3;

// What the tone player holds: nothing (the next tone may be cued), a file it was cued with and that has
// not sounded yet, or a sound of its own (a tone, the alarm, a preview) that must not be disturbed.
enum class TonePlayerState { Idle, Cued, Busy };

struct ToneCueStep {
    enum class Action { Keep, Cue, Release };
    Action action = Action::Keep;
    QString path;  // of Cue
    bool operator==(const ToneCueStep&) const = default;
};

struct ToneCueInput {
    const QStringList& entries;
    ProgramClock clock;
    QDate day;
    int ringsAs = 0;
    bool silentDay = false;
    bool skippingNextBell = false;  // the next tone is passed over, so it is not worth holding
    TonePlayerState player = TonePlayerState::Idle;
    QString cuedPath;  // of a Cued player
    int leadSeconds = kToneCueLeadSeconds;
};

// What to do with the tone player now, at a tick, so that the tone of the next due entry is open when
// its second comes: cue it when it is due within the lead and the player is free, let a cued file go
// once it is no longer the one that rings next (the entry was edited or removed, its second passed),
// and otherwise leave the player alone.
ToneCueStep nextToneCue(const ToneCueInput& in);

}  // namespace quel
