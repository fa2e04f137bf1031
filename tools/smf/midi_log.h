// A song's ideal schedule written beside it, and the MIDI log a player wrote while playing
// it, compared message by message: for the end-to-end tests and the playback benchmark.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "smf/smf_writer.h"

namespace plk::smf {

// "micros channel call" per line, in the schedule's order.
void WriteSchedule(const std::string& path, const std::vector<ScheduledMessage>& schedule);

// The logged messages (short and long calls) from line `firstLine` (1-based) on, each
// channel's in order ("0".."15", "sys"), against the schedule's: the offsets (logged minus
// scheduled, in µs) when every channel's messages are the schedule's, once and in order;
// otherwise false, with one line per channel that differs in `mismatches`. `scheduled`, when
// given, receives each message's scheduled time (µs), in the order of `offsets`.
bool LoggedOffsets(const std::string& schedulePath, const std::string& logPath, int firstLine,
                   std::vector<std::int64_t>& offsets, std::string& mismatches,
                   std::vector<std::int64_t>* scheduled = nullptr);

}  // namespace plk::smf
