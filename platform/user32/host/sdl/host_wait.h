// Waiting for host input without asking SDL to read the connection, where the host's
// connection is known (X11): a poll of the display's descriptor and of a wake-up
// descriptor that other threads write to.
#pragma once

#include <SDL.h>

#include <chrono>
#include <optional>

namespace plk::user32 {

// A host window exists: on X11 its display connection is the one to watch, and its loss
// ends the session (EndSessionOnDisplayLoss) and the process, with exit code 1.
void WatchHostConnection(SDL_Window* window);
// The display connection is gone: nothing may be asked of the host any more.
bool HostConnectionLost();
// Async-signal-safe: the host asks the program to end (SIGHUP, and on X11 SIGINT and
// SIGTERM); the next poll of host events reports it.
void NoteHostHangUp();
// Whether a hang-up arrived since the last call.
bool TakeHostHangUp();

// Whether SDL should take in host events now: the host has something to read or already
// read, or it has not been asked for longer than LongestUnasked (SDL also runs delayed work
// when asked). On hosts whose connection is unknown, whether 1 ms has passed since it was
// last asked.
bool HostShouldBeAsked();
// SDL has just taken in the host's events.
void NoteHostAsked();
// Sleeps until host input, a wake-up from another thread or the timeout; false (without
// sleeping) on hosts whose connection is unknown.
bool WaitForHostInput(std::optional<std::chrono::milliseconds> timeout);
// How long SDL may go unasked, given the time since the host last had input: 100 ms for a
// second after it, while SDL may hold a focus change back; 10 s otherwise.
std::chrono::milliseconds LongestUnasked(std::chrono::steady_clock::duration sinceInput);
// How long WaitForHostInput sleeps, given its timeout and the times since SDL was last
// asked and since the last input: SDL is asked when LongestUnasked has passed, on a wake-up
// the wait has anyway where it can.
std::chrono::milliseconds HostWaitTime(std::optional<std::chrono::milliseconds> timeout,
                                       std::chrono::steady_clock::duration sinceAsked,
                                       std::chrono::steady_clock::duration sinceInput);
// Wakes the thread sleeping in WaitForHostInput; false on hosts whose connection is unknown.
bool WakeHostInputWait();

}  // namespace plk::user32
