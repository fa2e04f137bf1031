// Channel rows as drawn into the real window: header texts, key placement and the
// pictures of released and pressed keys.
#include <cstring>
#include <string>

#include "common/program_globals.h"
#include "display/row_drawing.h"
#include "midi/channel_state.h"
#include "window_fixture.h"

namespace {

class RowDrawingTest : public WindowTest {
 protected:
  std::string Header(int row) {
    char line[64];
    const int length = FormatRowHeader(row, line);
    return std::string(line, length);
  }
};

const DWORD WHITE = Rgb(255, 255, 255);
const DWORD GRAY = Rgb(128, 128, 128);
const DWORD LAVENDER = Rgb(192, 192, 255);

TEST_F(RowDrawingTest, HeaderNamesTheChannelBaseKeyAndInstrument) {
  const struct {
    int baseKey;
    const char* name;
  } keys[] = {{0, " C-1"}, {60, "  C4"}, {61, " C#4"}, {62, "  D4"}, {127, "  G9"}};
  for (const auto& k : keys) {
    ChannelTable[0].baseKey = k.baseKey;
    EXPECT_EQ(Header(0),
              std::string("Channel =  1 Base key = ") + k.name + " Instrument =   0   0   0");
  }
  SendInstrument(15, 0x00FF7F05);
  EXPECT_EQ(Header(15), "Channel = 16 Base key =   C4 Instrument = 255 127   5");
  // The three numbers sit under the value editor's boxes.
  EXPECT_EQ(Header(15).find("255"), 42u);
}

TEST_F(RowDrawingTest, KeysArePlacedByOctaveSlotsAroundTheBaseKey) {
  const struct {
    int baseKey, key, x;
  } cases[] = {{60, 48, 0},    {60, 60, 112},  {60, 61, 120}, {60, 96, 448},
               {62, 48, 0},    {62, 62, 128},  {0, 0, 112},   {127, 108, 0},
               {127, 119, 96}, {60, 36, -112}, {71, 59, 96}};
  for (const auto& c : cases) {
    ChannelTable[3].baseKey = c.baseKey;
    const POINT at = KeyPosition(3, c.key);
    EXPECT_EQ(at.x, c.x) << "key " << c.key << " at base " << c.baseKey;
    EXPECT_EQ(at.y, 3 * 48 + 16);
  }
}

TEST_F(RowDrawingTest, CurrentRowIsGrayAndOthersWhite) {
  EXPECT_EQ(Pixel(470, 1), GRAY);        // row 0 header, right of the text
  EXPECT_EQ(Pixel(470, 48 + 1), WHITE);  // row 1 header
  Key('3', true);
  Tick();
  EXPECT_EQ(Pixel(470, 1), WHITE);
  EXPECT_EQ(Pixel(470, 2 * 48 + 1), GRAY);
}

TEST_F(RowDrawingTest, PressedKeysAreLavenderUntilTheLastHoldIsReleased) {
  // Key 60 (C) of row 0 at x 112; the lower, wide part of its face.
  const int x = 112 + 8, y = 16 + 26;
  EXPECT_EQ(Pixel(x, y), WHITE);
  SendKeyNote(TRUE, 0, 60);
  SendKeyNote(TRUE, 0, 60);
  Tick();
  EXPECT_EQ(Pixel(x, y), LAVENDER);
  SendKeyNote(FALSE, 0, 60);
  Tick();
  EXPECT_EQ(Pixel(x, y), LAVENDER);
  SendKeyNote(FALSE, 0, 60);
  Tick();
  EXPECT_EQ(Pixel(x, y), WHITE);
}

TEST_F(RowDrawingTest, MasksKeepTheGrayBackgroundOutsideEachKey) {
  // Row 0 is current, so its keyboard band is gray. In cell row 19 the C (112..124) and
  // D (131..140) shapes leave 125..130 uncovered, and the black key C# ends at row 18.
  EXPECT_EQ(Pixel(129, 16 + 19), GRAY);
  EXPECT_EQ(Pixel(129, 16 + 17), Rgb(0, 0, 0));  // the body of C# above it
  EXPECT_NE(Pixel(129, 16 + 20), GRAY);          // the wide part of D below it
}

TEST_F(RowDrawingTest, TheStripMovesOnlyWhenTheBaseKeyCrossesAnOctave) {
  SendKeyNote(TRUE, 0, 60);
  Tick();
  EXPECT_EQ(Pixel(112 + 8, 42), LAVENDER);
  Key(VK_RIGHT, true);  // base 61: same octave, same place
  Tick();
  EXPECT_EQ(Pixel(112 + 8, 42), LAVENDER);
  Key(VK_UP, true);  // base 73: key 60 now in slot 0
  Tick();
  EXPECT_EQ(Pixel(0 + 8, 42), LAVENDER);
  EXPECT_EQ(Pixel(112 + 8, 42), WHITE);
}

}  // namespace
