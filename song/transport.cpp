#include "song/transport.h"

// Placeholders until song playback lands (the issue "Standard MIDI File playback: loader,
// track reader, song dispatch, playback clock"): F1, F4 and F5 are bound to these and do
// nothing yet.
void StopAndReset() {}
void RewindAndPlay() {}
void TogglePlayback() {}
