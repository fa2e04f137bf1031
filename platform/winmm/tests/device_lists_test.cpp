// The MIDI device lists: names that fit and stay apart, the soundfonts found once each, and
// on a private JACK server the ports of another client as they appear and go, opened by
// id, with "all" leaving out a source that an input opened by its own id, and the ports
// and inputs following a server that stops and starts again.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <rtmidi/RtMidi.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "jack_server.h"
#include "sound_test_support.h"
#include "winmm/device_names.h"
#include "winmm/jack_midi_input.h"
#include "winmm/jack_midi_output.h"
#include "winmm/jack_session.h"
#include "winmm/rtmidi_ports.h"
#include "winmm/sound_library_logs.h"
#include "winmm/soundfont_scan.h"

extern char** environ;

namespace plk::winmm {
namespace {

namespace fs = std::filesystem;

TEST(DeviceNames, FitAndStayApartTheSameWayInEveryList) {
  const std::string longName = "a very long soundfont name: Grand Piano.sf2";
  const std::string longTwin = "a very long soundfont name: Grand Organ.sf2";
  const std::vector<std::string> names =
      FitDeviceNames({"USB MIDI", longName, "USB MIDI", longTwin, "USB MIDI", "ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ"});
  EXPECT_EQ(names[0], "USB MIDI");
  EXPECT_EQ(names[2], "USB MIDI #2");
  EXPECT_EQ(names[4], "USB MIDI #3");
  EXPECT_EQ(names[1].substr(0, 25), longName.substr(0, 25));
  EXPECT_NE(names[1], names[3]);
  EXPECT_EQ(FitDeviceNames({longTwin})[0], names[3]);          // alone, it keeps its name
  EXPECT_EQ(names[5], "ÄÄÄÄÄÄÄÄÄÄÄÄ~" + names[5].substr(25));  // whole characters only
  for (const std::string& name : names) EXPECT_LE(name.size(), std::size_t{MAXPNAMELEN - 2});
  EXPECT_EQ(PortDisplayName("nanoKEY2", "nanoKEY2 MIDI 1"), "nanoKEY2 MIDI 1");
  EXPECT_EQ(PortDisplayName("fluidsynth", "midi_00"), "fluidsynth:midi_00");
}

TEST(Soundfonts, EachFileOnceWhereFirstFoundWithLinksFollowed) {
  testing::TemporaryPath home("home");
  const fs::path system = home.path + "/system", user = home.path + "/.local/share/soundfonts";
  fs::create_directories(system);
  fs::create_directories(user);
  for (const fs::path& file :
       {system / "Zeta.sf2", system / "alpha.SF3", user / "own.sf2", system / "notes.txt"}) {
    std::ofstream(file) << file.filename().string();
  }
  fs::create_symlink(system / "Zeta.sf2", system / "default.sf2");
  fs::create_symlink(system / "gone.sf2", system / "broken.sf2");
  fs::create_symlink("../../../system/alpha.SF3", user / "link.sf3");
  fs::create_hard_link(system / "Zeta.sf2", user / "hard.sf2");
  std::vector<std::string> found;
  for (const FoundSoundfont& soundfont : FindSoundfonts({system, user})) {
    found.push_back(soundfont.name);
    EXPECT_EQ(soundfont.path, fs::canonical(soundfont.path).string());
  }
  EXPECT_EQ(found, (std::vector<std::string>{"Zeta.sf2", "alpha.SF3", "own.sf2"}));

  const struct {
    std::string xdgDataHome, own;
  } places[] = {{"", home.path + "/.local/share/sounds/sf2"}, {"/data", "/data/sounds/sf2"}};
  testing::ScopedEnvironment homeVariable("HOME", home.path);
  for (const auto& place : places) {
    testing::ScopedEnvironment data("XDG_DATA_HOME", place.xdgDataHome);
    EXPECT_EQ(SoundfontDirectories(),
              (std::vector<std::string>{"/usr/share/sounds/sf2", "/usr/share/sounds/sf3", place.own,
                                        user.string()}));
  }
  // The synthesizer is listed with the user's soundfont, and opens with that one.
  testing::ScopedEnvironment noJack("JACK_DEFAULT_SERVER", "plinkaro-test-no-server");
  const UINT count = midiOutGetNumDevs();
  MIDIOUTCAPSA caps;
  ASSERT_GE(count, 1u);
  ASSERT_EQ(midiOutGetDevCapsA(count - 1, &caps, sizeof caps), MMRESULT{MMSYSERR_NOERROR});
  EXPECT_EQ(std::string(caps.szPname), "Synth: own.sf2");
  EXPECT_EQ(caps.wTechnology, MOD_SWSYNTH);
  HMIDIOUT handle;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(midiOutOpen(&handle, count - 1, 0, 0, CALLBACK_NULL), MMRESULT{MMSYSERR_NODRIVER});
  EXPECT_NE(::testing::internal::GetCapturedStderr().find(fs::canonical(user / "own.sf2")),
            std::string::npos);
}

// The messages an input heard, as packed words; the count is read while more arrive.
// The words are read while more arrive, below `count`: never reallocated.
struct Heard {
  Heard() { words.reserve(8192); }
  std::vector<DWORD> words;
  std::atomic<std::size_t> count{0};
};

void CALLBACK Hear(HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR word, DWORD_PTR) {
  auto& heard = *reinterpret_cast<Heard*>(instance);
  if (message != MIM_DATA) return;
  heard.words.push_back(static_cast<DWORD>(word));
  ++heard.count;
}

HMIDIIN OpenInput(UINT id, Heard& heard) {
  HMIDIIN handle = nullptr;
  EXPECT_EQ(midiInOpen(&handle, id, reinterpret_cast<DWORD_PTR>(Hear),
                       reinterpret_cast<DWORD_PTR>(&heard), CALLBACK_FUNCTION),
            MMRESULT{MMSYSERR_NOERROR});
  midiInStart(handle);
  return handle;
}

std::vector<std::string> Names(UINT (*count)(), bool outputs) {
  std::vector<std::string> names;
  for (UINT id = 0, n = count(); id < n; ++id) {
    MIDIOUTCAPSA out{};
    MIDIINCAPSA in{};
    if (outputs) midiOutGetDevCapsA(id, &out, sizeof out);
    if (!outputs) midiInGetDevCapsA(id, &in, sizeof in);
    names.push_back(outputs ? out.szPname : in.szPname);
  }
  return names;
}

std::size_t OpenFiles() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

TEST(MidiDeviceLists, ListAndOpenAnotherJackClientsPortsWhileTheyAreThere) {
  auto server = std::make_unique<JackServer>();
  ASSERT_TRUE(server->running_);
  testing::ScopedEnvironment api("PLINKARO_MIDI_API", "jack");
  const std::vector<std::string> outputsBefore = Names(midiOutGetNumDevs, true);
  EXPECT_EQ(Names(midiInGetNumDevs, false), std::vector<std::string>{"All MIDI inputs"});
  // The source is our own JACK client: RtMidi's output ring is ordered by libjack's
  // barriers, which ThreadSanitizer cannot see, so it would report that ring as a race.
  std::string whyNot;
  auto source = JackMidiOutput::Open("e2e source", whyNot);
  ASSERT_TRUE(source) << whyNot;
  std::atomic<int> received{0};  // before the client's threads start
  auto synth = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "e2e synth");
  synth->openVirtualPort("in");
  synth->setCallback([](double, std::vector<unsigned char>*,
                        void* count) { ++*static_cast<std::atomic<int>*>(count); },
                     &received);
  std::vector<std::string> outputs = outputsBefore;
  outputs.push_back("e2e synth:in");
  EXPECT_EQ(Names(midiOutGetNumDevs, true), outputs);
  EXPECT_EQ(Names(midiInGetNumDevs, false),
            (std::vector<std::string>{"All MIDI inputs", "e2e source"}));
  // Listing again and again opens no lasting clients.
  const std::size_t files = OpenFiles();
  for (int i = 0; i < 20; ++i) midiInGetNumDevs(), midiOutGetNumDevs();
  EXPECT_EQ(OpenFiles(), files);

  // The output opened by its id reaches that port.
  HMIDIOUT out = nullptr;
  ASSERT_EQ(midiOutOpen(&out, UINT(outputs.size() - 1), 0, 0, CALLBACK_NULL),
            MMRESULT{MMSYSERR_NOERROR});
  EXPECT_TRUE(JackServer::Eventually([&] {
    midiOutShortMsg(out, 0x403C90);
    return received > 0;
  }));
  EXPECT_EQ(Names(midiInGetNumDevs, false).size(), 2u);  // Plinkaro's own port is no source
  midiOutClose(out);

  // "All" and the source's own input: each message once, through the source's own input;
  // once that closes, "all" takes the source back.
  Heard all, own;
  HMIDIIN allHandle = OpenInput(0, all), ownHandle = OpenInput(1, own);
  // A connection takes effect at a cycle of the server's choosing: until the source's own
  // input hears, what is sent may be lost, so a controller is sent until it is heard.
  ASSERT_TRUE(JackServer::Eventually([&] {
    const unsigned char modulation[] = {0xB0, 0x01, 0x00};
    source->Send(modulation, sizeof modulation);
    return own.count > 0;
  }));
  const auto notesHeard = [&] {
    std::vector<DWORD> notes;
    for (std::size_t i = 0, heard = std::min<std::size_t>(own.count, 8192); i < heard; ++i) {
      if ((own.words[i] & 0xF0) == 0x90) notes.push_back(own.words[i]);
    }
    return notes;
  };
  for (unsigned char key = 60; key < 64; ++key) {
    const unsigned char note[] = {0x90, key, 0x40};
    source->Send(note, sizeof note);
    ASSERT_TRUE(JackServer::Eventually([&] { return notesHeard().size() == key - 59u; }));
  }
  midiInClose(ownHandle);
  EXPECT_EQ(notesHeard(), (std::vector<DWORD>{0x403C90, 0x403D90, 0x403E90, 0x403F90}));
  EXPECT_EQ(all.count, 0u);
  EXPECT_TRUE(JackServer::Eventually([&] {
    const unsigned char note[] = {0x80, 60, 0};
    source->Send(note, sizeof note);
    return all.count > 0;
  }));
  midiInClose(allHandle);

  // Ids refer to the last list until the next is taken.
  source.reset();
  synth.reset();
  MIDIINCAPSA caps;
  ASSERT_EQ(midiInGetDevCapsA(1, &caps, sizeof caps), MMRESULT{MMSYSERR_NOERROR});
  EXPECT_EQ(std::string(caps.szPname), "e2e source");
  EXPECT_EQ(Names(midiInGetNumDevs, false), std::vector<std::string>{"All MIDI inputs"});
  EXPECT_EQ(midiInGetDevCapsA(1, &caps, sizeof caps), MMRESULT{MMSYSERR_BADDEVICEID});
  EXPECT_EQ(Names(midiOutGetNumDevs, true), outputsBefore);

  // The server goes, a JACK client fails to open meanwhile, and listing goes on.
  server.reset();
  std::string reasons;
  OpenWithPortApis([](RtMidi::Api, std::string&) { return false; }, reasons);
  EXPECT_EQ(Names(midiInGetNumDevs, false), std::vector<std::string>{"All MIDI inputs"});
}

// A JACK port of the test's own that counts what it hears.
struct CountingSink final : MidiInputSink {
  void Receive(const BYTE*, std::size_t) override { ++count; }
  void WaitUntilDelivered() override {}
  std::atomic<int> count{0};
};

// The test's own ports: a source, and a destination the output is opened on.
struct JackPeers {
  // Tried again while the session refuses, as the program's own devices do: a server just
  // started, on a loaded machine, may not run its cycles on time yet.
  JackPeers() {
    std::string whyNot;
    EXPECT_TRUE(JackServer::Eventually([&] {
      if (!source) source = JackMidiOutput::Open("e2e source", whyNot);
      if (!synth) synth = OpenJackMidiInput("e2e synth", heard, whyNot);
      return source && synth;
    })) << whyNot;
  }
  // Until a note sent through `out` is heard, and one from the source reaches `all`.
  bool Play(HMIDIOUT out, const Heard& all) {
    const int before = all.count;
    return JackServer::Eventually([&] {
      midiOutShortMsg(out, 0x403C90);
      const unsigned char note[] = {0x90, 62, 0x40};
      source->Send(note, sizeof note);
      return heard.count > 0 && int(all.count) > before;
    });
  }
  CountingSink heard;
  std::unique_ptr<JackMidiOutput> source;
  std::unique_ptr<JackMidiPort> synth;
};

TEST(MidiDeviceLists, PortsAndInputsComeBackWithTheJackServer) {
  auto server = std::make_unique<JackServer>();
  ASSERT_TRUE(server->running_);
  testing::ScopedEnvironment api("PLINKARO_MIDI_API", "jack");
  auto peers = std::make_unique<JackPeers>();
  const std::vector<std::string> outputs = Names(midiOutGetNumDevs, true);
  const auto synth = std::find(outputs.begin(), outputs.end(), "e2e synth");
  ASSERT_NE(synth, outputs.end()) << ::testing::PrintToString(outputs);
  HMIDIOUT out = nullptr;
  ASSERT_EQ(midiOutOpen(&out, UINT(synth - outputs.begin()), 0, 0, CALLBACK_NULL),
            MMRESULT{MMSYSERR_NOERROR});
  Heard all;
  HMIDIIN allHandle = OpenInput(0, all);
  EXPECT_TRUE(peers->Play(out, all));

  // Twice, so that the second server's clients are followed as well as the first's.
  for (int restart = 0; restart < 2; ++restart) {
    SCOPED_TRACE(restart);
    server.reset();
    ASSERT_TRUE(JackServer::Eventually([&] { return peers->source->ServerGone(); }));
    peers.reset();
    // Every client of the dead server closes by itself, without a listing asking.
    ASSERT_TRUE(JackServer::Eventually([] { return OpenJackClientsForTesting() == 0; }));
    server = std::make_unique<JackServer>();
    ASSERT_TRUE(server->running_);
    peers = std::make_unique<JackPeers>();
    EXPECT_TRUE(peers->Play(out, all));
  }
  // The destination goes and comes back while the server runs.
  peers->synth.reset();
  std::string whyNot;
  peers->synth = OpenJackMidiInput("e2e synth", peers->heard, whyNot);
  peers->heard.count = 0;
  EXPECT_TRUE(peers->Play(out, all));

  midiInClose(allHandle);
  midiOutClose(out);
  peers.reset();
}

}  // namespace
}  // namespace plk::winmm
