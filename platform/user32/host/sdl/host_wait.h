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
// Async-signal-safe: the host asks the program to end (SIGHUP); the next poll of host
// events reports it.
void NoteHostHangUp();
// Whether a hang-up arrived since the last call.
bool TakeHostHangUp();

// Whether SDL should take in host events now: the host has something to read or already
// read, or it has not been asked for a while (SDL also runs delayed work when asked). On
// hosts whose connection is unknown, whether 1 ms has passed since it was last asked.
bool HostShouldBeAsked();
// SDL has just taken in the host's events.
void NoteHostAsked();
// Sleeps until host input, a wake-up from another thread or the timeout; false (without
// sleeping) on hosts whose connection is unknown.
bool WaitForHostInput(std::optional<std::chrono::milliseconds> timeout);
// How long WaitForHostInput sleeps, given its timeout and the time since SDL was last
// asked: SDL is asked at least every 100 ms, on a wake-up the wait has anyway where it can.
std::chrono::milliseconds HostWaitTime(std::optional<std::chrono::milliseconds> timeout,
                                       std::chrono::steady_clock::duration sinceAsked);
// Wakes the thread sleeping in WaitForHostInput; false on hosts whose connection is unknown.
bool WakeHostInputWait();

}  // namespace plk::user32
