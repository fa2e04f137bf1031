// Scrolling the sixteen rows by scroll bar requests and the wheel, and window sizing.
#include "display/row_drawing.h"
#include "display/scrolling.h"
#include "midi/channel_state.h"
#include "common/program_globals.h"
#include "window_fixture.h"

namespace {

class ScrollingTest : public WindowTest {
 protected:
  void Scroll(int request, int position = 0) {
    SendMessageA(mainWindow, WM_VSCROLL, MAKEWPARAM(request, position), 0);
    Pump();
  }
  void Wheel(int amount) {
    SendMessageA(mainWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(amount)), 0);
    Pump();
  }
};

TEST_F(ScrollingTest, AWindowAsTallAsTheDocumentDoesNotScroll) {
  Wheel(-120);
  Scroll(SB_PAGEDOWN);
  Scroll(SB_LINEDOWN);
  EXPECT_EQ(verticalScroll, 0);
}

TEST_F(ScrollingTest, LineAndPageRequestsStopAtTheLastPosition) {
  ResizeClient(480, 400);
  ASSERT_EQ(ClientHeight(), 400);
  Scroll(SB_PAGEDOWN);
  EXPECT_EQ(verticalScroll, 48);  // a page is one row, not the client height
  Scroll(SB_THUMBPOSITION, 360);
  EXPECT_EQ(verticalScroll, 360);
  Scroll(SB_LINEDOWN);
  EXPECT_EQ(verticalScroll, 368);
  Scroll(SB_LINEDOWN);
  EXPECT_EQ(verticalScroll, 368);
  Scroll(SB_LINEUP);
  EXPECT_EQ(verticalScroll, 352);
  Scroll(SB_PAGEUP);
  EXPECT_EQ(verticalScroll, 304);
  Scroll(SB_ENDSCROLL);
  Scroll(SB_TOP);
  EXPECT_EQ(verticalScroll, 304);
}

TEST_F(ScrollingTest, PageDownNearTheEndMovesOnlyWhatIsLeft) {
  ResizeClient(480, 740);
  Scroll(SB_PAGEDOWN);
  EXPECT_EQ(verticalScroll, 28);
}

TEST_F(ScrollingTest, WheelMovesSixteenPixelsPerWholeNotch) {
  ResizeClient(480, 400);
  Scroll(SB_THUMBPOSITION, 100);
  const struct {
    int amount, position;
  } turns[] = {{-120, 116}, {120, 100}, {240, 68}, {60, 68}, {60, 68}, {-359, 100}};
  for (const auto& turn : turns) {
    Wheel(turn.amount);
    EXPECT_EQ(verticalScroll, turn.position) << "after " << turn.amount;
  }
}

TEST_F(ScrollingTest, ScrolledPaintDrawsRowsAtTheirDocumentPositions) {
  ResizeClient(480, 400);
  SelectChannel(2);
  Scroll(SB_THUMBPOSITION, 100);
  InvalidateRect(mainWindow, nullptr, FALSE);
  Pump();
  const DWORD gray = Rgb(128, 128, 128);
  // Row 2 (current, gray) spans client y -4..43: its header band ends at client y 11.
  EXPECT_EQ(Pixel(400, 0), gray);
  EXPECT_EQ(Pixel(400, 11), gray);
  EXPECT_NE(Pixel(305, 12), gray);                // the black key G# of row 2 starts right below
  EXPECT_EQ(Pixel(400, 44), Rgb(255, 255, 255));  // row 3's header
}

TEST_F(ScrollingTest, EnlargingWhileScrolledFollowsTheSystemPosition) {
  ResizeClient(480, 400);
  Scroll(SB_THUMBPOSITION, 368);
  ResizeClient(480, 700);
  EXPECT_EQ(verticalScroll, 68);
  EXPECT_EQ(Pixel(400, 144 - 68 + 1), Rgb(255, 255, 255));  // row 3's header, redrawn
  ResizeClient(480, 800);
  EXPECT_EQ(verticalScroll, 0);
  EXPECT_EQ(Pixel(400, 1), Rgb(128, 128, 128));  // row 0, the current one
}

}  // namespace
