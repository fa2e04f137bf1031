// Standard MIDI Files built in memory, for tests, the fuzz corpus, benchmarks and the
// end-to-end songs: raw chunks for malformed files, and whole songs from timed events
// together with the schedule on which a player must send them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plk::smf {

using Bytes = std::vector<std::uint8_t>;

Bytes VarLen(std::uint32_t value);
// "MThd", length 6, format, track count and division.
Bytes Header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division);
Bytes Chunk(const char (&type)[5], const Bytes& data);
Bytes File(std::uint16_t division, const std::vector<Bytes>& tracks, std::uint16_t format = 1);
Bytes operator+(Bytes a, const Bytes& b);
// Bytes as text, two lowercase hex digits each separated by blanks ("90 3c 40"), and back.
std::string HexText(const std::uint8_t* bytes, std::size_t length);
Bytes HexBytes(const std::string& text);

// One event at an absolute tick. `bytes` is the whole event with its status byte; for
// system exclusive, the data after the length quantity; for a tempo change, only the
// tempo (use Tempo()).
struct Event {
  std::uint32_t tick;
  Bytes bytes;
};
Event Tempo(std::uint32_t tick, std::uint32_t micros);
Event SystemExclusive(std::uint32_t tick, std::uint8_t status, const Bytes& data);

// Event bytes of one track: delta times, running status wherever the status repeats (it
// never continues across meta or system-exclusive events), end of track last.
Bytes TrackData(const std::vector<Event>& events);

// A message as the MIDI log shows it ("short 90 3c 40", "long f0 7e f7") and when an
// ideal player sends it, in microseconds from the start.
struct ScheduledMessage {
  std::uint64_t micros;
  std::string channel;  // "0".."15", or "sys" for system messages
  std::string call;
};
// Every message of the song in the order of its time (tracks in file order within one
// tick), with times from the tempo map in exact integer arithmetic.
std::vector<ScheduledMessage> Schedule(std::uint16_t division,
                                       const std::vector<std::vector<Event>>& tracks);

}  // namespace plk::smf
