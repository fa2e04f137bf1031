#include "song/smf_writer.h"

#include <cstring>

namespace {

// Where the next piece goes; still null when only counting.
BYTE* At(BYTE* out, DWORD offset) { return out ? out + offset : nullptr; }

DWORD WriteBytes(BYTE* out, const BYTE* bytes, DWORD count) {
  if (out) std::memcpy(out, bytes, count);
  return count;
}

DWORD WriteBigEndian(BYTE* out, DWORD value, DWORD byteCount) {
  for (DWORD i = 0; out && i < byteCount; i++) out[i] = BYTE(value >> (8 * (byteCount - 1 - i)));
  return byteCount;
}

}  // namespace

DWORD WriteVarLen(BYTE* out, DWORD value) {
  DWORD count = 1;
  while (count < 5 && value >> (7 * count)) count++;
  for (DWORD i = 0; out && i < count; i++) {
    const BYTE group = BYTE((value >> (7 * (count - 1 - i))) & 0x7F);
    out[i] = i + 1 < count ? BYTE(group | 0x80) : group;
  }
  return count;
}

DWORD WriteSmfHeader(BYTE* out, WORD format, WORD trackCount, WORD division) {
  DWORD used = WriteChunkHeader(out, "MThd", 6);
  used += WriteBigEndian(At(out, used), format, 2);
  used += WriteBigEndian(At(out, used), trackCount, 2);
  return used + WriteBigEndian(At(out, used), division, 2);
}

DWORD WriteChunkHeader(BYTE* out, const char* type, DWORD length) {
  WriteBytes(out, reinterpret_cast<const BYTE*>(type), 4);
  return 4 + WriteBigEndian(At(out, 4), length, 4);
}

DWORD WriteTempoEvent(BYTE* out, DWORD micros) {
  const BYTE meta[] = {0xFF, 0x51, 0x03};
  WriteBytes(out, meta, sizeof meta);
  return sizeof meta + WriteBigEndian(At(out, sizeof meta), micros, 3);
}

DWORD WriteEndOfTrack(BYTE* out) {
  const BYTE meta[] = {0xFF, 0x2F, 0x00};
  return WriteBytes(out, meta, sizeof meta);
}

DWORD ChannelMessageLength(BYTE status) { return (status & 0xE0) == 0xC0 ? 2 : 3; }
