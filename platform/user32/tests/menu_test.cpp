// Popup menus: the item calls' answers, and TrackPopupMenu worked from a thread timer
// while its loop runs (the keys and clicks of a user, the messages the owner gets, the
// pixels and place of the menu).
#include "window_fixture.h"

#include "user32/input_routing.h"
#include "user32/message_queue.h"
#include "user32/window_class.h"
#include "user32/window.h"

#include <functional>
#include <string>

namespace {

constexpr UINT kPlay = 101, kStop = 102, kExit = 103, kReverb = 201, kChorus = 202;

struct TestMenu {
  HMENU main = CreatePopupMenu();
  HMENU sound = CreatePopupMenu();
  TestMenu() {
    AppendMenuA(sound, MF_STRING | MF_CHECKED, kReverb, "&Reverb");
    AppendMenuA(sound, MF_STRING, kChorus, "&Chorus");
    AppendMenuA(main, MF_STRING, kPlay, "&Play\tF5");
    AppendMenuA(main, MF_STRING | MF_GRAYED, kStop, "S&top");
    AppendMenuA(main, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(main, MF_POPUP, reinterpret_cast<UINT_PTR>(sound), "&Sound");
    AppendMenuA(main, MF_STRING, kExit, "E&xit");
  }
  ~TestMenu() { DestroyMenu(main); }
};

// The open menu windows, the newest last.
std::vector<HWND> MenuWindows() {
  std::vector<HWND> found;
  for (HWND handle : plk::user32::AllWindowHandles()) {
    auto* window = plk::user32::FindWindowObject(handle);
    if (window && window->windowClass->name == "#32768") found.push_back(handle);
  }
  return found;
}

void Press(int key) {
  t::InjectKey(key, true);
  t::InjectKey(key, false);
}

// What a thread timer does while a menu is up: one step every few ticks (the menu's loop
// takes the input and paints in between) on the newest menu window, then give up (a menu
// that never ends fails the test).
using Step = std::function<void(HWND menu)>;
struct MenuScript {
  std::vector<Step> steps;
  int ticks = 0;
};
MenuScript script;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  const std::vector<HWND> menus = MenuWindows();
  const int tick = script.ticks++;
  const std::size_t step = static_cast<std::size_t>(tick / 4);
  if (tick % 4 == 0 && step < script.steps.size() && !menus.empty()) {
    script.steps[step](menus.back());
  }
  if (tick == 400) Press(VK_ESCAPE), Press(VK_ESCAPE), Press(VK_ESCAPE);
}

UINT Track(HWND owner, HMENU menu, UINT flags, std::vector<Step> steps, POINT at = {40, 40}) {
  script = MenuScript{std::move(steps)};
  const UINT_PTR ticker = SetTimer(nullptr, 0, 5, Tick);
  const BOOL result = TrackPopupMenu(menu, flags, at.x, at.y, 0, owner, nullptr);
  KillTimer(nullptr, ticker);
  return static_cast<UINT>(result);
}

}  // namespace

TEST_F(User32Test, MenuItemCallsAnswerThePreviousStateAndFindCommandsInSubmenus) {
  TestMenu menu;
  EXPECT_EQ(GetMenuItemCount(menu.main), 5);
  EXPECT_EQ(CheckMenuItem(menu.main, kReverb, MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(menu.main, kReverb, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(menu.main, 999, MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(EnableMenuItem(menu.main, 1, MF_BYPOSITION | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(menu.main, kStop, MF_DISABLED), MF_ENABLED);
  EXPECT_EQ(EnableMenuItem(menu.main, 9, MF_BYPOSITION), -1);
  EXPECT_TRUE(CheckMenuRadioItem(menu.main, kReverb, kChorus, kChorus, MF_BYCOMMAND));
  EXPECT_EQ(CheckMenuItem(menu.sound, kReverb, MF_UNCHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(menu.sound, 1, MF_BYPOSITION), static_cast<DWORD>(MF_CHECKED));
  EXPECT_TRUE(ModifyMenuA(menu.main, kPlay, MF_STRING, 111, "&Pause"));
  EXPECT_EQ(CheckMenuItem(menu.main, kPlay, 0), static_cast<DWORD>(-1));
  EXPECT_EQ(CheckMenuItem(menu.main, 111, 0), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_FALSE(AppendMenuA(menu.main, MF_POPUP, 12345, "no such menu"));
  // Deleting a submenu's item destroys the submenu.
  EXPECT_TRUE(DeleteMenu(menu.main, 3, MF_BYPOSITION));
  EXPECT_EQ(GetMenuItemCount(menu.main), 4);
  EXPECT_EQ(GetMenuItemCount(menu.sound), -1);
  EXPECT_TRUE(DeleteMenu(menu.main, kExit, MF_BYCOMMAND));
  EXPECT_FALSE(DeleteMenu(menu.main, kExit, MF_BYCOMMAND));
}

TEST_F(User32Test, TrackPopupMenuAnswersWhatTheKeysAndClicksChoose) {
  struct Case {
    const char* name;
    UINT flags;
    std::function<void(HWND menu)> act;
    UINT result;
    UINT command;  // the WM_COMMAND the owner gets, 0 for none
  };
  const Case cases[] = {
      {"Down Enter", TPM_RETURNCMD, [](HWND) { Press(VK_DOWN), Press(VK_RETURN); }, kPlay, 0},
      {"a grayed item chooses nothing", TPM_RETURNCMD,
       [](HWND) { Press(VK_DOWN), Press(VK_DOWN), Press(VK_RETURN); }, 0, 0},
      {"Up wraps past the end, skipping the separator", TPM_RETURNCMD,
       [](HWND) { Press(VK_UP), Press(VK_UP), Press(VK_RETURN); }, 0, 0},
      {"End Up Right Enter: the submenu's first item", TPM_RETURNCMD,
       [](HWND) { Press(VK_END), Press(VK_UP), Press(VK_RIGHT), Press(VK_RETURN); }, kReverb, 0},
      {"Left closes the submenu only", TPM_RETURNCMD,
       [](HWND) { Press('S'), Press(VK_LEFT), Press(VK_HOME), Press(VK_RETURN); }, kPlay, 0},
      {"mnemonics", TPM_RETURNCMD, [](HWND) { Press('S'), Press('C'); }, kChorus, 0},
      {"Escape", TPM_RETURNCMD, [](HWND) { Press(VK_ESCAPE); }, 0, 0},
      {"without TPM_RETURNCMD the command is posted", 0, [](HWND) { Press('X'); }, TRUE, kExit},
      {"a click on an item", TPM_RETURNCMD, [](HWND menu) { t::InjectClick(menu, 30, 10); }, kPlay,
       0},
      {"a click on a grayed item does nothing", TPM_RETURNCMD,
       [](HWND menu) { t::InjectClick(menu, 30, 32), Press(VK_ESCAPE); }, 0, 0},
  };
  const HWND owner = CreateMain();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMenu menu;
    recording::log.clear();
    EXPECT_EQ(Track(owner, menu.main, c.flags, {c.act}), c.result);
    t::RunUntilIdle();
    const std::vector<Recorded> commands = Received(WM_COMMAND);
    EXPECT_EQ(commands.empty() ? 0u : LOWORD(commands[0].wParam), c.command);
    EXPECT_TRUE(MenuWindows().empty());
  }
}

TEST_F(User32Test, AMenuTellsItsOwnerAndKeepsItsTimersAndPaintsGoing) {
  const HWND owner = CreateMain();
  TestMenu menu;
  SetTimer(owner, 1, 1, nullptr);
  t::InjectKey(VK_SHIFT, true);
  t::RunUntilIdle();
  recording::log.clear();
  const UINT chosen = Track(owner, menu.main, TPM_RETURNCMD,
                            {[&](HWND) {
                               InvalidateRect(owner, nullptr, FALSE);
                               t::InjectKey(VK_SHIFT, false);  // released while the menu is up
                               Press('S');
                             },
                             [](HWND) { Press(VK_ESCAPE), Press(VK_ESCAPE); }});
  EXPECT_EQ(chosen, 0u);
  EXPECT_FALSE(Received(WM_TIMER).empty());
  EXPECT_FALSE(Received(WM_PAINT).empty());
  EXPECT_TRUE(Received(WM_KEYUP).empty()) << "the menu keeps the keys";
  EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "but the key state follows them";
  const Sent expected = {{owner, WM_ENTERMENULOOP},   {owner, WM_INITMENU},
                         {owner, WM_INITMENUPOPUP},   {owner, WM_INITMENUPOPUP},
                         {owner, WM_UNINITMENUPOPUP}, {owner, WM_UNINITMENUPOPUP},
                         {owner, WM_EXITMENULOOP}};
  EXPECT_EQ(Messages({WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_UNINITMENUPOPUP,
                      WM_EXITMENULOOP}),
            expected);
  const std::vector<Recorded> popups = Received(WM_INITMENUPOPUP);
  EXPECT_EQ(popups[1].wParam, reinterpret_cast<WPARAM>(menu.sound));
  EXPECT_EQ(popups[1].lParam, 3) << "the submenu's item's place";
  KillTimer(owner, 1);
}

TEST_F(User32Test, AMenuIsDrawnAndPlacedOnTheScreen) {
  const HWND owner = CreateMain();
  TestMenu menu;
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    UINT flags;
    POINT at;
    bool (*placed)(const RECT& r, POINT at);
  };
  const Case cases[] = {
      {0, {40, 50}, [](const RECT& r, POINT at) { return r.left == at.x && r.top == at.y; }},
      {TPM_RIGHTALIGN | TPM_BOTTOMALIGN,
       {300, 300},
       [](const RECT& r, POINT at) { return r.right == at.x && r.bottom == at.y; }},
      {TPM_CENTERALIGN,
       {300, 300},
       [](const RECT& r, POINT at) { return (r.left + r.right) / 2 - at.x <= 1 && r.top == at.y; }},
      // Flipped to the other side of the point at the screen's edges.
      {0,
       {width - 5, height - 5},
       [](const RECT& r, POINT at) { return r.right == at.x && r.bottom == at.y; }},
  };
  for (const Case& c : cases) {
    RECT rect = {};
    Track(owner, menu.main, TPM_RETURNCMD | c.flags, {[&](HWND window) {
            GetWindowRect(window, &rect);
            Press(VK_ESCAPE);
          }},
          c.at);
    EXPECT_TRUE(c.placed(rect, c.at))
        << c.at.x << "," << c.at.y << " flags " << c.flags << ": " << rect.left << "," << rect.top
        << "-" << rect.right << "," << rect.bottom;
  }
  // Item rows from y 3, 22 high; the separator 7 high; the check column 26 wide.
  std::uint32_t lit = 0, plain = 0, grayText = 0xFFFFFF, arrow = 0, check = 0;
  auto darkest = [](HWND window, RECT area) {
    std::uint32_t found = 0xFFFFFF;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x)
        found = std::min(found, t::PixelAt(window, x, y));
    }
    return found;
  };
  Track(owner, menu.main, TPM_RETURNCMD,
        {[](HWND) { Press(VK_DOWN); },
         [&](HWND window) {
           RECT client;
           GetClientRect(window, &client);
           lit = t::PixelAt(window, 5, 10);
           plain = t::PixelAt(window, 5, 60);
           grayText = darkest(window, {26, 25, 60, 47});
           arrow = darkest(window, {client.right - 20, 54, client.right - 4, 76});
           Press('S');
         },
         [&](HWND submenu) {
           check = darkest(submenu, {3, 3, 26, 25});
           Press(VK_ESCAPE), Press(VK_ESCAPE);
         }});
  EXPECT_EQ(lit, 0xCCE8FFu) << "the highlighted item";
  EXPECT_EQ(plain, 0xF2F2F2u);
  EXPECT_EQ(grayText, 0x6D6D6Du) << "grayed text is gray, never black";
  EXPECT_EQ(arrow, 0u) << "the submenu's arrow";
  EXPECT_EQ(check, 0u) << "the checked item's mark";
}

TEST_F(User32Test, DefWindowProcSendsContextMenuForTheRightButtonAndShiftF10) {
  const HWND owner = CreateMain();
  const HWND child = CreateChild(owner, 10, 10, 50, 50);
  POINT origin = {0, 0};
  ClientToScreen(child, &origin);
  SendMessageA(child, WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
  t::InjectKey(VK_SHIFT, true);
  t::InjectKey(VK_F10, true);
  t::RunUntilIdle();
  const std::vector<Recorded> menus = Received(WM_CONTEXTMENU);
  ASSERT_EQ(menus.size(), 3u);
  EXPECT_EQ(menus[0].window, child);
  EXPECT_EQ(menus[1].window, owner) << "passed on to the parent";
  EXPECT_EQ(menus[1].wParam, reinterpret_cast<WPARAM>(child));
  EXPECT_EQ(menus[1].lParam, MAKELPARAM(origin.x + 5, origin.y + 6));
  EXPECT_EQ(menus[2].lParam, -1) << "(-1, -1) from the keyboard";
}

TEST_F(User32Test, RestingOnASubmenusItemOpensItAndAClickThereChooses) {
  const HWND owner = CreateMain();
  TestMenu menu;
  // The pointer moves onto "Sound" (the fourth row, below a separator) and stays; once the
  // submenu is open, a click on its second item.
  static bool moved;
  static int ticks;
  moved = false;
  ticks = 0;
  const UINT_PTR ticker = SetTimer(nullptr, 0, 5, [](HWND, UINT, UINT_PTR, DWORD) {
    const std::vector<HWND> menus = MenuWindows();
    if (menus.empty()) return;
    if (++ticks == 400) Press(VK_ESCAPE), Press(VK_ESCAPE);  // it never opened
    if (!moved) {
      plk::user32::QueueInput(menus[0], plk::user32::InputRoute::kPointer, WM_MOUSEMOVE, 0,
                              MAKELPARAM(30, 60));
      moved = true;
    } else if (menus.size() == 2) {
      t::InjectClick(menus[1], 30, 32);
    }
  });
  const UINT chosen = TrackPopupMenu(menu.main, TPM_RETURNCMD, 40, 40, 0, owner, nullptr);
  KillTimer(nullptr, ticker);
  EXPECT_EQ(chosen, kChorus);
}
