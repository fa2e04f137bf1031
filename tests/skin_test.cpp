// Skins: the two BMP readers and what they refuse, the folder scan, and F6 cycling
// through the built-in skin and the files in the real main window.
#include <cstdlib>
#include <filesystem>

#include "bmp_codec.h"
#include "common/program_globals.h"
#include "common/spin_flag.h"
#include "display/dib_file.h"
#include "display/skin.h"
#include "display/skin_files.h"
#include "gdi32/window_surface.h"
#include "test_support.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using plk::tools::BmpRowBytes;
using plk::tools::EncodeBmp;

namespace {

const DWORD RED = 0xFF0000, GREEN = 0x00FF00;

HBITMAP LoadBytes(const Bytes& bytes) {
  return LoadDibFile(WriteTestFile(bytes, "skin.bmp").c_str());
}

bool Loaded(HBITMAP bitmap) {
  DeleteObject(bitmap);
  return bitmap != nullptr;
}

// The platform's reader of resource bitmaps, over exactly the bytes given.
HBITMAP LoadResourceBytes(const Bytes& bytes) {
  auto exact = std::make_unique<std::uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), exact.get());
  return plk::gdi::CreateBitmapFromBmpFile(exact.get(), bytes.size());
}

DWORD PixelOf(HBITMAP bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  const COLORREF color = GetPixel(dc, x, y);
  SelectObject(dc, previous);
  DeleteDC(dc);
  return DWORD(GetRValue(color)) << 16 | DWORD(GetGValue(color)) << 8 | GetBValue(color);
}

void Put32(Bytes& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// width x height at `bits` per pixel: black but for the top row after its first pixel,
// which is white; at indexed depths through the colour table's first and last entries
// (the others are red).
Bytes TopRowWhite(int bits, int width, int height, bool topDown) {
  std::vector<std::uint32_t> palette;
  if (bits <= 8) {
    palette.assign(std::size_t{1} << bits, RED);
    palette.front() = 0;
    palette.back() = WHITE;
  }
  const std::uint32_t stride = BmpRowBytes(width, bits);
  Bytes pixels(std::size_t{stride} * height, 0);
  const auto top = pixels.begin() + (topDown ? 0 : stride * (height - 1));
  std::fill_n(top, stride, 0xFF);
  if (bits < 8) *top = std::uint8_t(0xFF >> bits);  // the first pixel is in the high bits
  std::fill_n(top, bits / 8, 0);
  return EncodeBmp(width, topDown ? -height : height, bits, palette, pixels);
}

Bytes Solid(DWORD rgb) {
  const plk::tools::Rgb colour{std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)};
  return plk::tools::EncodeBmp24(plk::tools::Image(48, 128, colour));
}

TEST(DibFileTest, ReadsEveryDepthInEitherRowOrderTheRightWayUp) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, top-down " << topDown);
      Bytes file = TopRowWhite(bits, 5, 3, topDown);
      if (topDown) Put32(file, 46, 0);  // no count of colours used: the whole table
      HBITMAP bitmap = LoadBytes(file);
      ASSERT_NE(bitmap, nullptr);
      const DWORD mask = bits == 16 ? 0xF8F8F8 : 0xFFFFFF;  // 16 bits keep five of each
      EXPECT_EQ(PixelOf(bitmap, 0, 0), 0u);
      EXPECT_EQ(PixelOf(bitmap, 1, 0) & mask, WHITE & mask);
      EXPECT_EQ(PixelOf(bitmap, 4, 2), 0u);
      DeleteObject(bitmap);
    }
  }
  HBITMAP shortTable = LoadBytes(EncodeBmp(1, 1, 8, {GREEN, WHITE, RED}, {2, 0, 0, 0}));
  EXPECT_EQ(PixelOf(shortTable, 0, 0), RED);
  DeleteObject(shortTable);
  EXPECT_EQ(LoadDibFile("/nonexistent/skin.bmp"), nullptr);
}

// Both readers refuse what they cannot read safely; the platform's takes the pixels the
// header describes whatever the image size field says. The file: 8 bits per pixel, 48 x
// 128, a full colour table, no image size.
TEST(DibFileTest, BothReadersRefuseSpoiltFiles) {
  const std::size_t CUT = ~std::size_t{0};  // `value` is the length the file is cut to
  const struct {
    const char* what;
    std::size_t at;  // the spoilt 32-bit field, or CUT
    std::uint32_t value;
    bool resourceReaderRefuses;
  } cases[] = {
      {"not BM", 0, 0x4D41, true},
      {"shorter than the file header", CUT, 10, true},
      {"shorter than the headers", CUT, 50, true},
      {"colour table cut short", CUT, 54 + 100, true},
      {"pixels end early", CUT, 54 + 1024 + 48 * 128 - 1, true},
      {"pixel offset past the end", 10, 54 + 1024 + 48 * 128, true},
      {"pixel offset beyond 2 GB", 10, 0x80000010u, true},
      {"a core header", 14, 12, true},
      {"a header of 4 GB", 14, ~0u, true},
      {"width 0", 18, 0, true},
      {"negative width", 18, std::uint32_t(-48), true},
      {"INT_MIN width", 18, 0x80000000u, true},
      {"height 0", 22, 0, true},
      {"INT_MIN height", 22, 0x80000000u, true},
      {"a huge picture", 18, 1u << 26, true},
      {"2 bits per pixel", 28, 2, true},
      {"0 bits per pixel", 28, 0, true},
      {"RLE8", 30, 1, true},
      {"RLE4", 30, 2, true},
      {"bit fields", 30, 3, true},
      {"image size one byte beyond the image", 34, 48 * 128 + 1, false},
      {"image size of 4 GB", 34, ~0u, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes file = TopRowWhite(8, 48, 128, false);
    Put32(file, 34, 0);
    file.resize(file.size() + 16, 0);  // bytes past the pixels: only a bound refuses to read on
    ASSERT_TRUE(Loaded(LoadBytes(file)) && Loaded(LoadResourceBytes(file))) << "before spoiling";
    c.at == CUT ? file.resize(c.value) : Put32(file, c.at, c.value);
    EXPECT_FALSE(Loaded(LoadBytes(file)));
    EXPECT_EQ(Loaded(LoadResourceBytes(file)), !c.resourceReaderRefuses);
  }
}

class SkinFolderTest : public WindowTest {
 protected:
  void SetUp() override {
    std::snprintf(savedDirectory, MAX_PATH, "%s", programDirectory);
    WindowTest::SetUp();
  }
  void TearDown() override {
    WindowTest::TearDown();
    std::snprintf(programDirectory, MAX_PATH, "%s", savedDirectory);
    setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    setenv("HOME", savedHome.c_str(), 1);
    fs::remove_all(folder);
    skinIndex = 0;
    skinCount = 0;
  }
  void Offer(const std::string& directory) {
    std::snprintf(programDirectory, MAX_PATH, "%s", directory.c_str());
    ScanSkinFiles();
  }
  void F6(bool repeat = false) {
    SendMessageA(mainWindow, WM_KEYDOWN, VK_F6, repeat ? 0x40000001 : 1);
    Tick();
  }
  // Key 48 of row 0: solid skins fill its whole cell with their colour.
  DWORD KeyColour() { return Pixel(8, 42); }

  const std::string folder = MakeTempFolder();
  char savedDirectory[MAX_PATH];
  const std::string savedData = std::getenv("XDG_DATA_HOME");
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
};

TEST_F(SkinFolderTest, TheScanListsSixteenBmpFilesInSearchOrderAndNoPathCutShort) {
  fs::create_directory(folder + "/a.bmp");
  WriteBytes(folder + "/notes.txt", {});
  for (int i = 19; i >= 0; --i) WriteBytes(folder + "/Skin" + std::to_string(10 + i) + ".BMP", {});
  Offer(folder);
  ASSERT_EQ(skinCount, 16u);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(SkinList[i], folder + "/Skin" + std::to_string(10 + i) + ".BMP");
  // In a folder of 240 characters "x.bmp" still fits in 259, a longer name does not.
  const std::string deep = folder + "/" + std::string(239 - folder.size(), 'd');
  fs::create_directory(deep);
  WriteBytes(deep + "/x.bmp", {});
  WriteBytes(deep + "/" + std::string(20, 'n') + ".bmp", {});
  Offer(deep);
  ASSERT_EQ(skinCount, 1u);
  EXPECT_EQ(SkinList[0], deep + "/x.bmp");
  for (const std::string& unusable : {std::string(256, 'p'), folder + "/missing"}) {
    Offer(unusable);
    EXPECT_EQ(skinCount, 0u);
  }
}

// After the program's folder: the installed skins (../share/plinkaro/skins), then the
// user's ($XDG_DATA_HOME/plinkaro/skins, else ~/.local/share/plinkaro/skins).
TEST_F(SkinFolderTest, TheInstalledThenTheUsersFolderFollowTheProgramsUpToSixteenFiles) {
  const std::string data = folder + "/data", home = folder + "/home", tooLong(MAX_PATH, 'x');
  const std::string a = folder + "/bin/a.bmp", b = folder + "/bin/../share/plinkaro/skins/b.bmp",
                    c = data + "/plinkaro/skins/c.bmp",
                    d = home + "/.local/share/plinkaro/skins/d.bmp";
  for (const std::string& path : {a, b, c, d}) {
    fs::create_directories(fs::path(path).parent_path());
    WriteBytes(path, {});
  }
  const struct {
    const char* xdgDataHome;
    const char* home;  // null: unset
    std::vector<std::string> listed;
  } cases[] = {{data.c_str(), home.c_str(), {a, b, c}},
               {"", home.c_str(), {a, b, d}},
               {tooLong.c_str(), home.c_str(), {a, b}},
               {"", nullptr, {a, b}}};
  for (const auto& each : cases) {
    setenv("XDG_DATA_HOME", each.xdgDataHome, 1);
    each.home ? setenv("HOME", each.home, 1) : unsetenv("HOME");
    Offer(folder + "/bin");
    EXPECT_EQ(std::vector<std::string>(SkinList, SkinList + skinCount), each.listed);
  }
  for (int i = 0; i < 14; ++i) WriteBytes(folder + "/bin/p" + std::to_string(10 + i) + ".bmp", {});
  Offer(folder + "/bin");
  ASSERT_EQ(skinCount, 16u);
  EXPECT_EQ(SkinList[15], b) << "the installed folder's first file is the sixteenth";
}

TEST_F(SkinFolderTest, F6StepsThroughTheFilesAndBackToTheBuiltInSkin) {
  WriteBytes(folder + "/a.bmp", Solid(RED));
  WriteBytes(folder + "/b.bmp", Solid(GREEN));
  Offer(folder);
  ASSERT_EQ(KeyColour(), WHITE) << "the built-in skin's released key";
  const std::pair<int, DWORD> steps[] = {{1, RED}, {2, GREEN}, {0, WHITE}, {1, RED}};
  for (const auto& [index, colour] : steps) {
    F6();
    EXPECT_EQ(skinIndex, index);
    EXPECT_EQ(KeyColour(), colour) << "skin " << index;
  }
  F6(/*repeat=*/true);
  EXPECT_EQ(skinIndex, 1) << "an auto-repeated F6 changes nothing";
  EXPECT_EQ(TakeMessageBox(), "");
  EXPECT_EQ(PaintLock, 0);
}

TEST_F(SkinFolderTest, ABrokenFileSaysSoAfterReleasingThePaintLockAndTheCycleGoesOn) {
  Bytes broken = Solid(RED);
  broken.resize(broken.size() / 2);
  WriteBytes(folder + "/a.bmp", broken);
  Offer(folder);
  F6();
  EXPECT_EQ(TakeMessageBox(), "Bitmap Load Error||0");
  EXPECT_EQ(skinIndex, 1);
  EXPECT_EQ(skinBitmap, nullptr);
  EXPECT_EQ(PaintLock, 0);
  InvalidateRect(mainWindow, nullptr, TRUE);
  Pump();
  EXPECT_EQ(Pixel(470, 1), GRAY) << "the rows are still drawn";
  EXPECT_EQ(KeyColour(), GRAY) << "no key is drawn without a skin";
  F6();
  EXPECT_EQ(skinIndex, 0);
  EXPECT_EQ(KeyColour(), WHITE);
}

}  // namespace
