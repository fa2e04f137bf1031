// Large Standard MIDI Files for the song benchmarks, written straight into bytes (the
// test writer keeps every event as its own vector, too slow and big for millions).
#pragma once

#include <cstdint>

#include "smf/smf_writer.h"

namespace plk::bench {

// Event bytes of a track of `events` channel events on `channel` in a repeating mix:
// note-ons and note-offs with and without running status, a controller and a program
// change, one tick apart in pairs; end of track last.
plk::smf::Bytes DenseTrackData(std::uint32_t events, std::uint8_t channel);
// A track whose only event lies further away than any benchmark plays.
plk::smf::Bytes IdleTrackData();

}  // namespace plk::bench
