// Implements: one place for what FluidSynth, ALSA, JACK and RtMidi would print on their own.
// Their chatter is dropped; FluidSynth's errors raised while a device opens are collected
// so that the open can explain its failure in one line, and later errors get one stderr
// line each.
// Does not implement: a trace switch for their debug output.
#include "winmm/sound_library_logs.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <jack/jack.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

namespace plk::winmm {
namespace {

thread_local SoundLibraryErrors* collector = nullptr;

void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// NOTE: some errors repeat for every block while a condition lasts (too many voices at
// once); the user needs to read each only once.
// The set is never destroyed: a parked device closes at exit, after static destructors
// that ran before it may have, and its library can still report then.
bool FirstTimeSeen(const char* message) {
  static std::mutex lock;
  static auto* seen = new std::set<std::string>;
  std::lock_guard<std::mutex> guard(lock);
  return seen->insert(message).second;
}

void OnFluidError(int, const char* message, void*) {
  if (collector) {
    collector->Add(message);
  } else if (FirstTimeSeen(message)) {
    std::fprintf(stderr, "plinkaro: fluidsynth: %s\n", message);
  }
}

void DropFluidMessage(int, const char*, void*) {}

void DropJackMessage(const char*) {}

}  // namespace

void QuietSoundLibraries() {
  static std::once_flag once;
  std::call_once(once, [] {
    snd_lib_error_set_handler(DropAlsaMessage);
    // libjack reports a missing server on its own; the devices say it in their one line.
    jack_set_error_function(DropJackMessage);
    jack_set_info_function(DropJackMessage);
  });
}

void RouteFluidSynthLogs(SetFluidLogFunction setLogFunction) {
  for (int level = 0; level < LAST_LOG_LEVEL; ++level) {
    const bool error = level == FLUID_PANIC || level == FLUID_ERR;
    setLogFunction(level, error ? OnFluidError : DropFluidMessage, nullptr);
  }
}

SoundLibraryErrors::SoundLibraryErrors() : outer_(collector) {
  QuietSoundLibraries();
  collector = this;
}

SoundLibraryErrors::~SoundLibraryErrors() { collector = outer_; }

void SoundLibraryErrors::Add(const char* message) {
  if (!text_.empty()) text_ += "; ";
  text_ += message;
}

std::string SoundLibraryErrors::Describe(const std::string& fallback) const {
  return text_.empty() ? fallback : text_;
}

}  // namespace plk::winmm
