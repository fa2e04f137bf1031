// Implements: MessageBoxA as a modal box of user32's own windows (message_box_window.h):
// the owner's top-level window is disabled while the box is up and activated again after
// it; the box's own message loop goes on dispatching every message of the thread (the
// owner's timers and paints included) and hands the box's keys to IsDialogMessageA (Enter
// and Escape) and its OK button (Space); WM_QUIT ends the box and is posted again. On a
// headless video driver, or when no box can be made, the caption and text go to stderr
// as one line. A null caption reads "Error". PLINKARO_TRACE=user32 prints caption and
// text. Every answer is IDOK.
// Does not implement: buttons other than OK, MB_DEFBUTTON*, MB_TASKMODAL/MB_SYSTEMMODAL,
// MB_TOPMOST and the other placement flags, MessageBeep.
#include "user32/message_box.h"

#include "user32/host/host.h"
#include "user32/message_box_window.h"
#include "user32/trace.h"
#include "user32/window.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace plk::user32 {
namespace {

std::atomic<MessageBoxHandler>& Handler() {
  static std::atomic<MessageBoxHandler> handler{nullptr};
  return handler;
}

// One trace line however many lines the text has.
std::string OneLine(const char* text) {
  std::string line;
  for (const char* c = text; *c; ++c) {
    if (*c == '\n') {
      line += "\\n";
    } else if (*c != '\r') {
      line += *c;
    }
  }
  return line;
}

void RunBoxLoop(HWND box, const MessageBoxState& state) {
  MSG message;
  while (!state.ended && IsWindow(box)) {
    if (!GetMessageA(&message, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that called the box
      return;
    }
    if (!IsDialogMessageA(box, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = handler; }

int RunModalMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  Window* ownerWindow = FindWindowObject(owner);
  const HWND top = ownerWindow ? TopLevelOf(*ownerWindow)->handle : nullptr;
  MessageBoxState state;
  const HWND box =
      CreateMessageBoxWindow(top, text ? text : "", caption ? caption : "Error", type, state);
  if (!box) return -1;
  const bool disabledOwner = top && !EnableWindow(top, FALSE);
  ShowWindow(box, SW_SHOW);
  SetFocus(GetDlgItem(box, IDOK));
  RunBoxLoop(box, state);
  // The owner takes input again before the box goes, so the activation returns to it.
  if (disabledOwner) EnableWindow(top, TRUE);
  DestroyWindow(box);
  return state.result;
}

}  // namespace plk::user32

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  using namespace plk::user32;
  const char* body = text ? text : "";
  const char* title = caption ? caption : "Error";  // Windows' title for a null caption
  Trace("message box caption \"%s\" text \"%s\"", OneLine(title).c_str(), OneLine(body).c_str());
  if (MessageBoxHandler handler = Handler()) return handler(owner, text, caption, type);
  if (!HostVideoHeadless()) {
    const int answer = RunModalMessageBox(owner, body, title, type);
    if (answer >= 0) return answer;
  }
  std::fprintf(stderr, "%s%s%s\n", title, *title ? ": " : "", body);
  return IDOK;
}
