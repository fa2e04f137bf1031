// The recording window class behind window_fixture.h: messages logged in order, update
// regions painted in one colour.
#include "window_fixture.h"

#include <algorithm>

namespace recording {
std::vector<Recorded> log;
COLORREF paintColour;
RECT lastPaint;
}  // namespace recording

namespace {

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  recording::log.push_back({window, message, wParam, lParam});
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HBRUSH brush = CreateSolidBrush(recording::paintColour);
  FillRect(dc, &paint.rcPaint, brush);
  DeleteObject(brush);
  recording::lastPaint = paint.rcPaint;
  EndPaint(window, &paint);
  return 0;
}

}  // namespace

void RegisterTestClass(const char* name, WNDPROC procedure, UINT style) {
  // Once registered, registering again fails and changes nothing.
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = style;
  windowClass.lpfnWndProc = procedure;
  windowClass.lpszClassName = name;
  RegisterClassExA(&windowClass);
}

void User32Test::SetUp() {
  RegisterTestClass(kRecordingClass, RecordingProc);
  recording::log.clear();
  recording::paintColour = RGB(255, 0, 0);
}

void User32Test::TearDown() {
  t::ResetWindows();
  t::UseRealClock();
}

HWND User32Test::CreateMain(bool show, DWORD extraStyle, int height) {
  HWND window =
      CreateWindowExA(0, kRecordingClass, "Test", WS_OVERLAPPEDWINDOW | extraStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, 480, height, nullptr, nullptr, nullptr, nullptr);
  if (show) ShowWindow(window, SW_SHOW);
  if (show) t::RunUntilIdle();
  return window;
}

HWND User32Test::CreateChild(HWND parent, int x, int y, int width, int height, DWORD style) {
  return CreateWindowExA(0, kRecordingClass, "", WS_CHILD | style, x, y, width, height, parent,
                         nullptr, nullptr, nullptr);
}

MSG User32Test::Take(UINT remove) {
  MSG message{};
  if (!PeekMessageA(&message, nullptr, 0, 0, remove)) return MSG{};
  if (remove == PM_REMOVE) DispatchMessageA(&message);
  return message;
}

User32Test::Sent User32Test::Messages(std::initializer_list<UINT> kinds) {
  Sent found;
  for (const Recorded& entry : recording::log) {
    if (std::find(kinds.begin(), kinds.end(), entry.message) != kinds.end())
      found.emplace_back(entry.window, entry.message);
  }
  return found;
}

std::vector<Recorded> User32Test::Received(UINT message) {
  std::vector<Recorded> found;
  for (const Recorded& entry : recording::log) {
    if (entry.message == message) found.push_back(entry);
  }
  return found;
}
