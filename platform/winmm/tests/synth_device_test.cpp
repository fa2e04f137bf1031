// The synth device's translation of MIDI messages into FluidSynth calls, read back through
// FluidSynth's own getters on a synthesizer that has no audio sink.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "sound_test_support.h"
#include "tone_analysis.h"
#include "winmm/devices/synth_device.h"

namespace plk::winmm {
namespace {

using testing::RenderFrames;
using testing::RootMeanSquare;
using testing::VoiceKey;
using testing::VoicesHeld;
using testing::VoicesOn;

std::unique_ptr<SynthDevice> OpenSilentSynth() {
  SynthOptions options;
  options.sink = AudioSink::kNone;
  std::string whyNot;
  auto device = SynthDevice::Open(options, whyNot);
  EXPECT_TRUE(device) << whyNot;
  return device;
}

int Cc(fluid_synth_t* synth, int channel, int controller) {
  int value = -1;
  fluid_synth_get_cc(synth, channel, controller, &value);
  return value;
}

struct Program {
  int bank;
  int program;
};

Program ProgramOf(fluid_synth_t* synth, int channel) {
  int soundfont = 0;
  Program result{-1, -1};
  fluid_synth_get_program(synth, channel, &soundfont, &result.bank, &result.program);
  return result;
}

int PitchBendOf(fluid_synth_t* synth, int channel) {
  int value = -1;
  fluid_synth_get_pitch_bend(synth, channel, &value);
  return value;
}

struct TranslationCase {
  const char* name;
  std::vector<DWORD> messages;
  std::function<void(fluid_synth_t*)> expect;
};

const TranslationCase kTranslations[] = {
    {"note on",
     {0x7F3C90},
     [](fluid_synth_t* s) {
       EXPECT_EQ(VoicesOn(s), (std::vector<VoiceKey>{{0, 60}}));
     }},
    {"note on, channel 16",
     {0x40459F},
     [](fluid_synth_t* s) {
       EXPECT_EQ(VoicesOn(s), (std::vector<VoiceKey>{{15, 69}}));
     }},
    {"note off",
     {0x7F3C90, 0x7F4090, 0x7F3C80},
     [](fluid_synth_t* s) {
       EXPECT_EQ(VoicesOn(s), (std::vector<VoiceKey>{{0, 64}}));
     }},
    {"note on with velocity 0 is a note off",
     {0x7F3C93, 0x003C93},
     [](fluid_synth_t* s) { EXPECT_TRUE(VoicesOn(s).empty()); }},
    {"control change",
     {0x5507B2, 0x200AB2},
     [](fluid_synth_t* s) {
       EXPECT_EQ(Cc(s, 2, 7), 0x55);
       EXPECT_EQ(Cc(s, 2, 10), 0x20);
     }},
    {"bank select MSB picks a variation bank",
     {0x0800B4, 0x0020B4, 0x0004C4},
     [](fluid_synth_t* s) {
       EXPECT_EQ(ProgramOf(s, 4).bank, 8);
       EXPECT_EQ(ProgramOf(s, 4).program, 4);
     }},
    {"bank select LSB is a GS device map, not a bank",
     {0x0000B4, 0x0820B4, 0x0004C4},
     [](fluid_synth_t* s) { EXPECT_EQ(ProgramOf(s, 4).bank, 0); }},
    {"program change",
     {0x0013C1},
     [](fluid_synth_t* s) { EXPECT_EQ(ProgramOf(s, 1).program, 19); }},
    {"pitch bend, LSB first",
     {0x7F01E5},
     [](fluid_synth_t* s) { EXPECT_EQ(PitchBendOf(s, 5), (0x7F << 7) | 0x01); }},
    {"data byte with the top bit set is dropped",
     {0x0005C0, 0x0085C0, 0x9007B0},
     [](fluid_synth_t* s) {
       EXPECT_EQ(ProgramOf(s, 0).program, 5);
       EXPECT_EQ(Cc(s, 0, 7), 100);
     }},
    {"system reset",
     {0x0013C1, 0x7F3C91, 0x0000FF},
     [](fluid_synth_t* s) {
       EXPECT_EQ(ProgramOf(s, 1).program, 0);
       EXPECT_TRUE(VoicesOn(s).empty());
     }},
    {"timing messages change nothing",
     {0x7F3C90, 0x0000F8, 0x0000FA, 0x0000FC},
     [](fluid_synth_t* s) {
       EXPECT_EQ(VoicesOn(s), (std::vector<VoiceKey>{{0, 60}}));
     }},
};

TEST(SynthDevice, TranslatesEveryKindOfShortMessage) {
  auto device = OpenSilentSynth();
  ASSERT_TRUE(device);
  for (const TranslationCase& translation : kTranslations) {
    SCOPED_TRACE(translation.name);
    fluid_synth_system_reset(device->Synth());
    for (DWORD message : translation.messages) device->ShortMessage(message);
    translation.expect(device->Synth());
  }
}

// FluidSynth has no getter for the pressures, so a test modulator turns pressure into
// attenuation and the rendered level shows whether the message arrived.
void AddPressureToAttenuation(fluid_synth_t* synth, int source) {
  fluid_mod_t* mod = new_fluid_mod();
  fluid_mod_set_source1(mod, source,
                        FLUID_MOD_GC | FLUID_MOD_CONCAVE | FLUID_MOD_UNIPOLAR | FLUID_MOD_POSITIVE);
  fluid_mod_set_source2(mod, FLUID_MOD_NONE, 0);
  fluid_mod_set_dest(mod, GEN_ATTENUATION);
  fluid_mod_set_amount(mod, 960.0);
  fluid_synth_add_default_mod(synth, mod, FLUID_SYNTH_ADD);
  delete_fluid_mod(mod);
}

struct PressureCase {
  const char* name;
  int source;
  DWORD pressure;
};

TEST(SynthDevice, PressureMessagesReachTheSoundingNote) {
  const PressureCase cases[] = {
      {"polyphonic key pressure", FLUID_MOD_KEYPRESSURE, 0x7F45A0},
      {"channel pressure", FLUID_MOD_CHANNELPRESSURE, 0x007FD0},
  };
  for (const PressureCase& pressure : cases) {
    SCOPED_TRACE(pressure.name);
    auto device = OpenSilentSynth();
    ASSERT_TRUE(device);
    AddPressureToAttenuation(device->Synth(), pressure.source);
    fluid_synth_reverb_on(device->Synth(), -1, 0);  // no tail to outlast the attenuation
    fluid_synth_chorus_on(device->Synth(), -1, 0);
    device->ShortMessage(0x0010C0);  // organ: a level that holds while the key is down
    device->ShortMessage(0x7F4590);
    RenderFrames(device->Synth(), 4800);
    const double before = RootMeanSquare(RenderFrames(device->Synth(), 2400));
    device->ShortMessage(pressure.pressure);
    RenderFrames(device->Synth(), 4800);
    const double after = RootMeanSquare(RenderFrames(device->Synth(), 2400));
    EXPECT_GT(before, 0.001);
    EXPECT_LT(after, before / 10);
  }
}

TEST(SynthDevice, SystemExclusiveMessagesArriveWhole) {
  auto device = OpenSilentSynth();
  ASSERT_TRUE(device);
  fluid_synth_t* synth = device->Synth();
  const BYTE gsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
  const BYTE gmSystemOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  const BYTE gmSystemOnUnterminated[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01};
  const BYTE escapedGsReset[] = {0xF7, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41};

  struct Case {
    const char* name;
    const BYTE* data;
    std::size_t size;
    bool resets;
  } const cases[] = {
      {"GS reset", gsReset, sizeof gsReset, true},
      {"GM system on", gmSystemOn, sizeof gmSystemOn, true},
      {"GM system on without its 0xF7", gmSystemOnUnterminated, sizeof gmSystemOnUnterminated,
       true},
      {"escaped bytes are not a system-exclusive message", escapedGsReset, sizeof escapedGsReset,
       false},
  };
  for (const Case& sysex : cases) {
    SCOPED_TRACE(sysex.name);
    device->ShortMessage(0x0005C0);
    device->ShortMessage(0x2007B0);
    device->LongMessage(sysex.data, sysex.size);
    EXPECT_EQ(ProgramOf(synth, 0).program, sysex.resets ? 0 : 5);
    EXPECT_EQ(Cc(synth, 0, 7), sysex.resets ? 100 : 0x20);
  }
}

TEST(SynthDevice, ResetSilencesEveryNoteAndLiftsEverySustainPedal) {
  auto device = OpenSilentSynth();
  ASSERT_TRUE(device);
  fluid_synth_t* synth = device->Synth();
  device->ShortMessage(0x0013C0);  // church organ on channels 1 and 4
  device->ShortMessage(0x0013C3);
  device->ShortMessage(0x7F40B0);  // sustain on, channel 1
  device->ShortMessage(0x7F40B9);  // sustain on, channel 10
  device->ShortMessage(0x7F3C90);
  device->ShortMessage(0x7F3C80);  // released, held by the pedal
  device->ShortMessage(0x7F2499);
  device->ShortMessage(0x7F4893);
  ASSERT_EQ(VoicesHeld(synth), (std::vector<VoiceKey>{{0, 60}}));
  ASSERT_EQ(VoicesOn(synth).size(), 2u);
  RenderFrames(synth, 24000);
  ASSERT_EQ(VoicesHeld(synth), (std::vector<VoiceKey>{{0, 60}})) << "the pedal holds the note";

  device->Reset();

  EXPECT_TRUE(VoicesOn(synth).empty());
  // Organ voices loop for as long as they are held, so only released ones fall silent
  // (the church organ's release takes under 3 s).
  RenderFrames(synth, 4 * 48000);
  EXPECT_EQ(fluid_synth_get_active_voice_count(synth), 0);
  for (int channel = 0; channel < 16; ++channel) EXPECT_EQ(Cc(synth, channel, 64), 0) << channel;
  // Reset keeps instruments, unlike a system reset.
  device->ShortMessage(0x0007C2);
  device->Reset();
  EXPECT_EQ(ProgramOf(synth, 2).program, 7);
}

TEST(SynthDevice, OpensAndClosesRepeatedly) {
  for (int cycle = 0; cycle < 3; ++cycle) {
    auto device = OpenSilentSynth();
    ASSERT_TRUE(device);
    device->ShortMessage(0x7F3C90);
    EXPECT_FALSE(VoicesOn(device->Synth()).empty());
  }
}

}  // namespace
}  // namespace plk::winmm
