// Costs of the drawing that one key change and one row repaint make: the mask-then-image
// BitBlt pair of 16x32 pixels, a band fill and a header line of text.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "gdi32/window_surface.h"

namespace {

constexpr const char* kGothicCp932 = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

struct Scene {
  std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(480 * 768, 0xFFFFFFu);
  plk::gdi::DamagedAreas damage;
  HDC window = plk::gdi::CreateWindowDC();
  HDC skinDc = CreateCompatibleDC(nullptr);
  HBITMAP skin = CreateCompatibleBitmap(plk::gdi::ScreenDC(), 48, 128);
  HGDIOBJ initial = SelectObject(skinDc, skin);
  HFONT font =
      CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, kGothicCp932);

  Scene() {
    plk::gdi::WindowTarget target;
    target.surface = {pixels.data(), 480, 768, 480};
    target.clip = {{0, 0, 480, 768}};
    target.damage = &damage;
    plk::gdi::RetargetWindowDC(window, target);
    SelectObject(window, font);
    SetBkMode(window, TRANSPARENT);
  }
  ~Scene() {
    SelectObject(skinDc, initial);
    DeleteDC(skinDc);
    DeleteObject(skin);
    plk::gdi::DestroyWindowDC(window);
    DeleteObject(font);
  }
};

void BM_KeyStripBlits(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    for (int key = 0; key < 128; ++key) {
      const int x = (key % 12) * 8 + (key / 12 - 4) * 112;
      BitBlt(scene.window, x, 16, 16, 32, scene.skinDc, 32, 0, SRCPAINT);
      BitBlt(scene.window, x, 16, 16, 32, scene.skinDc, 0, 0, SRCAND);
    }
  }
  state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_KeyStripBlits);

void BM_HeaderLine(benchmark::State& state) {
  Scene scene;
  const char* line = "Channel = 16 Base key =  C#4 Instrument = 127 127 127";
  const RECT band = {0, 0, 480, 16};
  for (auto _ : state) {
    FillRect(scene.window, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TextOutA(scene.window, 2, 2, line, static_cast<int>(std::strlen(line)));
  }
}
BENCHMARK(BM_HeaderLine);

}  // namespace
