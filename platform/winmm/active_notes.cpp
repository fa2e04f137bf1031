// Implements: the bookkeeping behind midiOutReset for devices that cannot silence
// themselves (a MIDI port): which notes are sounding on which channel, followed from the
// short messages sent, and the messages that silence them.
// Does not implement: sostenuto or voice stealing; a note is sounding from its note-on
// until a note-off, all-notes-off, all-sound-off or system reset.
#include "winmm/active_notes.h"

#include "winmm/midi_message.h"

namespace plk::winmm {
namespace {

constexpr DWORD kAllSoundOff = 120;
constexpr DWORD kAllNotesOff = 123;
constexpr DWORD kSustain = 64;

}  // namespace

void ActiveNotes::Observe(DWORD message) {
  const DWORD status = message & 0xFF;
  const DWORD data1 = (message >> 8) & 0xFF;
  const DWORD data2 = (message >> 16) & 0xFF;
  const int channel = static_cast<int>(status & 0x0F);
  if (status == 0xFF) {
    sounding_.reset();
    return;
  }
  switch (status & 0xF0) {
    case 0x90:
      if (data1 < 128) sounding_[channel * 128 + data1] = data2 != 0;
      break;
    case 0x80:
      if (data1 < 128) sounding_[channel * 128 + data1] = false;
      break;
    case 0xB0:
      if (data1 == kAllNotesOff || data1 == kAllSoundOff) {
        for (int note = 0; note < 128; ++note) sounding_[channel * 128 + note] = false;
      }
      break;
    default: break;
  }
}

std::vector<DWORD> ActiveNotes::TakeResetMessages() {
  std::vector<DWORD> messages;
  messages.reserve(sounding_.count() + 16);
  for (DWORD channel = 0; channel < 16; ++channel) {
    for (DWORD note = 0; note < 128; ++note) {
      if (sounding_[channel * 128 + note])
        messages.push_back(PackShortMessage(0x80 | channel, note, 0));
    }
  }
  for (DWORD channel = 0; channel < 16; ++channel) {
    messages.push_back(PackShortMessage(0xB0 | channel, kSustain, 0));
  }
  sounding_.reset();
  return messages;
}

}  // namespace plk::winmm
