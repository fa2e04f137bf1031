#include "bench_songs.h"

namespace plk::bench {

namespace {

void Append(plk::smf::Bytes& data, std::initializer_list<std::uint8_t> bytes) {
  data.insert(data.end(), bytes);
}

}  // namespace

plk::smf::Bytes DenseTrackData(std::uint32_t events, std::uint8_t channel) {
  plk::smf::Bytes data;
  data.reserve(std::size_t{events} * 4 + 4);
  const std::uint8_t noteOn = 0x90 | channel, noteOff = 0x80 | channel;
  for (std::uint32_t i = 0; i < events; i++) {
    const auto note = static_cast<std::uint8_t>(36 + i % 48);
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

plk::smf::Bytes IdleTrackData() {
  plk::smf::Bytes data = plk::smf::VarLen(0x0FFFFFFF);
  Append(data, {0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00});
  return data;
}

}  // namespace plk::bench
