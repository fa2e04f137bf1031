// midiOutReset for devices that cannot silence themselves: exactly the notes still sounding
// are turned off, then sustain on every channel.
#include "winmm/active_notes.h"

#include <gtest/gtest.h>

#include <vector>

namespace plk::winmm {
namespace {

// The note-offs a reset sends for what was sent before it; sustain-offs on all 16
// channels follow them.
TEST(ActiveNotes, ResetSilencesExactlyTheSoundingNotes) {
  const struct {
    const char* name;
    std::vector<DWORD> sent;
    std::vector<DWORD> noteOffs;
  } cases[] = {
      {"nothing played", {}, {}},
      {"two channels, sent out of order", {0x7F4091, 0x7F3C90, 0x7F3091}, {0x3C80, 0x3081, 0x4081}},
      {"note off", {0x7F3C90, 0x7F3C80}, {}},
      {"note on with velocity 0", {0x7F3C90, 0x003C90}, {}},
      {"a note struck twice needs one note-off", {0x7F3C90, 0x503C90}, {0x3C80}},
      {"all notes off on one channel", {0x7F3C90, 0x7F3C91, 0x007BB0}, {0x3C81}},
      {"all sound off", {0x7F3C92, 0x0078B2}, {}},
      {"system reset", {0x7F3C90, 0x7F3C9F, 0x0000FF}, {}},
      {"note numbers above 127 are ignored", {0x7F8090, 0x7F7F90}, {0x7F80}},
      {"other messages change nothing",
       {0x7F3C90, 0x7F3CA0, 0x7F40B0, 0x0005C0, 0x4000E0},
       {0x3C80}},
  };
  std::vector<DWORD> sustainOffs;
  for (DWORD channel = 0; channel < 16; ++channel) sustainOffs.push_back(0x0040B0 | channel);
  for (auto [name, sent, expected] : cases) {
    SCOPED_TRACE(name);
    ActiveNotes notes;
    for (DWORD message : sent) notes.Observe(message);
    expected.insert(expected.end(), sustainOffs.begin(), sustainOffs.end());
    EXPECT_EQ(notes.TakeResetMessages(), expected);
    EXPECT_EQ(notes.TakeResetMessages(), sustainOffs) << "forgot the notes";
  }
}

}  // namespace
}  // namespace plk::winmm
