// Implements: the text form of one MIDI output call, shared by the log device, the test
// recorder and the replay device: "short 90 3c 7f" (the status and its data bytes),
// "long f0 7e ... f7", and reading such a line back into its bytes.
// Does not implement: the times the log device writes before each call, comments.
#include "winmm/midi_call_format.h"

#include <charconv>
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

std::optional<std::vector<BYTE>> ParseMidiCall(std::string_view call) {
  const std::string_view kind = call.substr(0, call.find(' '));
  if (kind == "open" || kind == "reset" || kind == "close") {
    if (kind.size() != call.size()) return std::nullopt;
    return std::vector<BYTE>{};
  }
  if (kind != "short" && kind != "long") return std::nullopt;
  std::vector<BYTE> bytes;
  for (std::size_t at = kind.size(); at < call.size(); at += 3) {
    unsigned value = 0;
    const char* digits = call.data() + at + 1;
    if (call[at] != ' ' || at + 3 > call.size() ||
        std::from_chars(digits, digits + 2, value, 16).ptr != digits + 2) {
      return std::nullopt;
    }
    bytes.push_back(static_cast<BYTE>(value));
  }
  if (bytes.empty() || (kind == "short" && bytes.size() > 3)) return std::nullopt;
  return bytes;
}

}  // namespace plk::winmm
