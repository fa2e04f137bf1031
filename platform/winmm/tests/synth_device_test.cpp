// The synth device: its translation of MIDI messages into FluidSynth calls, read back
// through FluidSynth's own getters on a synthesizer without audio, and its reset.
#include <gtest/gtest.h>

#include <vector>

#include "sound_test_support.h"
#include "tone_analysis.h"

namespace plk::winmm {

namespace {

using testing::Cc;
using testing::Keys;
using testing::PitchBend;
using testing::ProgramOf;

// What holds after a case of the table below.
bool BadDataDropped(fluid_synth_t* s) {
  return ProgramOf(s, 0).second == 5 && Cc(s, 0, 7) == 100 && Cc(s, 2, 7) == 85;
}
bool VariationBank(fluid_synth_t* s) { return ProgramOf(s, 4) == std::pair(8, 4); }
bool Bent(fluid_synth_t* s) { return PitchBend(s, 5) == (0x7F << 7 | 0x01); }
bool ProgramReset(fluid_synth_t* s) { return ProgramOf(s, 0).second + ProgramOf(s, 1).second == 0; }
bool ProgramKept(fluid_synth_t* s) { return ProgramOf(s, 0).second == 5; }

// Each case: short messages, a long one if any, the voices then on and what else holds.
TEST(SynthDevice, TranslatesEveryMessageItTakes) {
  const struct {
    std::vector<DWORD> messages;
    std::vector<BYTE> longMessage;
    Keys voices;
    bool (*holds)(fluid_synth_t*);
  } cases[] = {
      // Notes on channels 1 and 16, note-offs, also as a note-on with velocity 0; timing
      // messages change nothing.
      {{0x7F3C90, 0x40459F, 0xF8, 0xFA, 0xFC}, {}, {{0, 60}, {15, 69}}, nullptr},
      {{0x7F3C90, 0x7F4090, 0x7F3C80, 0x7F3093, 0x003093}, {}, {{0, 64}}, nullptr},
      {{0x0005C0, 0x0085C0, 0x5507B2, 0x9007B0}, {}, {}, BadDataDropped},  // data over 0x7F
      // Bank MSB picks a variation; LSB is a GS device map, not a bank.
      {{0x0800B4, 0x0520B4, 0x0004C4}, {}, {}, VariationBank},
      {{0x7F01E5}, {}, {}, Bent},
      {{0x0013C1, 0x7F3C91, 0x0000FF}, {}, {}, ProgramReset},  // system reset
      // System-exclusive resets: GS, GM without its closing 0xF7; escaped bytes are none.
      {{0x0005C0},
       {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
       {},
       ProgramReset},
      {{0x0005C0}, {0xF0, 0x7E, 0x7F, 0x09, 0x01}, {}, ProgramReset},
      {{0x0005C0}, {0xF7, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41}, {}, ProgramKept},
  };
  auto device = testing::OpenSynth(AudioSink::kNone);
  ASSERT_TRUE(device);
  for (const auto& [messages, longMessage, voices, holds] : cases) {
    SCOPED_TRACE(::testing::Message() << "after " << std::hex << messages[0] << "...");
    fluid_synth_system_reset(device->Synth());
    for (DWORD message : messages) device->ShortMessage(message);
    if (!longMessage.empty()) device->LongMessage(longMessage.data(), longMessage.size());
    ASSERT_TRUE(device->Settle());
    EXPECT_EQ(testing::Voices(device->Synth()), voices);
    EXPECT_TRUE(!holds || holds(device->Synth()));
  }
}

// FluidSynth has no getter for the pressures, so a test modulator turns pressure into
// attenuation and the rendered level shows whether the message arrived.
TEST(SynthDevice, PressureMessagesReachTheSoundingNote) {
  for (auto [source, pressure] : {std::pair(FLUID_MOD_KEYPRESSURE, 0x7F45A0),
                                  std::pair(FLUID_MOD_CHANNELPRESSURE, 0x007FD0)}) {
    auto device = testing::OpenSynth(AudioSink::kNone);
    ASSERT_TRUE(device);
    fluid_synth_t* synth = device->Synth();
    fluid_mod_t* mod = new_fluid_mod();
    fluid_mod_set_source1(mod, source, FLUID_MOD_GC | FLUID_MOD_CONCAVE | FLUID_MOD_POSITIVE);
    fluid_mod_set_source2(mod, FLUID_MOD_NONE, 0);
    fluid_mod_set_dest(mod, GEN_ATTENUATION);
    fluid_mod_set_amount(mod, 960.0);
    fluid_synth_add_default_mod(synth, mod, FLUID_SYNTH_ADD);
    delete_fluid_mod(mod);
    fluid_synth_reverb_on(synth, -1, 0);  // no tail to outlast the attenuation
    device->ShortMessage(0x0010C0);       // organ: a level that holds while the key is down
    device->ShortMessage(0x7F4590);
    ASSERT_TRUE(device->Settle());
    const double before = testing::RootMeanSquare(testing::RenderFrames(synth, 7200));
    device->ShortMessage(pressure);
    testing::RenderFrames(synth, 4800);
    EXPECT_LT(testing::RootMeanSquare(testing::RenderFrames(synth, 2400)), before / 10) << source;
  }
}

TEST(SynthDevice, ResetSilencesEveryNoteAndLiftsEveryPedalButKeepsInstruments) {
  auto device = testing::OpenSynth(AudioSink::kNone);
  ASSERT_TRUE(device);
  fluid_synth_t* synth = device->Synth();
  // Organs on channels 1 and 4, pedals down on 1 and 10; a key released under the pedal.
  for (DWORD message :
       {0x0013C0, 0x0013C3, 0x7F40B0, 0x7F40B9, 0x7F3C90, 0x7F3C80, 0x7F2499, 0x7F4893}) {
    device->ShortMessage(message);
  }
  ASSERT_TRUE(device->Settle());
  ASSERT_EQ(testing::Voices(synth, true), Keys({{0, 60}}));
  device->Reset();
  EXPECT_TRUE(testing::Voices(synth).empty());
  // Organ voices loop for as long as they are held; released, they end within 3 s.
  testing::RenderFrames(synth, 4 * 48000);
  EXPECT_EQ(fluid_synth_get_active_voice_count(synth), 0);
  for (int channel = 0; channel < 16; ++channel) EXPECT_EQ(Cc(synth, channel, 64), 0) << channel;
  EXPECT_EQ(ProgramOf(synth, 3).second, 19);
}

// Before the soundfont has loaded, and while an instrument loads, messages wait and are
// played in the order sent; a song's instruments load ahead of their program changes,
// and only those the soundfont has make them ready (a missing bank falls back later).
TEST(SynthDevice, HeldMessagesPlayInOrderAndASongsInstrumentsLoadAhead) {
  std::string whyNot;
  auto device = SynthDevice::Open({kDefaultSoundfont, AudioSink::kNone, "", ""}, whyNot);
  ASSERT_TRUE(device) << whyNot;
  for (DWORD message : {0x0013C0, 0x7F3C90, 0x7F4090, 0x003C90, 0x0028C1, 0x7F3091}) {
    device->ShortMessage(message);
  }
  ASSERT_TRUE(device->Settle());
  fluid_synth_t* synth = device->Synth();
  EXPECT_EQ(testing::Voices(synth), Keys({{0, 64}, {1, 48}}));
  EXPECT_EQ(ProgramOf(synth, 0).second + ProgramOf(synth, 1).second, 19 + 40);
  const std::size_t loaded = device->ReadyChoices();
  const InstrumentChoice song[] = {{false, 0, 73}, {false, 8, 4}, {true, 128, 25}, {false, 5, 3}};
  device->PrepareInstruments(song);
  ASSERT_TRUE(device->Settle());
  EXPECT_EQ(device->ReadyChoices(), loaded + 3);
}

}  // namespace
}  // namespace plk::winmm
