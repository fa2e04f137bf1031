// The text form of one MIDI output call, shared by the log device and the test recorder.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace plk::winmm {

std::string FormatShortMessage(DWORD message);                      // "short 90 3c 7f"
std::string FormatLongMessage(const BYTE* data, std::size_t size);  // "long f0 7e ... f7"

}  // namespace plk::winmm
