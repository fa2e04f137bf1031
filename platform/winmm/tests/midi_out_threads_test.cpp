// One handle, two senders: live notes from one thread and song traffic (notes,
// controllers, programs, system-exclusive, resets) from another, while the WAV renderer
// pulls audio from a third. Run under TSan, this checks that the handle serialises its
// callers and that the synth is shared safely with the audio thread.
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <thread>

#include "sound_test_support.h"
#include "winmm/devices/synth_device.h"

namespace plk::winmm {
namespace {

TEST(MidiOutThreads, LiveAndSongTrafficShareOneSynthHandle) {
  testing::TemporaryPath wav("threads.wav");
  SynthDevice* opened = nullptr;
  SetMapperOverrideForTesting([&]() -> std::unique_ptr<MidiDevice> {
    SynthOptions options;
    options.sink = AudioSink::kWavFile;
    options.wavPath = wav.Path();
    std::string whyNot;
    auto device = SynthDevice::Open(options, whyNot);
    EXPECT_TRUE(device) << whyNot;
    opened = device.get();
    return device;
  });
  HMIDIOUT handle = nullptr;
  ASSERT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL),
            static_cast<MMRESULT>(MMSYSERR_NOERROR));

  std::thread live([handle] {
    for (DWORD i = 0; i < 400; ++i) {
      const DWORD note = 48 + i % 24;
      midiOutShortMsg(handle, 0x7F0090 | (note << 8));
      midiOutShortMsg(handle, 0x7F0080 | (note << 8));
    }
  });
  std::thread song([handle] {
    BYTE gmSystemOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    for (DWORD i = 0; i < 400; ++i) {
      const DWORD channel = 1 + i % 8;
      midiOutShortMsg(handle, 0x000C0 | channel | ((i % 128) << 8));
      midiOutShortMsg(handle, 0x0007B0 | channel | ((i % 128) << 16));
      midiOutShortMsg(handle, 0x600090 | channel | ((36 + i % 48) << 8));
      if (i % 50 == 0) {
        MIDIHDR header{};
        header.lpData = reinterpret_cast<LPSTR>(gmSystemOn);
        header.dwBufferLength = sizeof gmSystemOn;
        midiOutPrepareHeader(handle, &header, sizeof header);
        midiOutLongMsg(handle, &header, sizeof header);
        midiOutUnprepareHeader(handle, &header, sizeof header);
      }
      if (i % 100 == 99) midiOutReset(handle);
    }
  });
  live.join();
  song.join();

  midiOutReset(handle);
  ASSERT_NE(opened, nullptr);
  EXPECT_TRUE(testing::VoicesOn(opened->Synth()).empty());
  EXPECT_EQ(midiOutClose(handle), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  SetMapperOverrideForTesting(nullptr);
}

TEST(MidiOutThreads, SynthHandleClosesAndReopens) {
  testing::TemporaryPath wav("reopen.wav");
  testing::ScopedEnvironment device("PLINKARO_MIDI_OUT", "synth");
  testing::ScopedEnvironment out("PLINKARO_AUDIO_OUT", "file:" + wav.Path());
  for (int cycle = 0; cycle < 3; ++cycle) {
    HMIDIOUT handle = nullptr;
    ASSERT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL),
              static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(midiOutShortMsg(handle, 0x7F3C90), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(midiOutClose(handle), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(testing::ReadWav(wav.Path()).sampleRate, 48000) << "complete after each close";
  }
}

}  // namespace
}  // namespace plk::winmm
