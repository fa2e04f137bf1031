// Scrolling the sixteen rows by scroll bar requests and the wheel, and window sizing.
#include "display/scrolling.h"
#include "midi/channel_state.h"
#include "window_fixture.h"

namespace {

class ScrollingTest : public WindowTest {
 protected:
  LONG Scroll(int request, int position = 0) {
    SendMessageA(mainWindow, WM_VSCROLL, MAKEWPARAM(request, position), 0);
    Pump();
    return verticalScroll;
  }
  LONG Wheel(int amount) {
    SendMessageA(mainWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(amount)), 0);
    Pump();
    return verticalScroll;
  }
};

TEST_F(ScrollingTest, RequestsMoveByLinesPagesAndToPositionsWithinTheDocument) {
  Wheel(-120);
  Scroll(SB_PAGEDOWN);
  EXPECT_EQ(Scroll(SB_LINEDOWN), 0) << "a window as tall as the document does not scroll";
  ResizeClient(480, 400);
  const int steps[][3] = {{SB_PAGEDOWN, 0, 48},  // a page is one row, not the client height
                          {SB_THUMBPOSITION, 360, 360},
                          {SB_LINEDOWN, 0, 368},
                          {SB_LINEDOWN, 0, 368},
                          {SB_LINEUP, 0, 352},
                          {SB_PAGEUP, 0, 304},
                          {SB_ENDSCROLL, 0, 304},
                          {SB_TOP, 0, 304},
                          {SB_THUMBTRACK, 100, 100}};
  for (const auto& s : steps) EXPECT_EQ(Scroll(s[0], s[1]), s[2]) << "request " << s[0];
  const int turns[][2] = {{-120, 116}, {120, 100}, {240, 68}, {60, 68}, {60, 68}, {-359, 100}};
  for (const auto& t : turns) EXPECT_EQ(Wheel(t[0]), t[1]) << "wheel " << t[0];
  ResizeClient(480, 740);
  Scroll(SB_THUMBPOSITION, 0);
  EXPECT_EQ(Scroll(SB_PAGEDOWN), 28);  // only what is left
}

TEST_F(ScrollingTest, AScrolledPaintDrawsRowsAtTheirDocumentPositions) {
  ResizeClient(480, 400);
  SelectChannel(2);
  Scroll(SB_THUMBPOSITION, 100);
  InvalidateRect(mainWindow, nullptr, FALSE);
  Pump();
  // Row 2 (current, gray) spans client y -4..43: its header band ends at client y 11.
  EXPECT_EQ(Pixel(400, 0), GRAY);
  EXPECT_EQ(Pixel(400, 11), GRAY);
  EXPECT_NE(Pixel(305, 12), GRAY);   // the black key G# of row 2 starts right below
  EXPECT_EQ(Pixel(400, 44), WHITE);  // row 3's header
}

TEST_F(ScrollingTest, EnlargingWhileScrolledFollowsTheSystemPosition) {
  ResizeClient(480, 400);
  Scroll(SB_THUMBPOSITION, 368);
  ResizeClient(480, 700);
  EXPECT_EQ(verticalScroll, 68);
  EXPECT_EQ(Pixel(400, 144 - 68 + 1), WHITE);  // row 3's header, redrawn
  ResizeClient(480, 800);
  EXPECT_EQ(verticalScroll, 0);
  EXPECT_EQ(Pixel(400, 1), GRAY);  // row 0, the current one
}

}  // namespace
