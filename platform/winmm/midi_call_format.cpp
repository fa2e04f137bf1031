#include "winmm/midi_call_format.h"

#include <cstdio>

namespace plk::winmm {

namespace {

void AppendHexByte(std::string& text, unsigned value) {
  char digits[4];
  std::snprintf(digits, sizeof digits, " %02x", value & 0xFFu);
  text += digits;
}

}  // namespace

std::string FormatShortMessage(DWORD message) {
  std::string text = "short";
  for (int shift = 0; shift < 24; shift += 8) AppendHexByte(text, message >> shift);
  return text;
}

std::string FormatLongMessage(const BYTE* data, std::size_t size) {
  std::string text = "long";
  text.reserve(4 + 3 * size);
  for (std::size_t i = 0; i < size; ++i) AppendHexByte(text, data[i]);
  return text;
}

}  // namespace plk::winmm
