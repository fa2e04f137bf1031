// What FluidSynth, ALSA, JACK and RtMidi would print on their own, kept in one place.
#pragma once

#include <fluidsynth.h>

#include <string>

namespace plk::winmm {

// Installs the quiet log handlers of ALSA and JACK once per process.
void QuietSoundLibraries();

// Installs FluidSynth's, through the loaded library's own fluid_set_log_function.
using SetFluidLogFunction = fluid_log_function_t (*)(int, fluid_log_function_t, void*);
void RouteFluidSynthLogs(SetFluidLogFunction setLogFunction);

// While alive, FluidSynth errors raised on this thread are collected instead of printed.
class SoundLibraryErrors {
 public:
  SoundLibraryErrors();
  ~SoundLibraryErrors();
  SoundLibraryErrors(const SoundLibraryErrors&) = delete;
  SoundLibraryErrors& operator=(const SoundLibraryErrors&) = delete;

  // The errors collected so far, joined with "; ", or `fallback` when there are none.
  std::string Describe(const std::string& fallback) const;
  void Add(const char* message);

 private:
  std::string text_;
  SoundLibraryErrors* outer_;
};

}  // namespace plk::winmm
