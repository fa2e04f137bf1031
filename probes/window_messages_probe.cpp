// Prints what user32 does in the calls the program relies on: EnableWindow, IsDialogMessageA,
// ClientToScreen, SetWindowLongPtrA and CallWindowProcA, with the messages they send. Built
// for both hosts; scripts/test-windows.sh compares its output under Wine's user32 with ours.
#include <windows.h>

#include <cstdio>

namespace {

constexpr int kGwlpWndProc = -4;  // GWLP_WNDPROC
constexpr int kGwlpId = -12;      // GWLP_ID
constexpr UINT kProbeMessage = WM_USER + 7;
constexpr UINT kKeyFirst = 0x0100;  // WM_KEYFIRST
constexpr UINT kKeyLast = 0x0109;   // WM_KEYLAST

bool wantsAllKeys = false;
WNDPROC original = nullptr;

// Only the messages whose order and parameters the program relies on are printed.
void Print(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const char* name = nullptr;
  switch (message) {
    case WM_ENABLE: name = "WM_ENABLE"; break;
    case WM_COMMAND: name = "WM_COMMAND"; break;
    case WM_KEYDOWN: name = "WM_KEYDOWN"; break;
    case WM_CHAR: name = "WM_CHAR"; break;
    case kProbeMessage: name = "WM_USER+7"; break;
    default: return;
  }
  std::printf("  %s to %s wParam %lu lParam %ld\n", name, GetParent(window) ? "child" : "top",
              static_cast<unsigned long>(wParam),
              message == WM_COMMAND ? 0L : static_cast<long>(lParam));
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Print(window, message, wParam, lParam);
  if (message == WM_GETDLGCODE) return wantsAllKeys ? DLGC_WANTALLKEYS : 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbeMessage && wParam == 1) return 11;
  return CallWindowProcA(original, window, message, wParam, lParam);
}

void ProbeEnableWindow(HWND top) {
  std::printf("EnableWindow\n");
  const BOOL steps[] = {FALSE, FALSE, TRUE, TRUE};
  for (BOOL enable : steps) {
    const BOOL wasDisabled = EnableWindow(top, enable);
    std::printf(" EnableWindow(%d) = %d, enabled %d\n", enable, wasDisabled, IsWindowEnabled(top));
  }
}

void ProbeDialogKeys(HWND top, HWND child) {
  std::printf("IsDialogMessageA\n");
  const WPARAM keys[] = {VK_RETURN, VK_ESCAPE, 'A'};
  for (int wants = 0; wants < 2; ++wants) {
    wantsAllKeys = wants != 0;
    for (WPARAM key : keys) {
      std::printf(" key %lu, control wants all keys %d\n", static_cast<unsigned long>(key), wants);
      MSG message = {child, WM_KEYDOWN, key, 1, 0, {0, 0}};
      const BOOL handled = IsDialogMessageA(top, &message);
      MSG next;
      while (PeekMessageA(&next, nullptr, kKeyFirst, kKeyLast, PM_REMOVE)) {
        DispatchMessageA(&next);
      }
      std::printf("  handled %d\n", handled);
    }
  }
}

void ProbeCoordinates(HWND top, HWND child) {
  std::printf("ClientToScreen\n");
  const HWND windows[] = {top, child};
  for (HWND window : windows) {
    POINT point = {3, 4};
    const BOOL done = ClientToScreen(window, &point);
    std::printf(" %s: %d (%ld, %ld)", window == top ? "top" : "child", done,
                static_cast<long>(point.x), static_cast<long>(point.y));
    ScreenToClient(window, &point);
    std::printf(" back (%ld, %ld)\n", static_cast<long>(point.x), static_cast<long>(point.y));
  }
}

void ProbeWindowLongs(HWND child) {
  std::printf("SetWindowLongPtrA\n");
  const int indexes[] = {GWLP_USERDATA, kGwlpId};
  for (int index : indexes) {
    const LONG_PTR first = SetWindowLongPtrA(child, index, 5);
    const LONG_PTR second = SetWindowLongPtrA(child, index, 6);
    std::printf(" index %d: %ld then %ld, now %ld\n", index, static_cast<long>(first),
                static_cast<long>(second), static_cast<long>(GetWindowLongPtrA(child, index)));
  }
  std::printf(" control id %d\n", GetDlgCtrlID(child));
}

void ProbeSubclass(HWND top) {
  std::printf("CallWindowProcA\n");
  original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(top, kGwlpWndProc, reinterpret_cast<LONG_PTR>(Subclass)));
  std::printf(" the subclass answers %ld\n",
              static_cast<long>(SendMessageA(top, kProbeMessage, 1, 2)));
  std::printf(" chained: %ld\n", static_cast<long>(SendMessageA(top, kProbeMessage, 3, 4)));
  SetWindowLongPtrA(top, kGwlpWndProc, reinterpret_cast<LONG_PTR>(original));
}

}  // namespace

int main() {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "Probe";
  if (!RegisterClassExA(&windowClass)) return 1;
  HWND top = CreateWindowExA(0, "Probe", "Probe", WS_POPUP, 100, 100, 200, 200, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
  HWND child = CreateWindowExA(0, "Probe", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 30, 40, 50, 20,
                               top, nullptr, windowClass.hInstance, nullptr);
  if (!top || !child) return 1;
  ProbeEnableWindow(top);
  ProbeDialogKeys(top, child);
  ProbeCoordinates(top, child);
  ProbeWindowLongs(child);
  ProbeSubclass(top);
  DestroyWindow(top);
  return 0;
}
