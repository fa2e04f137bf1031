// The transport keys of song playback.
#pragma once

void StopAndReset();    // F1: stop, rewind, reset every channel and reopen the output
void RewindAndPlay();   // F4
void TogglePlayback();  // F5: pause when playing, else play from the current position
