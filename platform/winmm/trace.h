// PLINKARO_TRACE=winmm prints to stderr what the MIDI and sound devices do that is otherwise
// silent: how long an open took, and which priority a sound thread got.
#pragma once

namespace plk::winmm {

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace plk::winmm
