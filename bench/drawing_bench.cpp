// The painter's costs in the real (headless) window: a full paint of the sixteen rows and
// one key redrawn through the queue.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "common/program_globals.h"
#include "app/main_window.h"
#include "common/redraw_queue.h"
#include "display/redraw_drain.h"
#include "display/row_drawing.h"
#include "midi/channel_state.h"

namespace {

struct HeadlessWindow {
  HeadlessWindow() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("PLINKARO_MIDI_OUT", "none", 1);
    instance = GetModuleHandleA(nullptr);
    RegisterMainClass(nullptr);
    mainWindow = CreateMainWindow();
    ResizeForClient(mainWindow, CLIENT_WIDTH, CLIENT_HEIGHT);
    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);
  }
  ~HeadlessWindow() { DestroyWindow(mainWindow); }
};

HeadlessWindow& Window() {
  static HeadlessWindow window;
  return window;
}

void BM_FullPaint(benchmark::State& state) {
  Window();
  for (auto _ : state) {
    InvalidateRect(mainWindow, nullptr, FALSE);
    SendMessageA(mainWindow, WM_PAINT, 0, 0);
  }
}
BENCHMARK(BM_FullPaint)->Unit(benchmark::kMicrosecond);

void BM_KeyRedraw(benchmark::State& state) {
  Window();
  int note = 60;
  for (auto _ : state) {
    PushRedraw(REDRAW_KEY, 0, note, 0);
    OnRedrawTimer();
    note = note == 71 ? 60 : note + 1;
  }
}
BENCHMARK(BM_KeyRedraw)->Unit(benchmark::kMicrosecond);

void BM_DrawKeyOnly(benchmark::State& state) {
  Window();
  HDC dc = GetDC(mainWindow);
  for (auto _ : state) DrawKey(dc, 0, 61);
  ReleaseDC(mainWindow, dc);
}
BENCHMARK(BM_DrawKeyOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
