// Hosts without Win32 start at main; the program starts at WinMain as on Windows.
#include <windows.h>

int WINAPI WinMain(HINSTANCE module, HINSTANCE previous, LPSTR commandLine, int showCommand);

int main() {
  static char noCommandLine[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, noCommandLine, SW_SHOWDEFAULT);
}
