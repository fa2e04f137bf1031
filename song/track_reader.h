// Decoding of a track's event stream: variable-length quantities and running status.
#pragma once

#include <windows.h>

#include "song/song_state.h"

// The variable-length quantity at `bytes`, reading at most `available` bytes. byteCount
// receives the bytes it used, or 0 when the quantity does not end within `available`.
// Bits shifted out above 32 are lost, as the format allows any number of bytes.
DWORD DecodeVarLen(const BYTE* bytes, DWORD available, DWORD* byteCount);
