// Mute and solo for playing along: a silenced channel's song notes are kept from the
// output but still counted and drawn, so the player sees the part they play themselves.
// Its other messages, and live play and MIDI input on it, go out as ever. Kept for the
// session only.
#pragma once

#include <windows.h>

// Whether the channel is muted, or left out because other channels are soloed.
BOOL ChannelSilenced(int ch);
BOOL ChannelMuted(int ch);
BOOL ChannelSoloed(int ch);
// UI thread. A channel that falls silent gets a note-off for every note held on it (its
// keys stay lit); every row whose header changes is redrawn.
void SetChannelMuted(int ch, BOOL muted);
void SetChannelSoloed(int ch, BOOL soloed);
// Clears every mute and solo.
void UnmuteAllChannels();
