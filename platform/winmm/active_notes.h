// Which notes sound on which channel, for the midiOutReset of devices that cannot silence
// themselves.
#pragma once

#include <windows.h>

#include <bitset>
#include <vector>

namespace plk::winmm {

class ActiveNotes {
 public:
  // Follows one short message word (status in the low byte).
  void Observe(DWORD message);
  bool IsSounding(int channel, int note) const { return sounding_[channel * 128 + note]; }
  // What Windows sends for midiOutReset: a note-off (velocity 0) for every sounding note,
  // channel by channel upward, then sustain off on all 16 channels. Forgets every note.
  std::vector<DWORD> TakeResetMessages();

 private:
  std::bitset<16 * 128> sounding_;
};

}  // namespace plk::winmm
