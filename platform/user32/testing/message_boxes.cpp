// Implements: the MessageBoxA test seam declared in message_boxes.h, through the handler
// hook of message_box.h.
#include "user32/testing/message_boxes.h"

#include "user32/message_box.h"

#include <mutex>

namespace plk::user32::testing {
namespace {

struct Collected {
  std::mutex mutex;
  std::vector<ShownMessageBox> boxes;
};

Collected& Boxes() {
  static Collected collected;
  return collected;
}

int Collect(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::lock_guard lock(Boxes().mutex);
  Boxes().boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
  return IDOK;
}

}  // namespace

void InterceptMessageBoxes(bool intercept) {
  {
    std::lock_guard lock(Boxes().mutex);
    Boxes().boxes.clear();
  }
  SetMessageBoxHandler(intercept ? Collect : nullptr);
}

std::vector<ShownMessageBox> TakeMessageBoxes() {
  std::lock_guard lock(Boxes().mutex);
  std::vector<ShownMessageBox> boxes;
  boxes.swap(Boxes().boxes);
  return boxes;
}

void ShowMessageBoxesHeadless(bool show) {
  SetMessageBoxHandler(show ? RunModalMessageBox : nullptr);
}

}  // namespace plk::user32::testing
