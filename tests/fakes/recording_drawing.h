// Stands in for the row drawing in tests of the redraw drain: records each call.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace fakes {

std::vector<std::string>& DrawCalls();
// Runs inside every recorded drawing call, after recording it (to act mid-drain).
extern std::function<void()> duringDraw;
// Puts the recorder into the drain's table of drawing operations.
void InstallRecordingDrawing();

}  // namespace fakes
