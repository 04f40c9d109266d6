#pragma once

#include <QStringList>

#include "schedule/program_clock.h"
#include "schedule/vocabulary.h"

namespace quel {

// The recorded words and numbers that speak `clock` in `voice`, in playing order, each as a path
// relative to the program folder (SayTimeWav/M/ML.wav). A whole hour ends on the word Z; any other
// time gives hour, minute and second, a 0 included. Numbers have no leading zero.
QStringList sayTimeFiles(Voice voice, const ProgramClock& clock);

}  // namespace quel
