// Every way a device can fail to start: the open returns null, says why in one line, and
// midiOutOpen passes that line to stderr and leaves a null handle.
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <filesystem>
#include <fstream>

#include "sound_test_support.h"
#include "winmm/midi_device.h"
#include "winmm/devices/synth_device.h"

namespace plk::winmm {

std::unique_ptr<MidiDevice> OpenPortDevice(std::string_view argument, std::string& whyNot);

namespace {

using testing::ScopedEnvironment;
using testing::TemporaryPath;

void ExpectOneLineMentioning(const std::string& whyNot, const std::vector<const char*>& words) {
  EXPECT_EQ(whyNot.find('\n'), std::string::npos) << whyNot;
  for (const char* word : words) EXPECT_NE(whyNot.find(word), std::string::npos) << whyNot;
}

struct SynthFailure {
  const char* name;
  std::function<void(SynthOptions&, const TemporaryPath&)> configure;
  std::vector<const char*> mentions;
};

TEST(DeviceFailure, SynthSaysWhyItCannotStart) {
  const SynthFailure failures[] = {
      {"missing soundfont",
       [](SynthOptions& o, const TemporaryPath& t) { o.soundfont = t.Path() + ".sf2"; },
       {"no soundfont at", ".sf2", "fluid-soundfont-gm", "PLINKARO_MIDI_OUT=synth:FILE.sf2"}},
      {"file that is no soundfont",
       [](SynthOptions& o, const TemporaryPath& t) {
         std::ofstream(t.Path()) << "not a soundfont";
         o.soundfont = t.Path();
       },
       {"is not a SoundFont 2 file", "PLINKARO_MIDI_OUT=synth:FILE.sf2"}},
      {"audio driver FluidSynth does not have",
       [](SynthOptions& o, const TemporaryPath&) {
         o.sink = AudioSink::kDriver;
         o.audioDriver = "no-such-driver";
       },
       {"PLINKARO_AUDIO_DRIVER=no-such-driver", "alsa", "pulseaudio"}},
      {"WAV file in a missing folder",
       [](SynthOptions& o, const TemporaryPath& t) {
         o.sink = AudioSink::kWavFile;
         o.wavPath = t.Path() + "/missing/out.wav";
       },
       {"cannot write the audio file", "missing/out.wav"}},
  };
  for (const SynthFailure& failure : failures) {
    SCOPED_TRACE(failure.name);
    TemporaryPath temporary("file");
    SynthOptions options;
    options.sink = AudioSink::kNone;
    failure.configure(options, temporary);
    std::string whyNot;
    EXPECT_FALSE(SynthDevice::Open(options, whyNot));
    ExpectOneLineMentioning(whyNot, failure.mentions);
  }
}

// JACK needs a running server, which test machines do not have.
TEST(DeviceFailure, SynthReportsADriverThatDoesNotStart) {
  SynthOptions options;
  options.audioDriver = "jack";
  std::string whyNot;
  auto device = SynthDevice::Open(options, whyNot);
  if (device) GTEST_SKIP() << "a JACK server is running here";
  ExpectOneLineMentioning(whyNot, {"cannot start audio through jack", "PLINKARO_AUDIO_OUT"});
}

TEST(DeviceFailure, AudioOutSettingMustNameAFile) {
  for (const char* value : {"wav:out.wav", "file:", "out.wav"}) {
    SCOPED_TRACE(value);
    ScopedEnvironment out("PLINKARO_AUDIO_OUT", value);
    SynthOptions options;
    std::string whyNot;
    EXPECT_FALSE(SynthOptionsFromEnvironment("", options, whyNot));
    ExpectOneLineMentioning(whyNot, {"PLINKARO_AUDIO_OUT=", "file:PATH.wav"});
  }
}

TEST(DeviceFailure, EnvironmentChoosesSoundfontDriverAndFile) {
  ScopedEnvironment driver("PLINKARO_AUDIO_DRIVER", "sdl2");
  ScopedEnvironment out("PLINKARO_AUDIO_OUT", "file:/tmp/x.wav");
  SynthOptions options;
  std::string whyNot;
  ASSERT_TRUE(SynthOptionsFromEnvironment("/a/b.sf2", options, whyNot));
  EXPECT_EQ(options.soundfont, "/a/b.sf2");
  EXPECT_EQ(options.audioDriver, "sdl2");
  EXPECT_EQ(options.sink, AudioSink::kWavFile);
  EXPECT_EQ(options.wavPath, "/tmp/x.wav");
}

TEST(DeviceFailure, MidiOutOpenPrintsTheReasonAndReturnsNoHandle) {
  TemporaryPath missing("missing.sf2");
  ScopedEnvironment device("PLINKARO_MIDI_OUT", "synth:" + missing.Path());
  HMIDIOUT handle = reinterpret_cast<HMIDIOUT>(1);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL),
            static_cast<MMRESULT>(MMSYSERR_NODRIVER));
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(printed, "plinkaro: no soundfont at " + missing.Path() +
                         ": install fluid-soundfont-gm or set PLINKARO_MIDI_OUT=synth:FILE.sf2\n");
  EXPECT_EQ(midiOutShortMsg(handle, 0x7F3C90), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
}

TEST(DeviceFailure, PortNeedsASequencerOrAnExistingPort) {
  std::string whyNot;
  if (!std::filesystem::exists("/dev/snd/seq")) {
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(OpenPortDevice("", whyNot));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ExpectOneLineMentioning(whyNot, {"cannot open a MIDI port", "ALSA sequencer"});
    return;
  }
  EXPECT_FALSE(OpenPortDevice("no port is called this", whyNot));
  ExpectOneLineMentioning(whyNot, {"no MIDI output port has \"no port is called this\""});
  EXPECT_TRUE(OpenPortDevice("", whyNot)) << whyNot;
}

}  // namespace
}  // namespace plk::winmm
