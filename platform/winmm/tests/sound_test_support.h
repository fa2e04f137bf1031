// Helpers for the winmm tests: environment variables set for one test, scratch paths, a
// synth device, its voices, and audio read back from a WAV file or rendered directly.
#pragma once

#include <gtest/gtest.h>
#include <mmsystem.h>
#include <sndfile.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "winmm/devices/synth_device.h"

namespace plk::winmm::testing {

// Sets a variable until the end of the scope (the tests run with none of theirs set).
struct ScopedEnvironment {
  ScopedEnvironment(const char* name, const std::string& value) : name(name) {
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() { unsetenv(name); }
  const char* name;
};

// A path of its own in the test's temporary folder; whatever is made there goes with it.
struct TemporaryPath {
  explicit TemporaryPath(const std::string& name)
      : path(::testing::TempDir() + std::to_string(getpid()) + "-" + name) {}
  ~TemporaryPath() { std::filesystem::remove_all(path); }
  std::string path;
};

// Sends `bytes` as one long message, as the system does: prepare, send, unprepare.
inline void SendLong(HMIDIOUT handle, std::vector<BYTE> bytes) {
  MIDIHDR header{};
  header.lpData = reinterpret_cast<LPSTR>(bytes.data());
  header.dwBufferLength = static_cast<DWORD>(bytes.size());
  midiOutPrepareHeader(handle, &header, sizeof header);
  midiOutLongMsg(handle, &header, sizeof header);
  midiOutUnprepareHeader(handle, &header, sizeof header);
}

// A synth device with the given sink (a WAV file needs `wavPath`), its soundfont loaded;
// fails the test if none.
inline std::unique_ptr<SynthDevice> OpenSynth(AudioSink sink, const std::string& wavPath = "") {
  std::string whyNot;
  auto device = SynthDevice::Open({kDefaultSoundfont, sink, "", wavPath}, whyNot);
  EXPECT_TRUE(device && device->Settle()) << whyNot;
  return device;
}

// The (channel, key) of the voices that are on (key down) or that the pedal holds.
using Keys = std::set<std::pair<int, int>>;
inline Keys Voices(fluid_synth_t* synth, bool held = false) {
  std::vector<fluid_voice_t*> voices(1024, nullptr);
  fluid_synth_get_voicelist(synth, voices.data(), static_cast<int>(voices.size()), -1);
  Keys keys;
  for (fluid_voice_t* voice : voices) {
    if (voice && (held ? fluid_voice_is_sustained(voice) : fluid_voice_is_on(voice))) {
      keys.emplace(fluid_voice_get_channel(voice), fluid_voice_get_key(voice));
    }
  }
  return keys;
}

inline int Cc(fluid_synth_t* synth, int channel, int controller) {
  int value = -1;
  fluid_synth_get_cc(synth, channel, controller, &value);
  return value;
}

// Bank and program of a channel.
inline std::pair<int, int> ProgramOf(fluid_synth_t* synth, int channel) {
  int soundfont = 0, bank = -1, program = -1;
  fluid_synth_get_program(synth, channel, &soundfont, &bank, &program);
  return {bank, program};
}

inline int PitchBend(fluid_synth_t* synth, int channel) {
  int value = -1;
  fluid_synth_get_pitch_bend(synth, channel, &value);
  return value;
}

// The first channel of a WAV file as floats in -1..1, and its sample rate.
inline std::vector<float> ReadWav(const std::string& path, int& sampleRate) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  std::vector<float> frames(static_cast<std::size_t>(info.frames) * info.channels);
  if (file) sf_readf_float(file, frames.data(), info.frames), sf_close(file);
  sampleRate = info.samplerate;
  std::vector<float> left;
  for (std::size_t i = 0; i < frames.size(); i += info.channels) left.push_back(frames[i]);
  return left;
}

// Mono frames rendered directly from a synthesizer that has no audio sink.
inline std::vector<float> RenderFrames(fluid_synth_t* synth, int frames) {
  std::vector<float> left(frames);
  std::vector<float> right(frames);
  fluid_synth_write_float(synth, frames, left.data(), 0, 1, right.data(), 0, 1);
  return left;
}

}  // namespace plk::winmm::testing
