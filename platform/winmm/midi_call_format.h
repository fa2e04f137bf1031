// The text form of one MIDI output call, shared by the log device, the test recorder and
// the replay device, which reads it back.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plk::winmm {

std::string FormatShortMessage(DWORD message);                      // "short 90 3c 7f"
std::string FormatLongMessage(const BYTE* data, std::size_t size);  // "long f0 7e ... f7"

// The bytes of a "short" or "long" call; none for the log's other calls ("open", "reset",
// "close"); nullopt for anything else.
std::optional<std::vector<BYTE>> ParseMidiCall(std::string_view call);

}  // namespace plk::winmm
