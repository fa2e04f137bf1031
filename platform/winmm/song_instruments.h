// The instruments a Standard MIDI File will choose, read from its bytes.
#pragma once

#include <cstddef>
#include <vector>

#include "winmm/midi_device.h"

namespace plk::winmm {

// Empty for bytes that are not a Standard MIDI File; reads nothing past `size`.
std::vector<InstrumentChoice> SongInstruments(const unsigned char* data, std::size_t size);

}  // namespace plk::winmm
