// Implements: TrackPopupMenu: WM_ENTERMENULOOP, WM_INITMENU and WM_INITMENUPOPUP before
// the menu shows (each submenu's own WM_INITMENUPOPUP with its item's place before it
// opens), WM_UNINITMENUPOPUP as each popup goes and WM_EXITMENULOOP at the end, none of
// them with TPM_NONOTIFY; the chosen command answered (TPM_RETURNCMD) or posted to the
// owner as WM_COMMAND; the popup placed by the alignment flags and flipped to the other
// side of the point, or shifted, to stay on the screen, submenus beside their item; a
// loop of its own that dispatches the thread's other messages (timers, paints, posted
// messages) while every key and pointer message goes to the menu: the pointer highlights,
// a submenu opens after resting on its item for the show delay or at once on a press, a
// release on an item chooses it (the right button too with TPM_RIGHTBUTTON), a press
// outside the menu cancels it and goes on to the window under the pointer; Up, Down, Home, End
// move, Right and Enter open a submenu, Left and Escape close one (Escape on the first cancels),
// Enter chooses, a mnemonic letter chooses its item (or moves among several with the same letter),
// Alt and F10 cancel. WM_QUIT ends the menu and is posted again. Does not implement: WM_MENUSELECT,
// WM_MENUCHAR, TPM_NOANIMATION and the other animation flags, TPM_RECURSE (a menu inside a menu
// fails), TrackPopupMenuEx's excluded rectangle, the Applications key.
#include "user32/host/host.h"
#include "user32/input_routing.h"
#include "user32/mouse_capture.h"
#include "user32/menu.h"
#include "user32/menu_window.h"
#include "user32/message_queue.h"
#include "user32/messages.h"
#include "user32/trace.h"
#include "user32/window.h"
#include "user32/window_pixels.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace plk::user32 {
namespace {

constexpr UINT_PTR kSubmenuTimer = 1;
constexpr UINT kSubmenuDelay = 400;  // Windows' menu show delay, in milliseconds
constexpr int kSubmenuOverlap = 3;
constexpr int kSubmenuLift = 3;  // the submenu's first item lines up with its parent item

thread_local bool tracking = false;

RECT ScreenArea() {
  if (std::optional<RECT> screen = HostScreenBounds()) return *screen;
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// `start` moved into [low, high - size]; past the end, `flipped` is tried first.
int Fit(int start, int flipped, int size, int low, int high) {
  if (start + size > high) start = flipped;
  return std::max(low, std::min(start, high - size));
}

POINT PlaceAtPoint(POINT at, SIZE size, UINT flags) {
  const RECT screen = ScreenArea();
  int x = at.x;
  int y = at.y;
  if (flags & TPM_RIGHTALIGN) {
    x -= size.cx;
  } else if (flags & TPM_CENTERALIGN) {
    x -= size.cx / 2;
  }
  if (flags & TPM_BOTTOMALIGN) {
    y -= size.cy;
  } else if (flags & TPM_VCENTERALIGN) {
    y -= size.cy / 2;
  }
  return {Fit(x, at.x - size.cx, size.cx, screen.left, screen.right),
          Fit(y, at.y - size.cy, size.cy, screen.top, screen.bottom)};
}

// Right of the parent popup (or left of it when the screen ends), level with `item`.
POINT PlaceBeside(const RECT& parent, const RECT& item, SIZE size) {
  const RECT screen = ScreenArea();
  const int x = Fit(parent.right - kSubmenuOverlap, parent.left - size.cx + kSubmenuOverlap,
                    size.cx, screen.left, screen.right);
  const int top = item.top - kSubmenuLift;
  return {x, Fit(top, screen.bottom - size.cy, size.cy, screen.top, screen.bottom)};
}

bool IsMouseMessage(UINT message) { return (message >= WM_MOUSEMOVE && message <= WM_MOUSEWHEEL); }

bool IsKeyboardMessage(UINT message) { return message >= WM_KEYDOWN && message <= WM_SYSCHAR; }

class MenuTracker {
 public:
  MenuTracker(HWND owner, UINT flags) : owner_(owner), flags_(flags), font_(MenuFont()) {}
  ~MenuTracker() {
    CloseFrom(0);
    if (grabbed_) ReleaseHostPointer();
    SetMouseCapture(nullptr);
  }
  MenuTracker(const MenuTracker&) = delete;
  MenuTracker& operator=(const MenuTracker&) = delete;

  void Notify(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!(flags_ & TPM_NONOTIFY)) SendMessageA(owner_, message, wParam, lParam);
  }

  bool OpenFirst(HMENU menu, POINT at) {
    auto popup = Prepare(menu, 0);
    if (!popup) return false;
    const POINT place = PlaceAtPoint(at, popup->client, flags_);
    return Show(std::move(popup), place);
  }

  // Returns the chosen command, 0 for none.
  UINT_PTR Run() {
    SetMouseCapture(levels_.front()->window);
    MSG message;
    while (!ended_) {
      if (!grabbed_) grabbed_ = GrabHostPointer(HostOf(levels_.front()->window));
      if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        WaitMessage();
        continue;
      }
      // A press outside the menu ends it and stays queued: with the capture gone it goes
      // to the window under the pointer, as on Windows.
      if (PressOutside(message)) break;
      PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that called the menu
        break;
      }
      if (!Handle(message)) DispatchMessageA(&message);
      if (!IsWindow(owner_) || !IsWindow(levels_.front()->window)) break;
    }
    return chosen_;
  }

 private:
  static HostWindow* HostOf(HWND window) {
    Window* object = FindWindowObject(window);
    return object && object->pixels ? object->pixels->host : nullptr;
  }

  std::unique_ptr<MenuPopup> Prepare(HMENU menu, WORD position) {
    Notify(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(position, FALSE));
    std::optional<std::vector<MenuItem>> items = MenuItems(menu);
    if (!items || items->empty()) return nullptr;
    auto popup = std::make_unique<MenuPopup>();
    popup->menu = menu;
    popup->items = std::move(*items);
    popup->font = font_;
    LayOutMenuPopup(*popup);
    return popup;
  }

  bool Show(std::unique_ptr<MenuPopup> popup, POINT at) {
    if (!CreateMenuWindow(*popup, owner_, at)) return false;
    const HWND window = popup->window;
    levels_.push_back(std::move(popup));
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
    Trace("menu %p painted", static_cast<void*>(window));
    PresentChangedWindows();
    return true;
  }

  void OpenSubmenu(std::size_t level, int index, bool selectFirst) {
    MenuPopup& parent = *levels_[level];
    const MenuItem& item = parent.items[index];
    if (level + 1 < levels_.size() && levels_[level + 1]->menu == item.submenu) {
      if (selectFirst && levels_[level + 1]->selected < 0) Move(*levels_[level + 1], +1, -1);
      return;  // open already
    }
    CloseFrom(level + 1);
    if (!(item.flags & MF_POPUP) || (item.flags & (MF_GRAYED | MF_DISABLED))) return;
    auto popup = Prepare(item.submenu, static_cast<WORD>(index));
    if (!popup) return;
    RECT frame;
    GetWindowRect(parent.window, &frame);
    const RECT& client = parent.rects[index];
    const RECT row = {client.left + frame.left, client.top + frame.top, client.right + frame.left,
                      client.bottom + frame.top};
    const POINT at = PlaceBeside(frame, row, popup->client);
    MenuPopup* opened = popup.get();
    if (Show(std::move(popup), at) && selectFirst) Move(*opened, +1, -1);
  }

  // Closes the popups from `level` on, the deepest first.
  void CloseFrom(std::size_t level) {
    while (levels_.size() > level) {
      std::unique_ptr<MenuPopup> popup = std::move(levels_.back());
      levels_.pop_back();
      if (levels_.empty()) SetMouseCapture(nullptr);
      DestroyWindow(popup->window);
      Notify(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(popup->menu), 0);
    }
  }

  bool Handle(const MSG& message) {
    if (IsKeyboardMessage(message.message)) {
      // Key releases stay with the menu too; the key state has followed them already.
      if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
        OnKey(static_cast<int>(message.wParam));
      }
      return true;
    }
    if (IsMouseMessage(message.message)) {
      OnMouse(message);
      return true;
    }
    if (message.message == WM_TIMER && message.wParam == kSubmenuTimer) {
      for (std::size_t level = 0; level < levels_.size(); ++level) {
        if (levels_[level]->window != message.hwnd) continue;
        KillTimer(message.hwnd, kSubmenuTimer);
        const int selected = levels_[level]->selected;
        if (selected >= 0 && level + 1 == levels_.size()) OpenSubmenu(level, selected, false);
        return true;
      }
    }
    return false;
  }

  void End(UINT_PTR command) {
    chosen_ = command;
    ended_ = true;
  }

  // Enter on an item, or a mnemonic's only item.
  void Activate(std::size_t level, int index) {
    if (index < 0) return End(0);
    const MenuItem& item = levels_[level]->items[index];
    if (item.flags & MF_POPUP) {
      SelectMenuItem(*levels_[level], index);
      OpenSubmenu(level, index, true);
    } else {
      End(Chooseable(item) ? item.id : 0);
    }
  }

  // The next (step +1) or previous (-1) item after `from` that can be highlighted,
  // round the ends.
  static void Move(MenuPopup& popup, int step, int from) {
    const int count = static_cast<int>(popup.items.size());
    int index = from < 0 ? (step > 0 ? -1 : count) : from;
    for (int i = 0; i < count; ++i) {
      index = ((index + step) % count + count) % count;
      if (Selectable(popup.items[index])) return SelectMenuItem(popup, index);
    }
  }

  void OnMnemonic(std::size_t level, char key) {
    MenuPopup& popup = *levels_[level];
    std::vector<int> matches;
    for (std::size_t i = 0; i < popup.items.size(); ++i) {
      if (MenuMnemonic(popup.labels[i]) == key) matches.push_back(static_cast<int>(i));
    }
    if (matches.size() == 1) return Activate(level, matches.front());
    if (matches.empty()) return;
    auto next = std::upper_bound(matches.begin(), matches.end(), popup.selected);
    SelectMenuItem(popup, next == matches.end() ? matches.front() : *next);
  }

  void OnKey(int key) {
    const std::size_t level = levels_.size() - 1;
    MenuPopup& popup = *levels_[level];
    switch (key) {
      case VK_DOWN: return Move(popup, +1, popup.selected);
      case VK_UP: return Move(popup, -1, popup.selected);
      case VK_HOME: return Move(popup, +1, -1);
      case VK_END: return Move(popup, -1, -1);
      case VK_RIGHT:
        if (popup.selected >= 0) OpenSubmenu(level, popup.selected, true);
        return;
      case VK_LEFT:
        if (level > 0) CloseFrom(level);
        return;
      case VK_ESCAPE:
        if (level > 0) return CloseFrom(level);
        return End(0);
      case VK_RETURN: return Activate(level, popup.selected);
      case VK_MENU:
      case VK_F10: return End(0);
      default:
        if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
          OnMnemonic(level, static_cast<char>(key));
        }
        return;
    }
  }

  // The deepest popup under a screen point, -1 for none.
  int LevelAt(POINT screen) const {
    for (int level = static_cast<int>(levels_.size()) - 1; level >= 0; --level) {
      RECT frame;
      GetWindowRect(levels_[level]->window, &frame);
      if (screen.x >= frame.left && screen.x < frame.right && screen.y >= frame.top &&
          screen.y < frame.bottom) {
        return level;
      }
    }
    return -1;
  }

  int ItemAt(int level, POINT screen) const {
    const MenuPopup& popup = *levels_[level];
    POINT client = screen;
    ScreenToClient(popup.window, &client);
    return MenuItemAt(popup, client);
  }

  static POINT ScreenPointOf(const MSG& message) {
    POINT screen = {static_cast<SHORT>(LOWORD(message.lParam)),
                    static_cast<SHORT>(HIWORD(message.lParam))};
    ClientToScreen(message.hwnd, &screen);
    return screen;
  }

  bool PressOutside(const MSG& message) const {
    return (message.message == WM_LBUTTONDOWN || message.message == WM_RBUTTONDOWN) &&
           LevelAt(ScreenPointOf(message)) < 0;
  }

  void OnMouse(const MSG& message) {
    if (levels_.empty() || message.message == WM_MOUSEWHEEL) return;
    const POINT screen = ScreenPointOf(message);
    const int level = LevelAt(screen);
    const int item = level >= 0 ? ItemAt(level, screen) : -1;
    switch (message.message) {
      case WM_MOUSEMOVE: return Hover(level, item);
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        if (level < 0) return;
        Hover(level, item);
        if (item >= 0) OpenSubmenu(static_cast<std::size_t>(level), item, false);
        return;
      case WM_RBUTTONUP:
        if (!(flags_ & TPM_RIGHTBUTTON)) return;
        [[fallthrough]];
      case WM_LBUTTONUP:
        if (item >= 0 && Chooseable(levels_[level]->items[item]))
          End(levels_[level]->items[item].id);
        return;
      default: return;
    }
  }

  void Hover(int level, int item) {
    if (level < 0) {  // off the menu: only a highlight that leads to an open submenu stays
      SelectMenuItem(*levels_.back(), -1);
      return;
    }
    MenuPopup& popup = *levels_[level];
    if (item == popup.selected) return;
    CloseFrom(static_cast<std::size_t>(level) + 1);
    SelectMenuItem(popup, item);
    KillTimer(popup.window, kSubmenuTimer);
    if (item >= 0 && (popup.items[item].flags & MF_POPUP)) {
      SetTimer(popup.window, kSubmenuTimer, kSubmenuDelay, nullptr);
    }
  }

  HWND owner_;
  UINT flags_;
  HFONT font_;
  std::vector<std::unique_ptr<MenuPopup>> levels_;
  bool ended_ = false;
  bool grabbed_ = false;
  UINT_PTR chosen_ = 0;
};

}  // namespace
}  // namespace plk::user32

using namespace plk::user32;

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  if (tracking || !MenuItems(menu) || !IsWindow(owner)) return FALSE;
  tracking = true;
  UINT_PTR chosen = 0;
  bool shown = false;
  {
    MenuTracker tracker(owner, flags);
    tracker.Notify(WM_ENTERMENULOOP, TRUE, 0);
    tracker.Notify(WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    shown = tracker.OpenFirst(menu, {x, y});
    if (shown) chosen = tracker.Run();
  }
  if (IsWindow(owner)) SendMessageA(owner, WM_EXITMENULOOP, TRUE, 0);
  tracking = false;
  Trace("menu ends with command %lu", static_cast<unsigned long>(chosen));
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
  if (chosen) PostMessageA(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return shown ? TRUE : FALSE;
}
