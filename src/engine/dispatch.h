#pragma once

#include <QString>
#include <QStringView>

namespace quel {

// What a fired entry's Response asks for, in the order the keywords are tried. The first keyword the
// Response starts with wins; a Response that starts with none is a tone, its whole text a sound path.
enum class ResponseKind {
    BroadcastStaticOn,
    BroadcastDynamicOn,
    BroadcastOff,
    RadioOn,
    RadioOff,
    Shutdown,
    Restart,
    Logoff,
    JustMyTime,
    RunProgram,
    OpenTable,
    SayTimeMale,
    SayTimeFemale,
    Tone,
};

ResponseKind responseKind(QStringView response);

// The longest command line a 执行程序 Response hands on; longer text is cut there.
inline constexpr qsizetype kMaxCommandLength = 500;

// The command line of a 执行程序 Response: the text after the keyword, at most kMaxCommandLength
// characters, never ending in half a surrogate pair.
QString commandOf(QStringView response);

}  // namespace quel
