// Hosts without Win32 start at main; the program starts at WinMain as on Windows.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE module, HINSTANCE previous, LPSTR commandLine, int showCommand);

// The one argument reaches WinMain quoted, as Windows passes a name that has spaces.
int main(int argc, char** argv) {
  std::string commandLine;
  if (argc > 1) commandLine.append(1, '"').append(argv[1]).append(1, '"');
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
