// Song events to the MIDI output, the tempo and the channel records.
#pragma once

#include <windows.h>

// The EventSink of every loaded track; runs on the playback timer thread.
void DispatchSongEvent(const BYTE* event, DWORD length);
