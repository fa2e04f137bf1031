#include "fakes/recording_drawing.h"

#include "display/redraw_drain.h"

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

void RecordHeader(HDC, DWORD row, DWORD) { Record("header " + std::to_string(row)); }
void RecordKey(HDC, DWORD row, DWORD key) {
  Record("key " + std::to_string(row) + " " + std::to_string(key));
}
void RecordRow(HDC, DWORD row, DWORD) { Record("row " + std::to_string(row)); }

}  // namespace

void InstallRecordingDrawing() {
  RedrawHandlerTable[0].draw = RecordHeader;
  RedrawHandlerTable[1].draw = RecordKey;
  RedrawHandlerTable[2].draw = RecordRow;
}

}  // namespace fakes
