#pragma once

#include <sys/types.h>

namespace quel {

// The kernel's fair scheduler (Linux 6.12 and later) lets a thread ask for short turns on the processor.
// Such a thread is run soon after it wakes, even on a processor that other work keeps busy, and is
// interrupted sooner in return; its share of the processor stays the same. The bell's thread asks for
// them, so that on a busy computer it rings, and the program it starts runs, on the second rather than
// a scheduler's period late. Older kernels accept the request and change nothing.
namespace turns {

// What the bell's thread asks for. After a second asleep, the tick takes about a third of a millisecond
// to reach the program it starts; a shorter turn ends in the middle of that work, and the busy work
// that takes the processor then keeps it for the rest of the scheduler's period (4 ms). The kernel's
// ordinary turn is over a millisecond.
inline constexpr unsigned long long kShortNanoseconds = 300'000;

// The calling thread asks for turns of `nanoseconds` (the kernel allows 0.1 to 100 ms). True when the
// kernel took the request.
bool ask(unsigned long long nanoseconds);
inline bool askShort() {
    return ask(kShortNanoseconds);
}

// The threads of process `pid` that still carry the short turns they inherited from us go back to
// the kernel's ordinary ones, keeping their policy and niceness. A thread that asked for turns of its
// own keeps them.
void giveBackOrdinary(pid_t pid);

// The length of the turns `tid` runs with, in nanoseconds, as the kernel reports it: what it asked
// for, or the ordinary length. 0 when it cannot be read, and before Linux 6.12.
unsigned long long requested(pid_t tid);

}  // namespace turns
}  // namespace quel
