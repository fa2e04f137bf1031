// MessageBoxA's modal box on the dummy driver, worked from a timer while it is up, and the
// wrapping of its text.
#include "window_fixture.h"

#include "user32/testing/user32_testing.h"
#include "user32/text_wrap.h"

#include <functional>
#include <string>

namespace t = plk::user32::testing;

namespace {

// What a thread timer does while a box is up: look at it on the first tick (and try to
// click and repaint the owner), answer it on the third.
struct BoxScript {
  HWND owner = nullptr;
  std::function<void(HWND box)> answer;
  int ticks = 0;
  HWND box = nullptr;
  std::size_t logBefore = 0;  // the owner's messages up to the box
  RECT ownerRect = {}, boxRect = {};
  std::uint32_t iconTop = 0, band = 0;
  int darkTextPixels = 0;
};
BoxScript script;

void LookAtBox() {
  script.box = GetParent(GetFocus());
  GetWindowRect(script.owner, &script.ownerRect);
  GetWindowRect(script.box, &script.boxRect);
  script.iconTop = t::PixelAt(script.box, 20 + 16, 20 + 3);
  RECT client;
  GetClientRect(script.box, &client);
  script.band = t::PixelAt(script.box, 2, client.bottom - 2);
  for (int y = 20; y < 52; ++y) {
    for (int x = 64; x < client.right; ++x)
      script.darkTextPixels += t::PixelAt(script.box, x, y) == 0;
  }
  t::InjectClick(script.owner, 5, 5);
  InvalidateRect(script.owner, nullptr, FALSE);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  ++script.ticks;
  if (script.ticks == 1) LookAtBox();
  if (script.ticks == 3) script.answer(script.box);
  if (script.ticks == 300) PostQuitMessage(-1);  // a box that never ends fails the test
}

struct AnswerCase {
  const char* name;
  std::function<void(HWND box)> answer;
  int result;
};

const AnswerCase kAnswers[] = {
    {"Enter", [](HWND) { t::InjectKey(VK_RETURN, true); }, IDOK},
    {"Escape", [](HWND) { t::InjectKey(VK_ESCAPE, true); }, IDOK},
    {"Space",
     [](HWND) {
       t::InjectKey(VK_SPACE, true);
       t::InjectKey(VK_SPACE, false);
     },
     IDOK},
    {"a click on OK", [](HWND box) { t::InjectClick(GetDlgItem(box, IDOK), 4, 4); }, IDOK},
    {"the close box", [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); }, IDOK},
    {"WM_QUIT", [](HWND) { PostQuitMessage(7); }, 0},
};

struct WrapCase {
  const char* text;
  int width;
  std::vector<std::string> lines;
};

const WrapCase kWraps[] = {
    {"one two three", 7, {"one two", "three"}},
    {"one  two", 4, {"one", "two"}},
    {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
    {"a\r\nb\n\nc", 10, {"a", "b", "", "c"}},
    {"", 10, {""}},
};

}  // namespace

TEST(TextWrapTest, BreaksAtLineFeedsThenSpacesThenInsideLongWords) {
  for (const WrapCase& c : kWraps) {
    EXPECT_EQ(plk::user32::WrapText(c.text, c.width, [](char) { return 1; }), c.lines) << c.text;
  }
}

TEST_F(User32Test, AModalBoxRunsTheOwnersTimersAndPaintsButNotItsInput) {
  for (const AnswerCase& c : kAnswers) {
    SCOPED_TRACE(c.name);
    script = BoxScript{CreateMain(), c.answer};
    ShowWindow(script.owner, SW_SHOW);
    t::RunUntilIdle();
    SetTimer(script.owner, 1, 1, nullptr);
    const UINT_PTR ticker = SetTimer(nullptr, 0, 5, Tick);
    script.logBefore = recording::log.size();
    t::ShowMessageBoxesHeadless(true);
    EXPECT_EQ(MessageBoxA(script.owner, "SMF Load Error", "", MB_ICONERROR), c.result);
    t::ShowMessageBoxesHeadless(false);
    KillTimer(nullptr, ticker);
    std::vector<UINT> during;
    for (std::size_t i = script.logBefore; i < recording::log.size(); ++i) {
      during.push_back(recording::log[i].message);
    }
    EXPECT_NE(std::count(during.begin(), during.end(), WM_TIMER), 0);
    EXPECT_NE(std::count(during.begin(), during.end(), WM_PAINT), 0);
    EXPECT_EQ(std::count(during.begin(), during.end(), WM_LBUTTONDOWN), 0) << "owner disabled";
    EXPECT_FALSE(IsWindow(script.box));
    EXPECT_TRUE(IsWindowEnabled(script.owner));
    EXPECT_EQ(GetFocus(), script.owner);
    MSG quit{};
    EXPECT_EQ(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE), c.result == 0);
    EXPECT_EQ(quit.wParam, c.result == 0 ? 7u : 0u) << "WM_QUIT is posted again";
    DestroyWindow(script.owner);
  }
  // The box as it looked: centred over its owner, a red icon, dark text, the gray band.
  EXPECT_NEAR(script.boxRect.left + script.boxRect.right,
              script.ownerRect.left + script.ownerRect.right, 1);
  EXPECT_NEAR(script.boxRect.top + script.boxRect.bottom,
              script.ownerRect.top + script.ownerRect.bottom, 1);
  EXPECT_EQ(script.iconTop, 0xE81123u);
  EXPECT_GT(script.darkTextPixels, 20);
  EXPECT_EQ(script.band, 0xF0F0F0u);
}
