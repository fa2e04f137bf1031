// One handle, two senders: live notes from one thread and song traffic (programs, notes,
// system-exclusive, resets) from another, while the WAV renderer pulls audio from a third.
// Run under TSan, this checks that the handle serialises its callers and that the synth is
// shared safely with the audio thread.
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <thread>

#include "sound_test_support.h"

namespace plk::winmm {
namespace {

TEST(MidiOut, LiveAndSongTrafficShareOneSynthHandle) {
  testing::TemporaryPath wav("threads.wav");
  SynthDevice* synth = nullptr;
  SetMapperOverrideForTesting([&]() -> std::unique_ptr<MidiDevice> {
    auto device = testing::OpenSynth(AudioSink::kWavFile, wav.path);
    return synth = device.get(), std::move(device);
  });
  HMIDIOUT handle = nullptr;
  ASSERT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMRESULT{MMSYSERR_NOERROR});
  SetMapperOverrideForTesting(nullptr);
  std::thread live([handle] {
    for (DWORD i = 0; i < 800; ++i)
      midiOutShortMsg(handle, 0x7F0080 | (i % 2 == 0) << 4 | (48 + i / 2 % 24) << 8);
  });
  for (DWORD i = 0; i < 400; ++i) {
    midiOutShortMsg(handle, 0x0000C1 | (i % 128) << 8);
    midiOutShortMsg(handle, 0x600091 | (36 + i % 48) << 8);
    if (i % 50 == 0) testing::SendLong(handle, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    if (i % 100 == 99) midiOutReset(handle);
  }
  live.join();
  midiOutReset(handle);
  ASSERT_NE(synth, nullptr);
  ASSERT_TRUE(synth->Settle());
  EXPECT_TRUE(testing::Voices(synth->Synth()).empty());
  EXPECT_EQ(midiOutClose(handle), MMRESULT{MMSYSERR_NOERROR});
  EXPECT_EQ(midiOutClose(handle), MMRESULT{MMSYSERR_INVALHANDLE});
}

// midiOutOpen passes a device's reason to stderr in one line and leaves a null handle.
TEST(MidiOut, PrintsWhyTheDeviceCannotStartAndGivesNoHandle) {
  testing::ScopedEnvironment device("PLINKARO_MIDI_OUT", "log");
  HMIDIOUT handle = reinterpret_cast<HMIDIOUT>(1);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMRESULT{MMSYSERR_NODRIVER});
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "plinkaro: PLINKARO_MIDI_OUT=log needs a file: set PLINKARO_MIDI_OUT=log:PATH\n");
  EXPECT_EQ(handle, nullptr);
}

}  // namespace
}  // namespace plk::winmm
