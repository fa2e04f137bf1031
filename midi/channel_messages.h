// Short messages from a song (and from any other source of MIDI messages): the channel
// record is changed to match, the message goes out, and what changed is queued for
// redrawing.
#pragma once

#include <windows.h>

// Note-on and note-off change the key's held count (a note-on of velocity 0 is a
// note-off); bank select (controllers 0 and 32) and program change go into the instrument
// bytes. Any other message, system messages included, is only sent.
void SendChannelMessage(BYTE status, BYTE data1, BYTE data2);
// The same change in the channel record and the same redraw, without sending: a note of
// a silenced channel.
void MirrorChannelMessage(BYTE status, BYTE data1, BYTE data2);
