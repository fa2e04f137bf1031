// Object selection and deletion rules, stale handles, DC attributes, the class DC kept
// across retargeting, and the screen DC.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "gdi32/tests/gdi_test_support.h"

namespace plk::gdi::testing {
namespace {

TEST(SelectionTest, ABitmapLivesInOneMemoryDcAtATime) {
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(ScreenDC());
  HBITMAP bitmap = CreateCompatibleBitmap(ScreenDC(), 4, 4);

  HGDIOBJ initialFirst = SelectObject(first, bitmap);
  ASSERT_NE(initialFirst, nullptr);
  BITMAP info;
  ASSERT_NE(GetObjectA(initialFirst, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 1);
  EXPECT_EQ(info.bmBitsPixel, 1);

  EXPECT_EQ(SelectObject(second, bitmap), nullptr);  // already in `first`
  EXPECT_EQ(SelectObject(first, bitmap), bitmap);    // reselecting where it is works
  EXPECT_FALSE(DeleteObject(bitmap));                // still selected

  // The default bitmap may sit in several DCs at once.
  HGDIOBJ initialSecond = SelectObject(second, initialFirst);
  EXPECT_EQ(initialSecond, initialFirst);

  EXPECT_EQ(SelectObject(first, initialFirst), bitmap);
  EXPECT_EQ(SelectObject(second, bitmap), initialFirst);
  EXPECT_TRUE(DeleteDC(second));  // deleting the DC releases the bitmap
  EXPECT_NE(SelectObject(first, bitmap), nullptr);
  EXPECT_TRUE(DeleteDC(first));
  EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(SelectionTest, StaleAndMistypedHandlesFailWithoutEffect) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_TRUE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_EQ(SelectObject(dc, bitmap), nullptr);
  EXPECT_EQ(GetObjectA(bitmap, sizeof(BITMAP), nullptr), 0);
  EXPECT_FALSE(DeleteObject(dc));  // a DC is not deleted through DeleteObject
  EXPECT_EQ(SelectObject(dc, dc), nullptr);
  EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(brush)));
  EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(brush)), nullptr);
  EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(0x1234), brush), nullptr);
  ASSERT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
  EXPECT_FALSE(TextOutA(dc, 0, 0, "x", 1));
  EXPECT_TRUE(DeleteObject(brush));
}

TEST(SelectionTest, StockObjectsSurviveDeletion) {
  for (int index : {WHITE_BRUSH, GRAY_BRUSH, BLACK_BRUSH, NULL_BRUSH, SYSTEM_FIXED_FONT}) {
    HGDIOBJ stock = GetStockObject(index);
    ASSERT_NE(stock, nullptr);
    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(GetStockObject(index), stock);
  }
  MemoryCanvas canvas(2, 2, RGB(9, 9, 9));
  const RECT all = {0, 0, 2, 2};
  FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
  EXPECT_EQ(GetPixel(canvas.dc(), 1, 1), RGB(64, 64, 64));
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST(SelectionTest, ABrushOrFontDeletedWhileSelectedStaysUsableInThatDc) {
  MemoryCanvas canvas(24, 16, RGB(255, 255, 255));
  HFONT font = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "x");
  HGDIOBJ previous = SelectObject(canvas.dc(), font);
  EXPECT_EQ(previous, GetStockObject(SYSTEM_FIXED_FONT));
  EXPECT_TRUE(DeleteObject(font));
  SetBkMode(canvas.dc(), TRANSPARENT);
  EXPECT_TRUE(TextOutA(canvas.dc(), 0, 0, "AB", 2));
  EXPECT_EQ(SelectObject(canvas.dc(), previous), font);
  EXPECT_EQ(SelectObject(canvas.dc(), font), nullptr);
}

TEST(AttributesTest, SettersReturnThePreviousValue) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(SetTextColor(dc, RGB(4, 5, 6)), RGB(1, 2, 3));
  EXPECT_EQ(GetTextColor(dc), RGB(4, 5, 6));
  EXPECT_EQ(SetBkColor(dc, RGB(7, 8, 9)), RGB(255, 255, 255));
  EXPECT_EQ(GetBkColor(dc), RGB(7, 8, 9));
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, 7), 0);
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  POINT previous = {-1, -1};
  EXPECT_TRUE(SetWindowOrgEx(dc, 3, 100, &previous));
  EXPECT_EQ(previous.x, 0);
  EXPECT_EQ(previous.y, 0);
  EXPECT_TRUE(SetWindowOrgEx(dc, 0, 48, &previous));
  EXPECT_EQ(previous.y, 100);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
  DeleteDC(dc);
}

TEST(WindowDcTest, AttributesPersistAcrossRetargeting) {
  TestSurface first(30, 20, 0);
  TestSurface second(30, 20, 0);
  HDC dc = CreateWindowDC();
  HFONT font = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "f");
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  RetargetWindowDC(dc, first.Target({0, 0}, {{0, 0, 30, 20}}));
  SetWindowOrgEx(dc, 0, 96, nullptr);
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkColor(dc, RGB(0, 255, 0));
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, font);
  SelectObject(dc, brush);

  RetargetWindowDC(dc, second.Target({2, 3}, {{0, 0, 30, 20}}));
  POINT origin;
  GetWindowOrgEx(dc, &origin);
  EXPECT_EQ(origin.y, 96);
  EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
  EXPECT_EQ(GetBkColor(dc), RGB(0, 255, 0));
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT)), font);
  EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), brush);

  // Drawing now reaches only the new surface, through the kept origin.
  EXPECT_TRUE(SetPixel(dc, 1, 97, RGB(255, 255, 255)) != CLR_INVALID);
  EXPECT_EQ(second.At(3, 4), 0xFFFFFFu);
  EXPECT_TRUE(second.changed);
  EXPECT_FALSE(first.changed);
  EXPECT_EQ(GetPixel(dc, 1, 97), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, -40, 97), CLR_INVALID);
  EXPECT_EQ(SelectObject(dc, CreateCompatibleBitmap(dc, 2, 2)), nullptr);  // not a memory DC
  EXPECT_FALSE(DeleteDC(dc));
  DestroyWindowDC(dc);
  EXPECT_EQ(GetTextColor(dc), CLR_INVALID);
  DeleteObject(font);
  DeleteObject(brush);
}

TEST(ScreenDcTest, IsAThirtyTwoBitDeviceThatDrawsNothing) {
  HDC screen = ScreenDC();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(ScreenDC(), screen);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  const RECT all = {0, 0, 100, 100};
  EXPECT_NE(FillRect(screen, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(GetPixel(screen, 0, 0), CLR_INVALID);
  EXPECT_FALSE(DeleteDC(screen));
  HDC memory = CreateCompatibleDC(screen);
  ASSERT_NE(memory, nullptr);
  EXPECT_TRUE(BitBlt(memory, 0, 0, 1, 1, screen, 0, 0, SRCCOPY));
  DeleteDC(memory);
}

// The handle table is shared by every thread; objects made on two threads at once must
// neither collide nor corrupt each other.
TEST(HandleTableTest, ThreadsCreatingAndDrawingAtOnceKeepTheirOwnObjects) {
  auto work = [](COLORREF color, bool* ok) {
    for (int i = 0; i < 200; ++i) {
      MemoryCanvas canvas(8, 8, color);
      HBRUSH brush = CreateSolidBrush(color);
      const RECT all = {0, 0, 8, 8};
      FillRect(canvas.dc(), &all, brush);
      DeleteObject(brush);
      if (GetPixel(canvas.dc(), 7, 7) != color) *ok = false;
    }
  };
  bool okA = true;
  bool okB = true;
  std::thread a(work, RGB(10, 20, 30), &okA);
  std::thread b(work, RGB(40, 50, 60), &okB);
  a.join();
  b.join();
  EXPECT_TRUE(okA);
  EXPECT_TRUE(okB);
}

}  // namespace
}  // namespace plk::gdi::testing
