#include "smf/midi_log.h"

#include <fstream>
#include <sstream>

namespace plk::smf {
namespace {

struct Timed {
  std::int64_t micros = 0;
  std::string call;
};
using ByChannel = std::map<std::string, std::vector<Timed>>;

std::string ChannelOf(const std::string& call) {
  if (call.rfind("long", 0) == 0) return "sys";
  const std::string status = call.substr(6, 2);
  return status[0] == 'f' ? "sys" : std::to_string(std::stoi(status.substr(1), nullptr, 16));
}

ByChannel ReadSchedule(const std::string& path) {
  ByChannel expected;
  std::ifstream schedule(path);
  for (std::string line; std::getline(schedule, line);) {
    std::istringstream fields(line);
    Timed timed;
    std::string channel;
    fields >> timed.micros >> channel;
    std::getline(fields >> std::ws, timed.call);
    expected[channel].push_back(timed);
  }
  return expected;
}

ByChannel ReadLog(const std::string& path, int firstLine) {
  ByChannel logged;
  std::ifstream log(path);
  int number = 0;
  for (std::string line; std::getline(log, line);) {
    if (++number < firstLine) continue;
    std::istringstream fields(line);
    Timed timed;
    fields >> timed.micros;
    std::getline(fields >> std::ws, timed.call);
    if (timed.call.rfind("short", 0) == 0 || timed.call.rfind("long", 0) == 0) {
      logged[ChannelOf(timed.call)].push_back(timed);
    }
  }
  return logged;
}

}  // namespace

void WriteSchedule(const std::string& path, const std::vector<ScheduledMessage>& schedule) {
  std::ofstream file(path);
  for (const ScheduledMessage& message : schedule) {
    file << message.micros << ' ' << message.channel << ' ' << message.call << '\n';
  }
}

bool LoggedOffsets(const std::string& schedulePath, const std::string& logPath, int firstLine,
                   std::vector<std::int64_t>& offsets, std::string& mismatches,
                   std::vector<std::int64_t>* scheduled) {
  const ByChannel expected = ReadSchedule(schedulePath);
  ByChannel logged = ReadLog(logPath, firstLine);
  for (const auto& [channel, messages] : expected) {
    const std::vector<Timed>& got = logged[channel];
    bool same = got.size() == messages.size();
    for (std::size_t i = 0; same && i < messages.size(); i++)
      same = got[i].call == messages[i].call;
    if (!same) {
      mismatches += "channel " + channel + ": " + std::to_string(got.size()) +
                    " messages logged, " + std::to_string(messages.size()) +
                    " expected, or out of order\n";
      continue;
    }
    for (std::size_t i = 0; i < messages.size(); i++) {
      offsets.push_back(got[i].micros - messages[i].micros);
      if (scheduled) scheduled->push_back(messages[i].micros);
    }
  }
  for (const auto& [channel, messages] : logged) {
    if (!expected.count(channel) && !messages.empty()) {
      mismatches +=
          "channel " + channel + ": " + std::to_string(messages.size()) + " unexpected messages\n";
    }
  }
  return mismatches.empty();
}

}  // namespace plk::smf
