// RealtimeKit, the system bus service that desktops run so that an ordinary user's sound
// threads may have a real-time policy: PulseAudio and PipeWire clients ask it, as the synth's
// sound threads do here when the process may not take that policy itself.
#pragma once

#include <sys/types.h>

namespace plk::winmm {

// Asks the kit on the system bus to run `thread` (a thread of this process) with a real-time
// policy at `priority`, or at the kit's highest where that is lower. Lowers the process's
// RLIMIT_RTTIME first to what the kit asks of its clients. Blocks for the round trip (2 s at
// most); returns the priority granted, or a negative errno when the kit is missing or refuses.
int MakeThreadRealtimeThroughKit(pid_t thread, int priority);

}  // namespace plk::winmm
