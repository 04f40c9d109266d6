#pragma once

#include <QLoggingCategory>

namespace quel {

// Every category of the program is named "quel.<area>", so that one rule such as
// QT_LOGGING_RULES="quel.*.debug=true" shows all of them and "quel.media.debug=true" one area.
// Each is defined in the library of its area.

// Why a sound stayed silent, and which files really began (the end-to-end runs read "Started").
Q_DECLARE_LOGGING_CATEGORY(lcMedia)
// When each entry fired, to the millisecond.
Q_DECLARE_LOGGING_CATEGORY(lcTick)
// The radio's line input on the sound server.
Q_DECLARE_LOGGING_CATEGORY(lcLineIn)
// The hold against the desktop's suspend.
Q_DECLARE_LOGGING_CATEGORY(lcInhibit)

}  // namespace quel
