// Helpers for the winmm device tests: environment variables set for one test, files in
// the test's temporary folder, the synthesizer's voices and a WAV file read back.
#pragma once

#include <fluidsynth.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plk::winmm::testing {

// Sets (or with nullopt unsets) a variable and restores the old value when it goes.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A path in a fresh folder of its own, removed with the folder.
class TemporaryPath {
 public:
  explicit TemporaryPath(const std::string& fileName);
  ~TemporaryPath();
  TemporaryPath(const TemporaryPath&) = delete;
  TemporaryPath& operator=(const TemporaryPath&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

struct VoiceKey {
  int channel;
  int key;
  bool operator==(const VoiceKey&) const = default;
  auto operator<=>(const VoiceKey&) const = default;
};

// Voices that are on (key still down), and voices that the sustain pedal holds; sorted.
std::vector<VoiceKey> VoicesOn(fluid_synth_t* synth);
std::vector<VoiceKey> VoicesHeld(fluid_synth_t* synth);

struct WavContents {
  int sampleRate = 0;
  int channels = 0;
  std::vector<float> left;  // the first channel, as floats in -1..1
};
WavContents ReadWav(const std::string& path);

// Mono float frames rendered directly from a synthesizer that has no audio sink.
std::vector<float> RenderFrames(fluid_synth_t* synth, int frames);

}  // namespace plk::winmm::testing
