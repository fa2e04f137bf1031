// One handle, two senders: live notes from one thread and song traffic (programs, notes,
// system-exclusive, resets) from another, while the WAV renderer pulls audio from a third.
// Run under TSan, this checks that the handle serialises its callers and that the synth is
// shared safely with the audio thread.
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <fstream>
#include <thread>

#include "smf/smf_writer.h"
#include "sound_test_support.h"
#include "winmm/song_instruments.h"

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

// A synth opened through the mapper, the number of opens counted.
struct CountedSynth {
  CountedSynth() {
    SetMapperOverrideForTesting([this]() -> std::unique_ptr<MidiDevice> {
      ++opens;
      auto device = testing::OpenSynth(AudioSink::kNone);
      return synth = device.get(), std::move(device);
    });
  }
  ~CountedSynth() { SetMapperOverrideForTesting(nullptr); }
  HMIDIOUT Open() {
    HMIDIOUT handle = nullptr;
    EXPECT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMRESULT{MMSYSERR_NOERROR});
    return handle;
  }
  int opens = 0;
  SynthDevice* synth = nullptr;
};

// F1 closes and reopens: the synth is parked silenced and reset as a new one, and the
// next open takes the same one back.
TEST(MidiOut, AClosedSynthIsParkedSilentAndResetAndTheNextOpenTakesItBack) {
  CountedSynth counted;
  HMIDIOUT handle = counted.Open();
  // Organ, a variation bank, volume, pedal, a held note, a bend.
  for (DWORD message : {0x0013C0, 0x0800B4, 0x0004C4, 0x2007B0, 0x7F40B0, 0x7F3C90, 0x7F01E5}) {
    midiOutShortMsg(handle, message);
  }
  ASSERT_TRUE(counted.synth->Settle());
  fluid_synth_t* synth = counted.synth->Synth();
  ASSERT_FALSE(testing::Voices(synth).empty());
  EXPECT_EQ(midiOutClose(handle), MMRESULT{MMSYSERR_NOERROR});
  ASSERT_TRUE(counted.synth->Settle());
  EXPECT_TRUE(testing::Voices(synth).empty());
  EXPECT_EQ(testing::ProgramOf(synth, 0), std::pair(0, 0));
  EXPECT_EQ(testing::ProgramOf(synth, 4), std::pair(0, 0));
  EXPECT_EQ(testing::Cc(synth, 0, 7), 100);
  EXPECT_EQ(testing::Cc(synth, 0, 64), 0);
  EXPECT_EQ(testing::PitchBend(synth, 5), 0x2000);
  handle = counted.Open();
  EXPECT_EQ(counted.opens, 1);
  midiOutShortMsg(handle, 0x7F3C90);
  ASSERT_TRUE(counted.synth->Settle());
  EXPECT_EQ(testing::Voices(synth), testing::Keys({{0, 60}}));
  midiOutClose(handle);
}

// A Standard MIDI File read whole (as the program loads a song) has its instruments
// loaded ahead: a bank set on its channel, running status, the drum channel, whatever
// meta and system-exclusive events stand between.
TEST(MidiOut, ASongReadWholeHasItsInstrumentsLoadedAhead) {
  CountedSynth counted;
  HMIDIOUT handle = counted.Open();
  ASSERT_TRUE(counted.synth->Settle());
  const std::size_t loaded = counted.synth->ReadyChoices();
  using plk::smf::Event;
  const std::vector<Event> events{
      plk::smf::Tempo(0, 400000),
      plk::smf::SystemExclusive(0, 0xF0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}),
      {0, {0xB4, 0x00, 0x08}},
      {1, {0xC4, 0x04}},
      {2, {0xC4, 0x49}},
      {3, {0xC9, 0x19}},
      {4, {0xC0, 0x13}}};
  testing::TemporaryPath song("song.mid");
  const plk::smf::Bytes bytes = plk::smf::File(480, {plk::smf::TrackData(events)});
  std::ofstream(song.path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  HANDLE file = CreateFileA(song.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  std::vector<BYTE> image(bytes.size());
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, image.data(), static_cast<DWORD>(image.size()), &read, nullptr));
  CloseHandle(file);
  ASSERT_TRUE(counted.synth->Settle());
  // Bank 8 program 4 and program 73 in bank 8, which falls back; the TR-808 kit; organ.
  EXPECT_EQ(counted.synth->ReadyChoices(), loaded + 3);
  midiOutClose(handle);
  // A file cut anywhere is read no further than its end (checked by ASan).
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_LE(SongInstruments(bytes.data(), size).size(), 4u);
  }
}

}  // namespace
}  // namespace plk::winmm
