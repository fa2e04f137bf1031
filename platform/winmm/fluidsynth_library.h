// FluidSynth, loaded when a synth device first opens instead of with the program: with the
// libraries it pulls in (GLib, libinstpatch, OpenMP, readline, ...) it made every start a
// few milliseconds slower, for programs that play through a MIDI port or no device too.
// The fluid_* functions of <fluidsynth.h> are called as usual; they forward to the loaded
// library.
#pragma once

#include <string>

namespace plk::winmm {

// Loads the library once and routes its log; false with the reason, in a user's words,
// when it is not installed. A fluid_* call before a successful load loads it, or ends the
// program with that reason.
bool LoadFluidSynth(std::string& whyNot);

}  // namespace plk::winmm
