// Pieces of a Standard MIDI File written into a caller's buffer. Each returns the number of
// bytes it wrote; with a null buffer it only counts them.
#pragma once

#include <windows.h>

// At most 5 bytes: 7 bits a byte, most significant first, the high bit set on all but the last.
DWORD WriteVarLen(BYTE* out, DWORD value);
// "MThd", length 6, then format, track count and division, big-endian: 14 bytes.
DWORD WriteSmfHeader(BYTE* out, WORD format, WORD trackCount, WORD division);
// The four letters of `type` and the big-endian length: 8 bytes.
DWORD WriteChunkHeader(BYTE* out, const char* type, DWORD length);
// Set Tempo (FF 51 03 and the microseconds per quarter note), without a delta time.
DWORD WriteTempoEvent(BYTE* out, DWORD micros);
// End of Track (FF 2F 00), without a delta time.
DWORD WriteEndOfTrack(BYTE* out);
// The bytes a channel message takes with its status: 2 for program change and channel
// pressure, else 3.
DWORD ChannelMessageLength(BYTE status);
