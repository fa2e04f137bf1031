#include "smf/test_songs.h"

namespace plk::smf {

namespace {

void Append(Bytes& data, std::initializer_list<std::uint8_t> bytes) {
  data.insert(data.end(), bytes);
}

// Before a group of eight events, whose first has its own status byte, so running status
// never has to continue across these.
void AppendExtras(Bytes& data, std::uint32_t event, std::uint8_t channel) {
  if (event % 128 == 0) {
    Append(data, {0x00, 0xF0, 0x04, 0x7E, channel, std::uint8_t((event / 128) & 0x7F), 0xF7});
  }
  if (channel == 0 && event % 1024 == 0) {
    const std::uint32_t micros = event / 1024 % 2 ? 400000 : 60000;
    Append(data, {0x00, 0xFF, 0x51, 0x03, std::uint8_t(micros >> 16), std::uint8_t(micros >> 8),
                  std::uint8_t(micros)});
  }
}

}  // namespace

Bytes DenseTrackData(std::uint32_t events, std::uint8_t channel, bool extras) {
  Bytes data;
  data.reserve(std::size_t{events} * 4 + 4);
  const std::uint8_t noteOn = 0x90 | channel, noteOff = 0x80 | channel;
  for (std::uint32_t i = 0; i < events; i++) {
    const auto note = static_cast<std::uint8_t>(36 + i % 48);
    if (extras && i % 8 == 0) AppendExtras(data, i, channel);
    switch (i % 8) {
      case 0: Append(data, {0x01, noteOn, note, 0x64}); break;
      case 1: Append(data, {0x00, std::uint8_t(note + 4), 0x50}); break;  // running status
      case 2: Append(data, {0x01, noteOff, note, 0x40}); break;
      case 3: Append(data, {0x00, std::uint8_t(note + 4), 0x40}); break;
      case 4: Append(data, {0x01, std::uint8_t(0xB0 | channel), 0x07, 0x64}); break;
      case 5: Append(data, {0x00, std::uint8_t(0xC0 | channel), std::uint8_t(i & 0x7F)}); break;
      case 6: Append(data, {0x01, noteOn, note, 0x00}); break;  // a note-on of velocity 0
      default: Append(data, {0x00, noteOff, note, 0x40}); break;
    }
  }
  Append(data, {0x00, 0xFF, 0x2F, 0x00});
  return data;
}

Bytes DenseSong(std::uint32_t tracks, std::uint32_t eventsPerTrack, bool extras) {
  std::vector<Bytes> data;
  for (std::uint32_t t = 0; t < tracks; t++) {
    data.push_back(DenseTrackData(eventsPerTrack, static_cast<std::uint8_t>(t), extras));
  }
  return File(480, data);
}

Bytes IdleTrackData() {
  Bytes data = VarLen(0x0FFFFFFF);
  Append(data, {0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00});
  return data;
}

}  // namespace plk::smf
