// Generated songs for the soak test, the song benchmarks and the fuzz corpus, written
// straight into bytes (a song of millions of events would be slow and big as Events).
#pragma once

#include <cstdint>

#include "smf/smf_writer.h"

namespace plk::smf {

// Event bytes of a track of `events` channel events on `channel` in a repeating mix:
// note-ons and note-offs with and without running status, a note-on of velocity 0, a
// volume change and a program change, one tick apart in pairs; end of track last. With `extras`,
// a system-exclusive message every 64 ticks from tick 0, and on channel 0 a tempo that
// swings between fast (60000) and slow (400000) every 512 ticks.
Bytes DenseTrackData(std::uint32_t events, std::uint8_t channel, bool extras = false);
// `tracks` dense tracks, track t on channel t, at 480 ticks a quarter.
Bytes DenseSong(std::uint32_t tracks, std::uint32_t eventsPerTrack, bool extras = false);
// A track whose only event lies further away than any benchmark plays.
Bytes IdleTrackData();

}  // namespace plk::smf
