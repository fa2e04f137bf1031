// MessageBoxA's modal box on the dummy driver, worked from a timer while it is up.
#include "window_fixture.h"

#include <functional>
#include <string>

namespace {

// What a thread timer does while a box is up: look at it on the first tick (and try to
// click and repaint the owner), answer it on the third.
struct BoxScript {
  HWND owner = nullptr;
  std::function<void(HWND box)> answer;
  int ticks = 0;
  HWND box = nullptr;
};
BoxScript script;

// Centred over its owner, with dark text.
void LookAtBox(HWND box) {
  RECT owner, outer, client;
  GetWindowRect(script.owner, &owner);
  GetWindowRect(box, &outer);
  EXPECT_NEAR(outer.left + outer.right, owner.left + owner.right, 1);
  EXPECT_NEAR(outer.top + outer.bottom, owner.top + owner.bottom, 1);
  GetClientRect(box, &client);
  int dark = 0;
  for (int y = 20; y < 52; ++y) {
    for (int x = 64; x < client.right; ++x) dark += t::PixelAt(box, x, y) == 0;
  }
  EXPECT_GT(dark, 20);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (++script.ticks == 1) {
    script.box = GetParent(GetFocus());
    LookAtBox(script.box);
    t::InjectClick(script.owner, 5, 5);
    InvalidateRect(script.owner, nullptr, FALSE);
  }
  if (script.ticks == 3) script.answer(script.box);
  if (script.ticks == 300) PostQuitMessage(-1);  // a box that never ends fails the test
}

void Press(int key) {
  t::InjectKey(key, true);
  t::InjectKey(key, false);
}

}  // namespace

TEST_F(User32Test, AModalBoxRunsTheOwnersTimersAndPaintsButNotItsInput) {
  const std::pair<const char*, std::function<void(HWND box)>> answers[] = {
      {"Enter", [](HWND) { Press(VK_RETURN); }},
      {"Escape", [](HWND) { Press(VK_ESCAPE); }},
      {"Space", [](HWND) { Press(VK_SPACE); }},
      {"a click on OK", [](HWND box) { t::InjectClick(GetDlgItem(box, IDOK), 4, 4); }},
      {"the close box", [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); }},
      {"WM_QUIT", [](HWND) { PostQuitMessage(7); }},
  };
  t::ShowMessageBoxesHeadless(true);
  for (const auto& [name, answer] : answers) {
    SCOPED_TRACE(name);
    const bool quit = std::string(name) == "WM_QUIT";
    script = BoxScript{CreateMain(), answer};
    SetTimer(script.owner, 1, 1, nullptr);
    const UINT_PTR ticker = SetTimer(nullptr, 0, 5, Tick);
    recording::log.clear();
    EXPECT_EQ(MessageBoxA(script.owner, "SMF Load Error", "", MB_ICONERROR), quit ? 0 : IDOK);
    KillTimer(nullptr, ticker);
    EXPECT_FALSE(Received(WM_TIMER).empty());
    EXPECT_FALSE(Received(WM_PAINT).empty());
    EXPECT_TRUE(Received(WM_LBUTTONDOWN).empty()) << "owner disabled";
    EXPECT_FALSE(IsWindow(script.box));
    EXPECT_EQ(GetFocus(), script.owner);
    MSG again{};
    EXPECT_EQ(PeekMessageA(&again, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE), quit);
    EXPECT_EQ(again.wParam, quit ? 7u : 0u) << "WM_QUIT is posted again";
    DestroyWindow(script.owner);
  }
  t::ShowMessageBoxesHeadless(false);
}
