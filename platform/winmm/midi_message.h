// Short MIDI messages as winmm packs them into a word: status in bits 0-7, the first data
// byte in bits 8-15, the second in bits 16-23.
#pragma once

#include <windows.h>

#include <cstddef>

namespace plk::winmm {

inline DWORD PackShortMessage(DWORD status, DWORD data1, DWORD data2) {
  return status | (data1 << 8) | (data2 << 16);
}

// The bytes of a short message with this status, the status included: 1 to 3.
inline std::size_t ShortMessageLength(BYTE status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 2;
    case 0xF0:
      if (status == 0xF1 || status == 0xF3) return 2;
      return status == 0xF2 ? 3 : 1;
    default: return 3;
  }
}

}  // namespace plk::winmm
