#include "fakes/recording_drawing.h"

#include "display/row_drawing.h"

namespace fakes {

std::vector<std::string>& DrawCalls() {
  static std::vector<std::string> calls;
  return calls;
}

std::function<void()> duringDraw;

namespace {

void Record(std::string call) {
  DrawCalls().push_back(std::move(call));
  if (duringDraw) duringDraw();
}

}  // namespace
}  // namespace fakes

// The value editor, which the key map opens, places its box by the scroll position.
LONG verticalScroll = 0;

void DrawRowHeader(HDC, int row) { fakes::Record("header " + std::to_string(row)); }

void DrawKey(HDC, int row, int key) {
  fakes::Record("key " + std::to_string(row) + " " + std::to_string(key));
}

void DrawKeyboardStrip(HDC, int row) { fakes::Record("strip " + std::to_string(row)); }

void DrawRow(HDC, int row) { fakes::Record("row " + std::to_string(row)); }
