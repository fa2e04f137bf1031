// Implements: the instruments a Standard MIDI File will choose, read from its bytes: every
// program change with the bank that controller 0 last set on its channel (channel 10 is
// the drum channel), tracks taken one after another, each choice once.
// Does not implement: the order of events across tracks (a bank set on one track for a
// program change on another counts only when its track comes first), drum parts set up by
// system-exclusive messages.
#include "winmm/song_instruments.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace plk::winmm {
namespace {

constexpr int kDrumChannel = 9;
constexpr int kDrumBank = 128;
constexpr std::size_t kMostChoices = 256;

class Bytes {
 public:
  Bytes(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return at_ >= size_; }
  // Whether a read asked for a byte past the end (a track cut short).
  bool Overrun() const { return overrun_; }
  std::size_t Left() const { return size_ - at_; }
  unsigned Next() {
    if (at_ < size_) return data_[at_++];
    overrun_ = true;
    return 0;
  }
  void Skip(std::size_t count) { at_ += std::min(count, Left()); }
  std::uint32_t Number(int bytes) {
    std::uint32_t value = 0;
    while (bytes-- > 0) value = value << 8 | Next();
    return value;
  }
  std::uint32_t VariableLength() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4 && !AtEnd(); ++i) {
      const unsigned byte = Next();
      value = value << 7 | (byte & 0x7F);
      if (!(byte & 0x80)) break;
    }
    return value;
  }
  bool Tag(const char* tag) {
    if (Left() < 4 || std::memcmp(data_ + at_, tag, 4) != 0) return false;
    at_ += 4;
    return true;
  }
  Bytes Take(std::size_t count) {
    count = std::min(count, Left());
    Bytes part(data_ + at_, count);
    at_ += count;
    return part;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool overrun_ = false;
};

void AddChoice(std::vector<InstrumentChoice>& choices, const InstrumentChoice& choice) {
  if (choices.size() < kMostChoices &&
      std::find(choices.begin(), choices.end(), choice) == choices.end()) {
    choices.push_back(choice);
  }
}

// Data bytes after a status byte, as a Standard MIDI File stores them.
int DataBytes(unsigned status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    case 0xF0: return status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
    default: return 2;
  }
}

void ReadTrack(Bytes track, std::array<int, 16>& banks, std::vector<InstrumentChoice>& choices) {
  unsigned runningStatus = 0;
  while (!track.AtEnd()) {
    track.VariableLength();
    unsigned status = track.Next();
    if (status == 0xFF) {
      track.Next();
      track.Skip(track.VariableLength());
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {
      track.Skip(track.VariableLength());
      continue;
    }
    unsigned data[2] = {0, 0};
    int have = 0;
    if (status < 0x80) {
      if (runningStatus == 0) return;  // data without a status: nothing more can be read
      data[have++] = status;
      status = runningStatus;
    }
    runningStatus = status;
    for (int i = have; i < DataBytes(status); ++i) data[i] = track.Next();
    if (track.Overrun()) return;
    const int channel = static_cast<int>(status & 0x0F);
    if ((status & 0xF0) == 0xB0 && data[0] == 0) banks[channel] = static_cast<int>(data[1]);
    if ((status & 0xF0) == 0xC0) {
      const bool drum = channel == kDrumChannel;
      AddChoice(choices, {drum, drum ? kDrumBank : banks[channel], static_cast<int>(data[0])});
    }
  }
}

}  // namespace

std::vector<InstrumentChoice> SongInstruments(const unsigned char* data, std::size_t size) {
  std::vector<InstrumentChoice> choices;
  Bytes file(data, size);
  if (!file.Tag("MThd")) return choices;
  std::array<int, 16> banks{};
  file.Skip(file.Number(4));
  while (file.Left() >= 8) {
    const bool track = file.Tag("MTrk");
    if (!track) file.Skip(4);
    Bytes chunk = file.Take(file.Number(4));
    if (track) ReadTrack(chunk, banks, choices);
  }
  return choices;
}

}  // namespace plk::winmm
