// Creation and destruction, classes, geometry and focus.
#include "window_fixture.h"

#include "user32/testing/user32_testing.h"

#include <shellapi.h>

namespace t = plk::user32::testing;

namespace {

LRESULT CALLBACK CreatesChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    HWND child = CreateWindowExA(0, kRecordingClass, "", WS_CHILD, 0, 0, 0, 0, window, nullptr,
                                 nullptr, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(child));
    return child ? 0 : -1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST_F(User32Test, RegisterClassRefusesDuplicatesAndMissingParts) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "recordingwindow";  // names compare without case
  EXPECT_EQ(RegisterClassExA(&windowClass), 0);
  windowClass.lpszClassName = nullptr;
  EXPECT_EQ(RegisterClassExA(&windowClass), 0);
  windowClass.lpszClassName = "NoProcedure";
  windowClass.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassExA(&windowClass), 0);
}

TEST_F(User32Test, CreationRunsTheHandlerBeforeReturningAndMayCreateChildren) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = CreatesChildProc;
  windowClass.lpszClassName = "CreatesChild";
  static const ATOM atom = RegisterClassExA(&windowClass);
  ASSERT_NE(atom, 0);
  HWND window = CreateWindowExA(0, "CreatesChild", "Parent", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  const auto child = reinterpret_cast<HWND>(GetWindowLongPtrA(window, GWLP_USERDATA));
  ASSERT_TRUE(IsWindow(child));
  EXPECT_EQ(GetParent(child), window);
  // A child gets its size at creation; an overlapped window only when first shown.
  EXPECT_EQ(Received(WM_SIZE).size(), 1u);
}

TEST_F(User32Test, CreateFailsWhenTheCreationHandlerRefuses) {
  recording::createResult = -1;
  EXPECT_EQ(CreateMain(), nullptr);
  EXPECT_EQ(Received(WM_DESTROY).size(), 1u);
}

TEST_F(User32Test, DestroyWindowSendsDestroyToTheWindowThenItsChildren) {
  HWND main = CreateMain();
  HWND child = CreateChild(main, 0, 0, 10, 10);
  SetTimer(main, 1, 10, nullptr);
  PostMessageA(main, WM_USER, 0, 0);
  recording::log.clear();
  ASSERT_TRUE(DestroyWindow(main));
  const auto destroyed = Received(WM_DESTROY);
  ASSERT_EQ(destroyed.size(), 2u);
  EXPECT_EQ(destroyed[0].window, main);
  EXPECT_EQ(destroyed[1].window, child);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(IsWindow(child));
  MSG message{};
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << "its messages and timers go";
}

TEST_F(User32Test, CloseGoesThroughDefWindowProcToDestroy) {
  HWND main = CreateMain();
  PostMessageA(main, WM_CLOSE, 0, 0);
  t::RunUntilIdle();
  EXPECT_FALSE(IsWindow(main));
}

TEST_F(User32Test, WindowAndClientRectanglesAgreeWithMoveWindow) {
  HWND main = CreateMain();
  RECT outer;
  RECT client;
  ASSERT_TRUE(GetWindowRect(main, &outer));
  ASSERT_TRUE(GetClientRect(main, &client));
  EXPECT_EQ(outer.right - outer.left, 480);
  EXPECT_EQ(outer.bottom - outer.top, 768);
  // The frame AdjustWindowRect reports, and the scroll bar's 17 pixels.
  RECT adjusted = {0, 0, client.right, client.bottom};
  AdjustWindowRect(&adjusted, WS_OVERLAPPEDWINDOW, FALSE);
  EXPECT_EQ(adjusted.right - adjusted.left + GetSystemMetrics(SM_CXVSCROLL), 480);
  EXPECT_EQ(adjusted.bottom - adjusted.top, 768);

  // Grow the client area to 480 x 768 the way the program does.
  recording::log.clear();
  ASSERT_TRUE(MoveWindow(main, outer.left, outer.top, 480 + (480 - client.right),
                         768 + (768 - client.bottom), TRUE));
  ASSERT_TRUE(GetClientRect(main, &client));
  EXPECT_EQ(client.right, 480);
  EXPECT_EQ(client.bottom, 768);
  const auto sizes = Received(WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].lParam, MAKELPARAM(480, 768));
  RECT moved;
  GetWindowRect(main, &moved);
  EXPECT_EQ(moved.left, outer.left);
  EXPECT_EQ(moved.top, outer.top);
  POINT origin = {0, 0};
  ClientToScreen(main, &origin);
  EXPECT_EQ(origin.x - moved.left, -adjusted.left);
  EXPECT_EQ(origin.y - moved.top, -adjusted.top);
}

TEST_F(User32Test, ChildRectanglesAreOnTheScreenAndFollowTheParent) {
  HWND main = CreateMain();
  HWND child = CreateChild(main, 30, 40, 24, 12);
  RECT parentClient;
  GetClientRect(main, &parentClient);
  POINT origin = {0, 0};
  ClientToScreen(main, &origin);
  RECT rect;
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left - origin.x, 30);
  EXPECT_EQ(rect.top - origin.y, 40);
  EXPECT_EQ(rect.right - rect.left, 24);
  MoveWindow(child, 5, 6, 24, 12, TRUE);
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left - origin.x, 5);
  EXPECT_EQ(rect.top - origin.y, 6);
}

TEST_F(User32Test, ShowingTheWindowSendsItsSizeAndGivesItTheFocus) {
  HWND main = CreateMain();
  EXPECT_EQ(GetFocus(), nullptr);
  ShowWindow(main, SW_SHOW);
  EXPECT_EQ(GetFocus(), main);
  ASSERT_EQ(Received(WM_SIZE).size(), 1u);
  EXPECT_EQ(Received(WM_SETFOCUS).size(), 1u);
}

TEST_F(User32Test, MinimisingReportsAnEmptyClientAreaAndRestoringTheRealOne) {
  HWND main = CreateMain();
  ShowWindow(main, SW_SHOW);
  RECT client, minimised;
  GetClientRect(main, &client);
  recording::log.clear();
  ShowWindow(main, SW_MINIMIZE);
  GetClientRect(main, &minimised);
  ShowWindow(main, SW_RESTORE);
  const auto sizes = Received(WM_SIZE);
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_EQ(sizes[0].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
  EXPECT_EQ(sizes[0].lParam, 0);
  EXPECT_EQ(minimised.right | minimised.bottom, 0);
  EXPECT_EQ(sizes[1].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(sizes[1].lParam, MAKELPARAM(client.right, client.bottom));
}

TEST_F(User32Test, SetFocusAnnouncesTheChangeToBothWindows) {
  HWND main = CreateMain();
  ShowWindow(main, SW_SHOW);
  HWND child = CreateChild(main, 0, 0, 10, 10);
  recording::log.clear();
  EXPECT_EQ(SetFocus(child), main);
  ASSERT_EQ(recording::log.size(), 2u);
  EXPECT_EQ(recording::log[0].window, main);
  EXPECT_EQ(recording::log[0].message, static_cast<UINT>(WM_KILLFOCUS));
  EXPECT_EQ(recording::log[1].window, child);
  EXPECT_EQ(recording::log[1].message, static_cast<UINT>(WM_SETFOCUS));
  DestroyWindow(child);
  EXPECT_EQ(GetFocus(), main) << "the focus falls back to the parent";
}

TEST_F(User32Test, StyleChangesThroughSetWindowLongKeepEveryBit) {
  HWND main = CreateMain();
  HWND child = CreateWindowExA(0, kRecordingClass, "", WS_CHILD | 0x2000, 0, 0, 24, 12, main,
                               nullptr, nullptr, nullptr);
  EXPECT_FALSE(IsWindowVisible(child));
  SetWindowLongA(child, GWL_STYLE, GetWindowLongA(child, GWL_STYLE) | WS_VISIBLE);
  EXPECT_FALSE(IsWindowVisible(child)) << "the parent is still hidden";
  ShowWindow(main, SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)),
            static_cast<DWORD>(WS_CHILD | WS_VISIBLE | 0x2000));
}

TEST_F(User32Test, DroppedFilesReachOnlyWindowsThatAcceptThem) {
  HWND main = CreateMain();
  EXPECT_FALSE(t::InjectDrop(main, {"/tmp/a.mid"}));
  DragAcceptFiles(main, TRUE);
  ASSERT_TRUE(t::InjectDrop(main, {"/tmp/song.mid", "/tmp/other.mid"}));
  t::RunUntilIdle();
  const auto drops = Received(WM_DROPFILES);
  ASSERT_EQ(drops.size(), 1u);
  const auto drop = reinterpret_cast<HDROP>(drops[0].wParam);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  EXPECT_EQ(DragQueryFileA(drop, 0, nullptr, 0), 13u);
  char name[8];
  EXPECT_EQ(DragQueryFileA(drop, 0, name, sizeof name), 7u);
  EXPECT_STREQ(name, "/tmp/so");
  char full[MAX_PATH];
  EXPECT_EQ(DragQueryFileA(drop, 1, full, sizeof full), 14u);
  EXPECT_STREQ(full, "/tmp/other.mid");
  EXPECT_EQ(DragQueryFileA(drop, 2, full, sizeof full), 0u);
  DragFinish(drop);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 0u);
}

TEST_F(User32Test, MessageBoxesCanBeCollected) {
  t::InterceptMessageBoxes(true);
  EXPECT_EQ(MessageBoxA(nullptr, "SMF Load Error", "", MB_OK), IDOK);
  const auto boxes = t::TakeMessageBoxes();
  t::InterceptMessageBoxes(false);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "SMF Load Error");
}
