#include "engine/tone_cue.h"

#include <optional>

#include "engine/next_entry.h"
#include "engine/recurrence.h"
#include "schedule/entry_grammar.h"

namespace quel {

namespace {

// The sound path the tick would hand the tone player for the entry that rings next, if it rings soon.
std::optional<QString> toneDueSoon(const ToneCueInput& in) {
    if (in.silentDay || in.skippingNextBell)
        return std::nullopt;
    const std::optional<DueEntry> next = nextDue(in.entries, in.clock, in.day, in.ringsAs);
    if (!next || next->second - secondOfDay(in.clock) > in.leadSeconds)
        return std::nullopt;
    // The Response exactly as the tick will cut it from the entry, so that the cued name is the one
    // written on the second.
    const QString& entry = in.entries[next->index];
    const std::optional<qsizetype> mark = responseMarkWhenHolds(entry, in.day, in.ringsAs);
    if (!mark)
        return std::nullopt;
    const ParsedResponse response = parseResponse(QStringView(entry).mid(*mark + 1));
    if (response.kind != ResponseKind::Tone || response.payload.isEmpty())
        return std::nullopt;
    return response.payload;
}

}  // namespace

ToneCueStep nextToneCue(const ToneCueInput& in) {
    using Action = ToneCueStep::Action;
    if (in.player == TonePlayerState::Busy)
        return {};
    const std::optional<QString> due = toneDueSoon(in);
    if (in.player == TonePlayerState::Cued) {
        if (due && *due == in.cuedPath)
            return {};
        return due ? ToneCueStep{Action::Cue, *due} : ToneCueStep{Action::Release, {}};
    }
    return due ? ToneCueStep{Action::Cue, *due} : ToneCueStep{};
}

}  // namespace quel
