#include "window_fixture.h"

#include "user32/key_state.h"
#include "user32/testing/user32_testing.h"

namespace recording {
std::vector<Recorded> log;
COLORREF paintColour = RGB(255, 0, 0);
RECT lastPaint = {};
LRESULT createResult = 0;
}  // namespace recording

namespace {

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  HBRUSH brush = CreateSolidBrush(recording::paintColour);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  recording::lastPaint = paint.rcPaint;
  EndPaint(window, &paint);
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  recording::log.push_back({window, message, wParam, lParam});
  switch (message) {
    case WM_PAINT: Paint(window); return 0;
    case WM_CREATE: return recording::createResult;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void User32Test::SetUp() {
  static const bool registered = [] {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kRecordingClass;
    return RegisterClassExA(&windowClass) != 0;
  }();
  ASSERT_TRUE(registered);
  plk::user32::testing::UseRealClock();
  recording::log.clear();
  recording::paintColour = RGB(255, 0, 0);
  recording::createResult = 0;
}

void User32Test::TearDown() {
  plk::user32::testing::ResetWindows();
  plk::user32::testing::UseRealClock();
}

HWND User32Test::CreateMain(DWORD extraStyle) {
  return CreateWindowExA(0, kRecordingClass, "Test", WS_OVERLAPPEDWINDOW | extraStyle,
                         CW_USEDEFAULT, CW_USEDEFAULT, 480, 768, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

HWND User32Test::CreateChild(HWND parent, int x, int y, int width, int height, int id) {
  return CreateWindowExA(0, kRecordingClass, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

std::vector<Recorded> User32Test::Received(UINT message) {
  std::vector<Recorded> found;
  for (const Recorded& entry : recording::log) {
    if (entry.message == message) found.push_back(entry);
  }
  return found;
}

std::vector<UINT> User32Test::MessagesFor(HWND window) {
  std::vector<UINT> found;
  for (const Recorded& entry : recording::log) {
    if (entry.window == window) found.push_back(entry.message);
  }
  return found;
}
