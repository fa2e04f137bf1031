// Chasing: bringing every channel to the state the song gives it at a tick, without playing
// the notes before it, so that playback can go on from there as if it had played through.
#pragma once

#include <windows.h>

// Rewinds the song and walks it up to `tick` silently, then sends what the song set on the
// way: its system-exclusive messages in their order, then for every channel the song uses
// a reset of its controllers, bank and program, each controller's last value, the
// registered and non-registered parameters with their data in the order they came, the
// pitch bend and the channel pressure. The readers are left so that the events at `tick`
// come on the clock's next step, at the tempo in force there. The playback timer must be
// stopped.
void ChaseSongTo(DWORD tick);
