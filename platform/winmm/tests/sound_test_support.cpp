#include "sound_test_support.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

namespace plk::winmm::testing {
namespace {

std::vector<VoiceKey> Voices(fluid_synth_t* synth, bool held) {
  std::vector<fluid_voice_t*> voices(1024, nullptr);
  fluid_synth_get_voicelist(synth, voices.data(), static_cast<int>(voices.size()), -1);
  std::vector<VoiceKey> keys;
  for (fluid_voice_t* voice : voices) {
    if (!voice) break;
    const bool matches =
        held ? (fluid_voice_is_sustained(voice) != 0) : (fluid_voice_is_on(voice) != 0);
    if (matches) keys.push_back({fluid_voice_get_channel(voice), fluid_voice_get_key(voice)});
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

}  // namespace

TemporaryPath::TemporaryPath(const std::string& fileName) {
  static std::atomic<int> counter{0};
  folder_ = std::filesystem::temp_directory_path() /
            ("plinkaro-winmm-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(folder_);
  path_ = (folder_ / fileName).string();
}

TemporaryPath::~TemporaryPath() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::vector<VoiceKey> VoicesOn(fluid_synth_t* synth) { return Voices(synth, false); }
std::vector<VoiceKey> VoicesHeld(fluid_synth_t* synth) { return Voices(synth, true); }

WavContents ReadWav(const std::string& path) {
  WavContents contents;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return contents;
  contents.sampleRate = info.samplerate;
  contents.channels = info.channels;
  std::vector<float> frames(static_cast<std::size_t>(info.frames) * info.channels);
  const sf_count_t read = sf_readf_float(file, frames.data(), info.frames);
  sf_close(file);
  for (sf_count_t i = 0; i < read; ++i) contents.left.push_back(frames[i * info.channels]);
  return contents;
}

std::vector<float> RenderFrames(fluid_synth_t* synth, int frames) {
  std::vector<float> left(frames);
  std::vector<float> right(frames);
  fluid_synth_write_float(synth, frames, left.data(), 0, 1, right.data(), 0, 1);
  return left;
}

}  // namespace plk::winmm::testing
