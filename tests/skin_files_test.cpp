// Skin files: the BMP loader and what it refuses, the folder scan, and F6 cycling through
// the built-in skin and the files in the real main window.
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/program_globals.h"
#include "bmp_builder.h"
#include "display/dib_file.h"
#include "display/skin.h"
#include "display/skin_files.h"
#include "common/spin_flag.h"
#include "user32/testing/user32_testing.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
namespace t = plk::user32::testing;

namespace {

const std::uint32_t RED = 0xFF0000, BLUE = 0x0000FF, GREEN = 0x00FF00, WHITE = 0xFFFFFF;

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/plinkaro-skins.XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempFolder() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Loads the bytes through a file, as the program does; null when refused.
HBITMAP LoadBytes(const bmp::Bytes& bytes) {
  TempFolder folder;
  const std::string path = folder.File("skin.bmp");
  EXPECT_TRUE(bmp::WriteFile(path, bytes));
  return LoadDibFile(path.c_str());
}

DWORD PixelOf(HBITMAP bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  const COLORREF color = GetPixel(dc, x, y);
  SelectObject(dc, previous);
  DeleteDC(dc);
  return DWORD(GetRValue(color)) << 16 | DWORD(GetGValue(color)) << 8 | GetBValue(color);
}

// A 5 x 3 picture: red at the top-left, blue at the bottom-left, white elsewhere; for
// indexed depths through palette entries far into the table.
bmp::Picture Corners(int bitCount, bool topDown) {
  bmp::Picture picture{5, topDown ? -3 : 3, bitCount, {}, nullptr};
  std::uint32_t red = RED, blue = BLUE, white = WHITE;
  if (bitCount <= 8) {
    picture.palette.assign(std::size_t{1} << bitCount, 0x123456);
    red = bitCount == 1 ? 0 : (1u << bitCount) - 2;
    blue = bitCount == 1 ? 1 : (1u << bitCount) - 1;
    white = bitCount == 1 ? 0 : 3;  // two colours only: the rest is red
    if (bitCount != 1) picture.palette[white] = WHITE;
    picture.palette[red] = RED;
    picture.palette[blue] = BLUE;
  }
  picture.pixel = [=](int x, int y) {
    return x == 0 && y == 0 ? red : x == 0 && y == 2 ? blue : white;
  };
  return picture;
}

TEST(DibFileTest, ReadsEveryDepthInEitherRowOrderTheRightWayUp) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    for (bool topDown : {false, true}) {
      HBITMAP bitmap = LoadBytes(bmp::Encode(Corners(bits, topDown)));
      ASSERT_NE(bitmap, nullptr) << bits << " bits, top-down " << topDown;
      BITMAP info;
      ASSERT_NE(GetObjectA(bitmap, sizeof info, &info), 0);
      EXPECT_EQ(info.bmWidth, 5);
      EXPECT_EQ(std::abs(info.bmHeight), 3);
      // 16 bits keep five bits of each colour.
      const DWORD mask = bits == 16 ? 0xF8F8F8 : 0xFFFFFF;
      EXPECT_EQ(PixelOf(bitmap, 0, 0) & mask, RED & mask) << bits << " bits, top-down " << topDown;
      EXPECT_EQ(PixelOf(bitmap, 0, 2) & mask, BLUE & mask) << bits << " bits, top-down " << topDown;
      if (bits != 1) {
        EXPECT_EQ(PixelOf(bitmap, 4, 1) & mask, WHITE & mask) << bits << " bits";
      }
      DeleteObject(bitmap);
    }
  }
}

TEST(DibFileTest, RefusesWhatItCannotReadSafely) {
  struct Case {
    const char* what;
    int bitCount;
    std::function<void(bmp::Bytes&)> spoil;
  };
  const std::size_t skinPixels = bmp::RowBytes(48, 24) * 128;
  const Case cases[] = {
      {"not BM", 24, [](bmp::Bytes& f) { f[1] = 'A'; }},
      {"shorter than the file header", 24, [](bmp::Bytes& f) { f.resize(10); }},
      {"shorter than the headers", 24, [](bmp::Bytes& f) { f.resize(50); }},
      {"width 0", 24, [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_WIDTH, 0); }},
      {"negative width", 24, [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_WIDTH, -48); }},
      {"INT_MIN width", 24, [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_WIDTH, 0x80000000u); }},
      {"height 0", 24, [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_HEIGHT, 0); }},
      {"INT_MIN height", 24,
       [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_HEIGHT, 0x80000000u); }},
      {"a huge picture", 24,
       [](bmp::Bytes& f) {
         bmp::SetField32(f, bmp::AT_WIDTH, 30000);
         bmp::SetField32(f, bmp::AT_HEIGHT, 30000);
         bmp::SetField32(f, bmp::AT_IMAGE_SIZE, 16);
       }},
      {"image size one byte beyond the image", 24,
       [&](bmp::Bytes& f) {
         bmp::SetField32(f, bmp::AT_IMAGE_SIZE, std::uint32_t(skinPixels + 1));
       }},
      {"image size of 4 GB", 24,
       [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_IMAGE_SIZE, ~0u); }},
      {"pixel offset past the end", 24,
       [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_PIXEL_OFFSET, std::uint32_t(f.size())); }},
      {"pixel offset beyond 2 GB", 24,
       [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_PIXEL_OFFSET, 0x80000010u); }},
      {"pixels end early", 24, [](bmp::Bytes& f) { f.pop_back(); }},
      {"RLE8", 8, [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_COMPRESSION, 1); }},
      {"RLE4", 4, [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_COMPRESSION, 2); }},
      {"bit fields", 32, [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_COMPRESSION, 3); }},
      {"2 bits per pixel", 24, [](bmp::Bytes& f) { bmp::SetField16(f, bmp::AT_BIT_COUNT, 2); }},
      {"0 bits per pixel", 24, [](bmp::Bytes& f) { bmp::SetField16(f, bmp::AT_BIT_COUNT, 0); }},
      {"a core header", 24, [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_HEADER_SIZE, 12); }},
      {"a header of 4 GB", 24, [](bmp::Bytes& f) { bmp::SetField32(f, bmp::AT_HEADER_SIZE, ~0u); }},
      {"colour table cut short", 8, [](bmp::Bytes& f) { f.resize(bmp::HEADERS_SIZE + 100); }},
  };
  for (const Case& c : cases) {
    bmp::Picture picture = bmp::Solid(48, 128, RED);
    if (c.bitCount <= 8) {
      picture.bitCount = c.bitCount;
      picture.palette.assign(std::size_t{1} << c.bitCount, RED);
      picture.pixel = [](int, int) { return 1u; };
    }
    picture.bitCount = c.bitCount;
    bmp::Bytes file = bmp::Encode(picture);
    HBITMAP intact = LoadBytes(file);
    ASSERT_NE(intact, nullptr) << c.what << ": the file before spoiling it";
    DeleteObject(intact);
    c.spoil(file);
    HBITMAP spoilt = LoadBytes(file);
    EXPECT_EQ(spoilt, nullptr) << c.what;
    DeleteObject(spoilt);
  }
  EXPECT_EQ(LoadDibFile("/nonexistent/skin.bmp"), nullptr);
}

TEST(DibFileTest, ImageSizeZeroReadsTheWholePaddedImage) {
  // 48 pixels of 3 bytes are 36 words a row: 144 bytes, 18432 for 128 rows.
  const std::size_t pixelBytes = 18432;
  bmp::Bytes file = bmp::Encode(bmp::Solid(48, 128, GREEN));
  ASSERT_EQ(file.size(), bmp::HEADERS_SIZE + pixelBytes);
  HBITMAP whole = LoadBytes(file);
  EXPECT_NE(whole, nullptr);
  DeleteObject(whole);
  bmp::SetField32(file, bmp::AT_IMAGE_SIZE, pixelBytes);
  HBITMAP explicitSize = LoadBytes(file);
  EXPECT_NE(explicitSize, nullptr);
  DeleteObject(explicitSize);
  bmp::SetField32(file, bmp::AT_IMAGE_SIZE, 0);
  file.pop_back();
  EXPECT_EQ(LoadBytes(file), nullptr) << "one byte short of 18432";
}

class SkinScanTest : public ::testing::Test {
 protected:
  void SetUp() override { std::memcpy(savedDirectory, programDirectory, MAX_PATH); }
  void TearDown() override {
    std::memcpy(programDirectory, savedDirectory, MAX_PATH);
    skinCount = 0;
  }
  void UseFolder(const std::string& path) {
    std::snprintf(programDirectory, MAX_PATH, "%s", path.c_str());
  }
  char savedDirectory[MAX_PATH];
};

TEST_F(SkinScanTest, ListsSixteenFilesInSearchOrderSkippingFoldersAndOtherFiles) {
  TempFolder folder;
  fs::create_directory(folder.File("a.bmp"));
  bmp::WriteFile(folder.File("notes.txt"), {});
  for (int i = 19; i >= 0; --i) {
    char name[32];
    std::snprintf(name, sizeof name, "Skin%02d.BMP", i);
    bmp::WriteFile(folder.File(name), bmp::Encode(bmp::Solid(48, 128, RED)));
  }
  UseFolder(folder.path());
  ScanSkinFiles();
  ASSERT_EQ(skinCount, 16u);
  for (int i = 0; i < 16; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Skin%02d.BMP", i);
    EXPECT_EQ(SkinList[i], folder.File(name));
  }
}

TEST_F(SkinScanTest, PathsThatDoNotFitAreLeftOut) {
  TempFolder folder;
  // A folder path of 240 characters: "x.bmp" still fits in 259, a longer name does not.
  std::string deep = folder.path() + "/";
  deep += std::string(240 - deep.size(), 'd');
  ASSERT_EQ(deep.size(), 240u);
  fs::create_directory(deep);
  bmp::WriteFile(deep + "/x.bmp", {});
  bmp::WriteFile(deep + "/" + std::string(20, 'n') + ".bmp", {});
  UseFolder(deep);
  ScanSkinFiles();
  ASSERT_EQ(skinCount, 1u);
  EXPECT_EQ(SkinList[0], deep + "/x.bmp");

  UseFolder(std::string(256, 'p'));  // even the search pattern does not fit
  ScanSkinFiles();
  EXPECT_EQ(skinCount, 0u);
  UseFolder(folder.path() + "/missing");
  ScanSkinFiles();
  EXPECT_EQ(skinCount, 0u);
}

class SkinCycleTest : public WindowTest {
 protected:
  void SetUp() override {
    std::memcpy(savedDirectory, programDirectory, MAX_PATH);
    WindowTest::SetUp();
    t::InterceptMessageBoxes(true);
  }
  void TearDown() override {
    t::InterceptMessageBoxes(false);
    WindowTest::TearDown();
    std::memcpy(programDirectory, savedDirectory, MAX_PATH);
    skinIndex = 0;
    skinCount = 0;
  }
  void Offer(std::initializer_list<std::pair<const char*, bmp::Bytes>> files) {
    for (const auto& [name, bytes] : files) bmp::WriteFile(folder.File(name), bytes);
    std::snprintf(programDirectory, MAX_PATH, "%s", folder.path().c_str());
    ScanSkinFiles();
  }
  void F6(bool repeat = false) {
    SendMessageA(mainWindow, WM_KEYDOWN, VK_F6, repeat ? 0x40000001 : 1);
    Tick();
    Pump();
  }
  // Key 48 of row 0: solid skins fill its whole cell with their colour.
  DWORD KeyColour() { return Pixel(8, 42); }

  TempFolder folder;
  char savedDirectory[MAX_PATH];
};

TEST_F(SkinCycleTest, F6StepsThroughTheFilesAndBackToTheBuiltInSkin) {
  Offer({{"a.bmp", bmp::Encode(bmp::Solid(48, 128, RED))},
         {"b.bmp", bmp::Encode(bmp::Solid(48, -128, GREEN))}});
  ASSERT_EQ(KeyColour(), WHITE) << "the built-in skin's released key";
  const std::pair<int, DWORD> steps[] = {{1, RED}, {2, GREEN}, {0, WHITE}, {1, RED}};
  for (const auto& [index, colour] : steps) {
    F6();
    EXPECT_EQ(skinIndex, index);
    EXPECT_EQ(KeyColour(), colour) << "skin " << index;
  }
  F6(true);
  EXPECT_EQ(skinIndex, 1) << "an auto-repeated F6 changes nothing";
  EXPECT_TRUE(t::TakeMessageBoxes().empty());
  EXPECT_EQ(PaintLock, 0);
}

TEST_F(SkinCycleTest, TwentyFilesMakeACycleOfSeventeen) {
  for (int i = 0; i < 20; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "s%02d.bmp", i);
    bmp::WriteFile(folder.File(name), bmp::Encode(bmp::Solid(48, 128, 0x010101u * i)));
  }
  Offer({});
  for (int step = 1; step <= 16; ++step) {
    F6();
    EXPECT_EQ(skinIndex, step);
    EXPECT_EQ(KeyColour(), 0x010101u * (step - 1));
  }
  F6();
  EXPECT_EQ(skinIndex, 0);
}

TEST_F(SkinCycleTest, ABrokenFileSaysSoAfterReleasingThePaintLockAndTheCycleGoesOn) {
  bmp::Bytes broken = bmp::Encode(bmp::Solid(48, 128, RED));
  broken.resize(broken.size() / 2);
  Offer({{"a.bmp", bmp::Encode(bmp::Solid(48, 128, GREEN))}, {"b.bmp", broken}});
  F6();
  EXPECT_TRUE(t::TakeMessageBoxes().empty());
  F6();
  const auto boxes = t::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, mainWindow);
  EXPECT_EQ(boxes[0].text, "Bitmap Load Error");
  EXPECT_EQ(boxes[0].caption, "");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(skinIndex, 2);
  EXPECT_EQ(skinBitmap, nullptr);
  EXPECT_EQ(PaintLock, 0);
  // The rows are still drawn: the current row's gray header band.
  InvalidateRect(mainWindow, nullptr, TRUE);
  Pump();
  EXPECT_EQ(Pixel(470, 1), 0x808080u);
  EXPECT_EQ(KeyColour(), 0x808080u) << "no key is drawn without a skin";
  F6();
  EXPECT_EQ(skinIndex, 0);
  EXPECT_EQ(KeyColour(), WHITE);
}

}  // namespace
