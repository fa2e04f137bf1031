// Implements: the instruments a Standard MIDI File will choose, read from its bytes: every
// program change with the bank that controller 0 last set on its channel (channel 10 is
// the drum channel), tracks taken one after another, each choice once.
// Does not implement: the order of events across tracks (a bank set on one track for a
// program change on another counts only when its track comes first), drum parts set up by
// system-exclusive messages.
#pragma once

#include <cstddef>
#include <vector>

#include "winmm/midi_device.h"

namespace plk::winmm {

// Empty for bytes that are not a Standard MIDI File; reads nothing past `size`.
std::vector<InstrumentChoice> SongInstruments(const unsigned char* data, std::size_t size);

}  // namespace plk::winmm
