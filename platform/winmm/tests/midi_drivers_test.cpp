// Every device of the tables that PLINKARO_MIDI_OUT and PLINKARO_MIDI_IN choose from says
// in one line why it cannot start, and no library it is built on prints on its own; the
// port devices try the ALSA sequencer, then JACK, unless PLINKARO_MIDI_API names one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sound_test_support.h"
#include "winmm/midi_in_device.h"
#include "winmm/rtmidi_ports.h"

namespace plk::winmm {
namespace {

TEST(MidiDrivers, EveryDeviceSaysInOneLineWhyItCannotStart) {
  testing::TemporaryPath file("file");
  std::ofstream(file.path) << "not a soundfont";
  const bool sequencer = std::filesystem::exists("/dev/snd/seq");
  const std::string port = sequencer ? "no such port" : "";
  const std::string noPort = sequencer ? "no MIDI output port has \"no such port\"" : "ALSA";
  const struct {
    std::string driver, argument, audioDriver, audioOut, mention;
  } cases[] = {
      {"synth", file.path + ".sf2", "", "", "at " + file.path + ".sf2: install fluid-soundfont-gm"},
      {"synth", file.path, "", "file:" + file.path + ".wav", "is not a SoundFont 2 file"},
      {"synth", "", "no-such-driver", "", "PLINKARO_AUDIO_DRIVER=no-such-driver"},
      {"synth", "", "", "file:" + file.path + "/x.wav", "cannot write the audio file"},
      {"synth", "", "", "wav:out.wav", "PLINKARO_AUDIO_OUT=wav:out.wav is not understood"},
      {"log", "", "", "", "set PLINKARO_MIDI_OUT=log:PATH"},
      {"log", file.path + "/x.log", "", "", "cannot write the MIDI log " + file.path},
      {"port", port, "", "", noPort},
      {"none", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.driver + ":" + c.argument);
    testing::ScopedEnvironment driver("PLINKARO_AUDIO_DRIVER", c.audioDriver);
    testing::ScopedEnvironment out("PLINKARO_AUDIO_OUT", c.audioOut);
    const auto row = std::find_if(MidiDrivers().begin(), MidiDrivers().end(),
                                  [&](const MidiDriver& d) { return d.name == c.driver; });
    ASSERT_NE(row, MidiDrivers().end());
    std::string whyNot;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(row->open(c.argument, whyNot));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(whyNot.find('\n'), std::string::npos) << whyNot;
    EXPECT_NE(whyNot.find(c.mention), std::string::npos) << whyNot;
  }
}

TEST(MidiDrivers, EveryInputSaysInOneLineWhyItCannotStart) {
  testing::TemporaryPath file("replay.log");
  std::ofstream(file.path) << "0 short 90 3c 64\n10 shrt 80 3c 00\n";
  testing::ScopedEnvironment noJack("JACK_DEFAULT_SERVER", "plinkaro-test-no-server");
  const bool sequencer = std::filesystem::exists("/dev/snd/seq");
  const struct {
    std::string driver, argument, mention;
  } cases[] = {
      {"replay", "", "set PLINKARO_MIDI_IN=replay:PATH"},
      {"replay", file.path, "line 2 of the MIDI replay file " + file.path + " is \"10 shrt"},
      {"port", "", "set PLINKARO_MIDI_IN=port:NAME"},
      {"port", "no such source", sequencer ? "no MIDI source has" : "JACK: no JACK server"},
      {"all", sequencer ? "skip" : "", "JACK: no JACK server is running"},
  };
  struct Sink final : MidiInputSink {
    void Receive(const BYTE*, std::size_t) override {}
    void WaitUntilDelivered() override {}
  } sink;
  for (const auto& c : cases) {
    if (c.argument == "skip") continue;  // it opens wherever a sequencer runs
    SCOPED_TRACE(c.driver + ":" + c.argument);
    const auto row = std::find_if(MidiInputDrivers().begin(), MidiInputDrivers().end(),
                                  [&](const MidiInputDriver& d) { return d.name == c.driver; });
    ASSERT_NE(row, MidiInputDrivers().end());
    std::string whyNot;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(row->open(c.argument, sink, whyNot));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(whyNot.find('\n'), std::string::npos) << whyNot;
    EXPECT_NE(whyNot.find(c.mention), std::string::npos) << whyNot;
  }
}

TEST(MidiDrivers, PortsTryTheAlsaSequencerThenJackUnlessOneIsNamed) {
  testing::ScopedEnvironment noJack("JACK_DEFAULT_SERVER", "plinkaro-test-no-server");
  const std::string noServer = "JACK: no JACK server is running";
  const struct {
    std::string setting, reasons;
  } cases[] = {
      {"", "ALSA: tried; " + noServer},
      {"alsa", "ALSA: tried"},
      {"jack", noServer},
      {"oss", "PLINKARO_MIDI_API=oss is not understood: set alsa or jack, or leave it unset"},
  };
  for (const auto& c : cases) {
    testing::ScopedEnvironment api("PLINKARO_MIDI_API", c.setting);
    std::string reasons;
    EXPECT_FALSE(OpenWithPortApis(
        [](RtMidi::Api, std::string& why) { return why = "tried", false; }, reasons));
    EXPECT_EQ(reasons, c.reasons);
  }
}

}  // namespace
}  // namespace plk::winmm
