// Every device of the table that PLINKARO_MIDI_OUT chooses from says in one line why it
// cannot start, and no library it is built on prints on its own; the port devices try the
// ALSA sequencer, then JACK, unless PLINKARO_MIDI_API names one; the port device's last
// note-offs reach the other end before its port closes.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "sound_test_support.h"
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

// What an ALSA client connected to Plinkaro's port receives, as "92 3c 7f" words.
struct Received {
  std::mutex lock;
  std::condition_variable arrived;
  std::vector<std::string> messages;
};

TEST(PortDevice, AlsaSequencerReceivesTheResetBeforeTheClose) {
  if (!std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "needs the ALSA sequencer";
  testing::ScopedEnvironment api("PLINKARO_MIDI_API", "alsa");
  const auto row = std::find_if(MidiDrivers().begin(), MidiDrivers().end(),
                                [](const MidiDriver& d) { return d.name == std::string("port"); });
  std::string whyNot;
  auto device = row->open("", whyNot);
  ASSERT_TRUE(device) << whyNot;
  Received received;
  RtMidiIn in(RtMidi::LINUX_ALSA, "plinkaro-test");
  in.setCallback(
      [](double, std::vector<unsigned char>* message, void* data) {
        auto& seen = *static_cast<Received*>(data);
        std::string text;
        char hex[4];
        for (unsigned char byte : *message) {
          std::snprintf(hex, sizeof hex, text.empty() ? "%02x" : " %02x", byte);
          text += hex;
        }
        std::lock_guard<std::mutex> guard(seen.lock);
        seen.messages.push_back(text);
        seen.arrived.notify_all();
      },
      &received);
  std::string why;
  const auto port = FindPort(in, kOutputPortName, "output port", why);
  ASSERT_TRUE(port) << why;
  in.openPort(*port, "in");

  device->ShortMessage(0x7F3C92);
  device.reset();  // a held note on channel 3, then the close
  std::vector<std::string> expected = {"92 3c 7f", "82 3c 00"};
  for (char channel : std::string("0123456789abcdef"))
    expected.push_back(std::string("b") + channel + " 40 00");
  std::unique_lock<std::mutex> guard(received.lock);
  received.arrived.wait_for(guard, std::chrono::seconds(5),
                            [&] { return received.messages.size() >= expected.size(); });
  EXPECT_EQ(received.messages, expected);
}

}  // namespace
}  // namespace plk::winmm
