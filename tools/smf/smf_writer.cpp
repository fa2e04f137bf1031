#include "smf/smf_writer.h"

#include "song/smf_writer.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace plk::smf {

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

namespace {

// One piece from the program's writer: counted first, then written.
template <typename... Args>
Bytes Piece(DWORD (*write)(BYTE*, Args...), Args... args) {
  Bytes bytes(write(nullptr, args...));
  write(bytes.data(), args...);
  return bytes;
}

}  // namespace

Bytes VarLen(std::uint32_t value) { return Piece<DWORD>(WriteVarLen, value); }

Bytes Header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division) {
  return Piece<WORD, WORD, WORD>(WriteSmfHeader, format, tracks, division);
}

Bytes Chunk(const char (&type)[5], const Bytes& data) {
  return Piece<const char*, DWORD>(WriteChunkHeader, type, static_cast<DWORD>(data.size())) + data;
}

Bytes File(std::uint16_t division, const std::vector<Bytes>& tracks, std::uint16_t format) {
  Bytes file = Header(format, static_cast<std::uint16_t>(tracks.size()), division);
  for (const Bytes& track : tracks) file = file + Chunk("MTrk", track);
  return file;
}

Event Tempo(std::uint32_t tick, std::uint32_t micros) {
  return {tick, Piece<DWORD>(WriteTempoEvent, micros)};
}

Event SystemExclusive(std::uint32_t tick, std::uint8_t status, const Bytes& data) {
  return {tick, Bytes{status} + VarLen(static_cast<std::uint32_t>(data.size())) + data};
}

Bytes TrackData(const std::vector<Event>& events) {
  Bytes data;
  std::uint32_t tick = 0;
  std::uint8_t running = 0;
  for (const Event& event : events) {
    const Bytes delta = VarLen(event.tick - tick);
    data.insert(data.end(), delta.begin(), delta.end());
    tick = event.tick;
    const std::uint8_t status = event.bytes[0];
    const bool channelMessage = status >= 0x80 && status < 0xF0;
    if (channelMessage && status == running) {
      data.insert(data.end(), event.bytes.begin() + 1, event.bytes.end());
    } else {
      data.insert(data.end(), event.bytes.begin(), event.bytes.end());
    }
    running = channelMessage ? status : 0;
  }
  return data + Bytes{0x00} + Piece(WriteEndOfTrack);
}

std::string HexText(const std::uint8_t* bytes, std::size_t length) {
  std::string text;
  char digits[4];
  for (std::size_t i = 0; i < length; i++) {
    std::snprintf(digits, sizeof digits, i ? " %02x" : "%02x", bytes[i]);
    text += digits;
  }
  return text;
}

Bytes HexBytes(const std::string& text) {
  Bytes bytes;
  for (std::size_t at = 0; at + 1 < text.size(); at += 3) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(at, 2), nullptr, 16)));
  }
  return bytes;
}

namespace {

std::string Hex(const std::string& prefix, const Bytes& bytes) {
  return bytes.empty() ? prefix : prefix + " " + HexText(bytes.data(), bytes.size());
}

// The log's form of an event; empty for events that send nothing.
std::string CallOf(const Bytes& event) {
  const std::uint8_t status = event[0];
  if (status == 0xFF) return {};
  if (status == 0xF0 || status == 0xF7) {
    std::size_t lengthBytes = 1;
    while (event[lengthBytes] & 0x80) lengthBytes++;
    return Hex("long", Bytes{status} + Bytes(event.begin() + 1 + lengthBytes, event.end()));
  }
  Bytes word{status, 0, 0};
  for (std::size_t i = 1; i < event.size() && i < 3; i++) word[i] = event[i];
  return Hex("short", word);
}

}  // namespace

std::vector<ScheduledMessage> Schedule(std::uint16_t division,
                                       const std::vector<std::vector<Event>>& tracks) {
  // Tempo map: tick -> tempo, the last change at a tick wins.
  std::map<std::uint32_t, std::uint32_t> tempos{{0, 500000}};
  for (const auto& track : tracks) {
    for (const Event& event : track) {
      if (event.bytes[0] == 0xFF && event.bytes[1] == 0x51) {
        tempos[event.tick] =
            std::max<std::uint32_t>(1, event.bytes[3] << 16 | event.bytes[4] << 8 | event.bytes[5]);
      }
    }
  }
  // Microseconds x division at a tick, summed exactly over the tempo segments before it.
  auto scaledTime = [&](std::uint32_t tick) {
    unsigned __int128 sum = 0;
    auto at = tempos.begin();
    for (auto next = std::next(at); next != tempos.end() && next->first < tick; at = next++) {
      sum += static_cast<unsigned __int128>(next->first - at->first) * at->second;
    }
    sum += static_cast<unsigned __int128>(tick - at->first) * at->second;
    return sum;
  };
  std::vector<std::pair<std::uint32_t, ScheduledMessage>> all;
  for (const auto& track : tracks) {
    for (const Event& event : track) {
      std::string call = CallOf(event.bytes);
      if (call.empty()) continue;
      const std::uint8_t status = event.bytes[0];
      std::string channel = status < 0xF0 ? std::to_string(status & 0x0F) : "sys";
      const auto micros = static_cast<std::uint64_t>(scaledTime(event.tick) / division);
      all.push_back({event.tick, {micros, channel, call}});
    }
  }
  std::stable_sort(all.begin(), all.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<ScheduledMessage> schedule;
  for (auto& entry : all) schedule.push_back(entry.second);
  return schedule;
}

}  // namespace plk::smf
