// Implements: waiting for X11 input by a poll of the display connection SDL reads (with
// an eventfd for wake-ups from other threads), so that an idle tick asks nothing of the
// connection; SDL is asked to read only when there is input, and besides for its own
// delayed work: every 100 ms for a second after input (a focus change takes effect 200 ms
// late), every 10 s otherwise (it keeps the X screen saver off when asked, every 30 s);
// a look at the connection within 1 ms of one that found nothing is skipped.
// The loss of the X connection (an Xlib I/O error) ends the session and the process
// without another request to the display; SIGHUP, SIGINT and SIGTERM are noted and wake
// the wait (SDL would see the last two only when next asked).
// Does not implement: other hosts (Wayland, KMS), which keep waiting through SDL.
#include "user32/host/sdl/host_wait.h"

#include <SDL.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>

#include "user32/host/host.h"

// Last: Xlib's macros (None, Bool, ...) would clash with names in the headers above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace plk::user32 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kQuietMoment = std::chrono::milliseconds(1);
constexpr auto kLongestUnaskedAfterInput = std::chrono::milliseconds(100);
constexpr auto kAfterInput = std::chrono::seconds(1);
constexpr auto kLongestUnaskedIdle = std::chrono::seconds(10);

struct HostConnection {
  Display* display = nullptr;  // null where the host is not X11
  Clock::time_point lastAsked;
  Clock::time_point lastInput;  // when the connection was last found with something to read
  // When a poll last found the connection with nothing to read; within a moment of that,
  // looking again would find nothing new.
  Clock::time_point lastFoundQuiet;
  bool inputSeen = false;  // the last wait saw the connection readable
};

HostConnection& Connection() {
  static HostConnection connection;
  return connection;
}

std::atomic<int>& WakeDescriptor() {
  static std::atomic<int> descriptor{-1};
  return descriptor;
}

Display* HostDisplay() { return Connection().display; }

std::atomic<bool>& Lost() {
  static std::atomic<bool> lost{false};
  return lost;
}

std::atomic<bool>& HangUp() {
  static std::atomic<bool> hangUp{false};
  return hangUp;
}

// Xlib ends the process when this returns; it never does. A message box here would ask the
// dead connection again and come back into this handler.
[[noreturn]] int OnConnectionLost(Display*) {
  Lost() = true;
  std::fputs("plinkaro: the display connection is lost; the session ends\n", stderr);
  EndSessionOnDisplayLoss();
  std::fflush(stderr);
  _exit(1);
}

bool Readable(int descriptor) {
  pollfd poll_fd = {descriptor, POLLIN, 0};
  return poll(&poll_fd, 1, 0) > 0;
}

void OnEndSignal(int) { NoteHostHangUp(); }

// A signal the process was started ignoring stays ignored.
void CatchEndSignals() {
  for (int number : {SIGINT, SIGTERM}) {
    struct sigaction current {};
    if (sigaction(number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, nullptr);
  }
}

bool NoteInput(HostConnection& host, Clock::time_point now) {
  host.lastInput = now;
  return true;
}

}  // namespace

void WatchHostConnection(SDL_Window* window) {
  HostConnection& host = Connection();
  if (host.display) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    host.display = info.info.x11.display;
    WakeDescriptor() = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    XSetIOErrorHandler(OnConnectionLost);
    CatchEndSignals();
  }
}

bool HostConnectionLost() { return Lost(); }

void NoteHostHangUp() {
  HangUp() = true;
  WakeHostInputWait();
}

bool TakeHostHangUp() { return HangUp().exchange(false); }

bool HostShouldBeAsked() {
  HostConnection& host = Connection();
  const auto now = Clock::now();
  Display* display = HostDisplay();
  if (!display) return now - host.lastAsked >= kQuietMoment;
  if (host.inputSeen || XEventsQueued(display, QueuedAlready) > 0) return NoteInput(host, now);
  if (now - host.lastAsked >= LongestUnasked(now - host.lastInput)) return true;
  if (now - host.lastFoundQuiet < kQuietMoment) return false;
  if (Readable(ConnectionNumber(display))) return NoteInput(host, now);
  host.lastFoundQuiet = now;
  return false;
}

void NoteHostAsked() {
  HostConnection& host = Connection();
  host.lastAsked = Clock::now();
  host.inputSeen = false;
}

std::chrono::milliseconds LongestUnasked(std::chrono::steady_clock::duration sinceInput) {
  if (sinceInput < kAfterInput) return kLongestUnaskedAfterInput;
  return kLongestUnaskedIdle;
}

// NOTE: a timeout no longer than the longest time SDL may go unasked is slept whole, and SDL
// is asked when it ends instead: cut at that deadline, the wait would cost a wake-up of its
// own beside the 10 ms timer's hundred a second.
std::chrono::milliseconds HostWaitTime(std::optional<std::chrono::milliseconds> timeout,
                                       std::chrono::steady_clock::duration sinceAsked,
                                       std::chrono::steady_clock::duration sinceInput) {
  using std::chrono::milliseconds;
  const auto longest = LongestUnasked(sinceInput);
  if (timeout && *timeout <= longest) return std::max(*timeout, milliseconds(0));
  auto wait = std::chrono::ceil<milliseconds>(longest - sinceAsked);
  if (timeout && *timeout < wait) wait = *timeout;
  return std::max(wait, milliseconds(0));
}

bool WaitForHostInput(std::optional<std::chrono::milliseconds> timeout) {
  Display* display = HostDisplay();
  if (!display) return false;
  if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) || XEventsQueued(display, QueuedAlready) > 0) {
    return true;
  }
  // NOTE: no XFlush before the sleep: it reads the connection too, and SDL sends (or syncs)
  // the requests of every call that makes any, as this layer's own Xlib calls do.
  pollfd descriptors[2] = {{ConnectionNumber(display), POLLIN, 0}, {WakeDescriptor(), POLLIN, 0}};
  HostConnection& host = Connection();
  const auto now = Clock::now();
  const auto wait = HostWaitTime(timeout, now - host.lastAsked, now - host.lastInput);
  if (poll(descriptors, 2, static_cast<int>(wait.count())) > 0) {
    host.inputSeen = descriptors[0].revents != 0;
    std::uint64_t wakes = 0;
    if (descriptors[1].revents && read(descriptors[1].fd, &wakes, sizeof wakes) < 0) wakes = 0;
  }
  if (!host.inputSeen) host.lastFoundQuiet = Clock::now();
  return true;
}

bool WakeHostInputWait() {
  const int descriptor = WakeDescriptor();
  if (descriptor < 0) return false;
  const std::uint64_t one = 1;
  return write(descriptor, &one, sizeof one) == sizeof one;
}

}  // namespace plk::user32
