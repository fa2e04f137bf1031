#include "winmm/sound_library_logs.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace plk::winmm {
namespace {

thread_local SoundLibraryErrors* collector = nullptr;

void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void OnFluidError(int, const char* message, void*) { CollectSoundLibraryError(message); }

void DropFluidMessage(int, const char*, void*) {}

}  // namespace

void CollectSoundLibraryError(const char* message) {
  if (!collector) {
    std::fprintf(stderr, "plinkaro: fluidsynth: %s\n", message);
    return;
  }
  if (!collector->text_.empty()) collector->text_ += "; ";
  collector->text_ += message;
}

void QuietSoundLibraries() {
  static std::once_flag once;
  std::call_once(once, [] {
    snd_lib_error_set_handler(DropAlsaMessage);
    for (int level = 0; level < LAST_LOG_LEVEL; ++level) {
      const bool error = level == FLUID_PANIC || level == FLUID_ERR;
      fluid_set_log_function(level, error ? OnFluidError : DropFluidMessage, nullptr);
    }
  });
}

SoundLibraryErrors::SoundLibraryErrors() : outer_(collector) {
  QuietSoundLibraries();
  collector = this;
}

SoundLibraryErrors::~SoundLibraryErrors() { collector = outer_; }

std::string SoundLibraryErrors::Describe(const std::string& fallback) const {
  return text_.empty() ? fallback : text_;
}

}  // namespace plk::winmm
