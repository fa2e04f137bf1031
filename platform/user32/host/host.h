// What user32 asks of the desktop it runs on: the video device, one host window per
// top-level window, its pixels presented, and the host's input and window events. This
// is the only way into the host; a backend implements every function here (host/sdl_*
// over SDL2). Coordinates are window pixels: a backend that presents a window N times
// larger divides the pointer positions, the screen size and the window moves by N, and
// nothing outside this folder changes.
#pragma once

#include <windows.h>

#include "gdi32/window_surface.h"

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plk::user32 {

// Starts the video device once, on the calling thread; false when no display works, with
// the reason in `failure`. Without an explicit driver choice only a real display is tried.
bool StartHostVideo(std::string& failure);
bool HostVideoActive();
// Host events reach only the thread that started video.
bool OnHostVideoThread();
// A headless driver: nothing can be seen or clicked.
bool HostVideoHeadless();
// The first display's area; none without video.
std::optional<RECT> HostScreenBounds();
// Settles, once, how many times larger host windows show their pixels on a high-DPI
// screen, before the first top-level window is placed: the desktop's scale, lowered until
// a window of `window` pixels fits the screen. Later calls do nothing.
void SettleHostScale(SIZE window);

// A host window; the backend owns it.
struct HostWindow;

// kPopupMenu: a window the desktop leaves alone (no frame, not placed by a window manager)
// that never takes the keyboard focus, above every other window.
enum class HostWindowKind { kFixed, kResizable, kPopupMenu };
// A hidden host window whose pixels cover `client` on the screen, tagged with `window`
// (events name it), kept above `owner` when given. Null without video.
HostWindow* CreateHostWindow(const char* title, const RECT& client, HWND window,
                             HostWindowKind kind, HostWindow* owner);
// Makes a spare host window of that kind ahead of need, so that the next one shows at once.
void PrepareHostWindow(HostWindowKind kind);
// Hides it for good; events no longer name its window.
void ReleaseHostWindow(HostWindow* host);
void ShowHostWindow(HostWindow* host, bool show);
enum class HostWindowState { Normal, Minimized, Maximized };
void SetHostWindowState(HostWindow* host, HostWindowState state);
// Moves and sizes it so that its pixels cover `client` on the screen.
void PlaceHostWindow(HostWindow* host, const RECT& client);
void SetHostWindowTitle(HostWindow* host, const char* title);
// `bmp`: the bytes of a BMP file.
void SetHostWindowIcon(HostWindow* host, std::span<const std::uint8_t> bmp);
// Brings it to the front with the keyboard focus.
void RaiseHostWindow(HostWindow* host);
// How desktop services (XDG portals) name the host window when it parents their dialogs:
// "x11:" and the X window id in hexadecimal; empty when the host cannot say.
std::string HostWindowExportName(HostWindow* host);
// The pointer grabbed for a shown popup menu: the program's windows get their pointer
// events as before, and presses and motion anywhere else on the screen come to `host`,
// in its coordinates (outside its area). False while the host cannot grab yet (the window
// is not on the screen yet, or another program holds the pointer): ask again.
bool GrabHostPointer(HostWindow* host);
void ReleaseHostPointer();
// Shows the `areas` of `surface` (its coordinates) in the window; false, showing nothing,
// while the window is hidden.
bool PresentHostWindow(HostWindow* host, const plk::gdi::PixelSurface& surface,
                       std::span<const RECT> areas);

struct HostEvent {
  enum class Kind {
    Key,     // key, down, repeat, shift/control/alt
    Button,  // button, down, point, shift/control
    Motion,  // point
    Wheel,   // notches (away from the user is positive), point, shift/control
    Drop,    // files, point
    Close,   // the close box
    FocusGained,
    FocusLost,
    Minimized,
    Restored,
    Exposed,        // the pixels must be presented again
    Resized,        // point: the new size of the pixels
    Moved,          // point: where the pixels now start on the screen
    LayoutChanged,  // the keyboard layout may have changed
    Quit,           // the host asks the program to end
  };
  enum class Button { Left, Right, Other };

  Kind kind = Kind::Key;
  HWND window = nullptr;  // the tag of the host window; null for the whole program
  // A key by its place on a PC keyboard: the set-1 scan code, with the E0-prefixed keys
  // told apart by `extended`. 0: a key without one.
  int scanCode = 0;
  bool extended = false;
  bool down = false;
  bool repeat = false;  // an auto-repeat of a key that is held
  bool shift = false;
  bool control = false;
  bool alt = false;
  Button button = Button::Other;
  POINT point = {};  // in the window's pixels
  int notches = 0;
  std::vector<std::string> files;
};

// The next host event, if any.
bool PollHostEvent(HostEvent& event);
// Sleeps until a host event is pending, WakeHostWait is called, or `timeout` passes.
void WaitForHostEvent(std::optional<std::chrono::milliseconds> timeout);
// Any thread: ends a WaitForHostEvent.
void WakeHostWait();
// The character the host's keymap puts on a key unshifted (0: none).
char32_t HostKeyCharacter(int scanCode, bool extended);

// Called by the backend (not implemented by it), on the video thread, once the display is
// gone for good: every window learns that the session ends, while host calls do nothing;
// the backend then ends the process.
void EndSessionOnDisplayLoss();

}  // namespace plk::user32
