// A popup menu probe: a window whose context menu is opened, walked and answered from
// outside (mouse and keys), printing what its window procedure sees of the menu as lines
// on stdout, so that one host's user32 can be compared with another's.
//   right click        -> the menu at the pointer; its command arrives as WM_COMMAND
//   Shift+F10          -> the menu at the window's corner, answered by TrackPopupMenu
// After each menu it prints whether Shift is down as GetKeyState tells it then.
#include <windows.h>

#include <cstdio>

namespace {

constexpr int kPlay = 101, kStop = 102, kExit = 103;
constexpr int kReverb = 201, kChorus = 202, kLow = 203, kHigh = 204;
HMENU mainMenu = nullptr;
HMENU soundMenu = nullptr;

void Say(const char* format, long a = 0, long b = 0) {
  std::printf(format, a, b);
  std::printf("\n");
  std::fflush(stdout);
}

const char* MenuName(WPARAM menu) {
  const auto handle = reinterpret_cast<HMENU>(menu);
  return handle == mainMenu ? "main" : handle == soundMenu ? "sound" : "other";
}

void BuildMenu() {
  soundMenu = CreatePopupMenu();
  AppendMenuA(soundMenu, MF_STRING | MF_CHECKED, kReverb, "&Reverb");
  AppendMenuA(soundMenu, MF_STRING, kChorus, "&Chorus");
  AppendMenuA(soundMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(soundMenu, MF_STRING, kLow, "&Low");
  AppendMenuA(soundMenu, MF_STRING, kHigh, "&High");
  CheckMenuRadioItem(soundMenu, kLow, kHigh, kHigh, MF_BYCOMMAND);
  mainMenu = CreatePopupMenu();
  AppendMenuA(mainMenu, MF_STRING, kPlay, "&Play\tF5");
  AppendMenuA(mainMenu, MF_STRING | MF_GRAYED, kStop, "S&top");
  AppendMenuA(mainMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(mainMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(soundMenu), "&Sound");
  AppendMenuA(mainMenu, MF_STRING, kExit, "E&xit");
}

void OnContextMenu(HWND window, LPARAM lParam) {
  POINT at = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
  const bool keyboard = at.x == -1 && at.y == -1;
  if (keyboard) {
    Say("WM_CONTEXTMENU from the keyboard");
    at = {10, 10};
    ClientToScreen(window, &at);
  } else {
    POINT client = at;
    ScreenToClient(window, &client);
    Say("WM_CONTEXTMENU at %ld,%ld", client.x, client.y);
  }
  const UINT flags = TPM_RIGHTBUTTON | (keyboard ? TPM_RETURNCMD : 0);
  Say("TrackPopupMenu returns %ld",
      TrackPopupMenu(mainMenu, flags, at.x, at.y, 0, window, nullptr));
  Say(GetKeyState(VK_SHIFT) < 0 ? "Shift down" : "Shift up");
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CONTEXTMENU: OnContextMenu(window, lParam); return 0;
    case WM_ENTERMENULOOP: Say("WM_ENTERMENULOOP %ld", static_cast<long>(wParam)); return 0;
    case WM_EXITMENULOOP: Say("WM_EXITMENULOOP %ld", static_cast<long>(wParam)); return 0;
    case WM_INITMENU: std::printf("WM_INITMENU %s\n", MenuName(wParam)); break;
    case WM_INITMENUPOPUP:
      std::printf("WM_INITMENUPOPUP %s %d\n", MenuName(wParam), LOWORD(lParam));
      break;
    case WM_UNINITMENUPOPUP: std::printf("WM_UNINITMENUPOPUP %s\n", MenuName(wParam)); break;
    case WM_COMMAND: Say("WM_COMMAND %ld", static_cast<long>(LOWORD(wParam))); return 0;
    case WM_LBUTTONDOWN: Say("WM_LBUTTONDOWN"); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ProbeProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "MenuProbe";
  RegisterClassExA(&windowClass);
  BuildMenu();
  HWND window = CreateWindowExA(0, "MenuProbe", "Menu Probe", WS_OVERLAPPEDWINDOW, 100, 100, 400,
                                300, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  Say("ready");
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  DestroyMenu(mainMenu);
  Say("end");
  return 0;
}
