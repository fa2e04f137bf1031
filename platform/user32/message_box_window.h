// The window MessageBoxA shows: icon, wrapped text and an OK button, laid out and drawn
// by user32 and gdi32 themselves.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace plk::user32 {

// The class of message boxes (Windows' dialog class) and its procedure, registered from
// the table of built-in classes.
constexpr const char* kMessageBoxClass = "#32770";
LRESULT CALLBACK MessageBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct MessageBoxLayout {
  SIZE client = {};
  RECT icon = {};   // empty when the type asks for none
  POINT text = {};  // top-left of the first line
  int lineHeight = 0;
  std::vector<std::string> lines;
  RECT button = {};
  int stripTop = 0;  // the gray band that holds the button
};

// What the box window and the loop that runs it share; it outlives the window.
struct MessageBoxState {
  MessageBoxState() = default;
  MessageBoxState(const MessageBoxState&) = delete;
  MessageBoxState& operator=(const MessageBoxState&) = delete;
  ~MessageBoxState();

  UINT type = MB_OK;
  HFONT font = nullptr;
  HFONT symbolFont = nullptr;  // the icon's symbol
  MessageBoxLayout layout;
  bool ended = false;
  int result = 0;
};

// A hidden box owned by top-level window `owner` (or none), centred over it (or over the
// screen) and kept on the screen, with its default OK button (control id IDOK). Null when
// the window cannot be made. `state` must outlive the window.
HWND CreateMessageBoxWindow(HWND owner, const char* text, const char* caption, UINT type,
                            MessageBoxState& state);

// The icon MB_ICON* asks for, 32 x 32 at (x, y); false for none.
bool HasMessageBoxIcon(UINT type);
void DrawMessageBoxIcon(HDC dc, int x, int y, UINT type, HFONT symbolFont);

}  // namespace plk::user32
