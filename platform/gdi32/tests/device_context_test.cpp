// Object selection and deletion rules, stale handles, DC attributes kept across
// retargeting, and the object table shared by threads.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "gdi32/tests/gdi_test_support.h"

namespace plk::gdi::testing {
namespace {

TEST(SelectionTest, ABitmapLivesInOneMemoryDcAtATime) {
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(ScreenDC(), 4, 4);
  HGDIOBJ initial = SelectObject(first, bitmap);
  BITMAP info;
  ASSERT_NE(GetObjectA(initial, sizeof info, &info), 0);  // the 1x1 monochrome default
  EXPECT_EQ(info.bmWidth * info.bmHeight * info.bmBitsPixel, 1);
  EXPECT_EQ(SelectObject(second, bitmap), nullptr);  // already in `first`
  EXPECT_FALSE(DeleteObject(bitmap));                // still selected
  EXPECT_TRUE(DeleteDC(first));                      // which releases it
  EXPECT_EQ(SelectObject(second, bitmap), initial);
  EXPECT_EQ(SelectObject(second, initial), bitmap);
  EXPECT_TRUE(DeleteDC(second));
  EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(SelectionTest, StaleAndMistypedHandlesFailWithoutEffect) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_TRUE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_EQ(SelectObject(dc, bitmap), nullptr);
  EXPECT_FALSE(DeleteObject(dc));  // a DC is not deleted through DeleteObject
  EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(brush)));
  ASSERT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
  EXPECT_TRUE(DeleteObject(brush));
}

TEST(SelectionTest, StockObjectsSurviveDeletionAndDeletedSelectionsStayUsable) {
  HGDIOBJ white = GetStockObject(WHITE_BRUSH);
  EXPECT_TRUE(DeleteObject(white));
  EXPECT_EQ(GetStockObject(WHITE_BRUSH), white);
  MemoryCanvas canvas(24, 16, RGB(255, 255, 255));
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  HGDIOBJ previous = SelectObject(canvas.dc(), brush);
  EXPECT_EQ(previous, white);
  EXPECT_TRUE(DeleteObject(brush));  // the DC keeps it until it is deselected
  EXPECT_EQ(SelectObject(canvas.dc(), previous), brush);
  EXPECT_EQ(SelectObject(canvas.dc(), brush), nullptr);
}

// A window DC keeps origin, colours, mode and font when it is pointed at another window's
// pixels, as a class DC does between BeginPaint calls.
TEST(WindowDcTest, AttributesPersistAcrossRetargeting) {
  TestSurface first(30, 20, 0);
  TestSurface second(30, 20, 0);
  HDC dc = CreateWindowDC();
  HFONT font = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "f");
  RetargetWindowDC(dc, first.Target({0, 0}, {{0, 0, 30, 20}}));
  POINT previous = {-1, -1};
  EXPECT_TRUE(SetWindowOrgEx(dc, 0, 96, &previous));
  EXPECT_EQ(previous.y, 0);
  EXPECT_EQ(SetTextColor(dc, RGB(255, 0, 0)), RGB(0, 0, 0));
  EXPECT_EQ(SetBkColor(dc, RGB(0, 255, 0)), RGB(255, 255, 255));
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  SelectObject(dc, font);

  RetargetWindowDC(dc, second.Target({2, 3}, {{0, 0, 30, 20}}));
  EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
  EXPECT_EQ(GetBkColor(dc), RGB(0, 255, 0));
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT)), font);
  // Drawing now reaches only the new surface, through the kept origin.
  SetPixel(dc, 1, 97, RGB(255, 255, 255));
  EXPECT_EQ(second.pixels[4 * 30 + 3], 0xFFFFFFu);
  EXPECT_TRUE(first.damage.Empty());
  DestroyWindowDC(dc);
  EXPECT_EQ(GetTextColor(dc), CLR_INVALID);
  DeleteObject(font);
}

// The object table is shared by every thread; objects made on two threads at once must
// neither collide nor corrupt each other (run it under TSan).
TEST(ObjectTableTest, ThreadsCreatingAndDrawingAtOnceKeepTheirOwnObjects) {
  auto work = [](COLORREF color, bool* ok) {
    for (int i = 0; i < 200; ++i) {
      MemoryCanvas canvas(8, 8, color);
      if (GetPixel(canvas.dc(), 7, 7) != color) *ok = false;
    }
  };
  bool okA = true;
  bool okB = true;
  std::thread a(work, RGB(10, 20, 30), &okA);
  std::thread b(work, RGB(40, 50, 60), &okB);
  a.join();
  b.join();
  EXPECT_TRUE(okA && okB);
}

}  // namespace
}  // namespace plk::gdi::testing
