// Channel rows as drawn into the real window: header texts, key placement and the
// pictures of released and pressed keys.
#include "display/row_drawing.h"
#include "gdi32/font_face.h"
#include "midi/channel_messages.h"
#include "midi/channel_mute.h"
#include "midi/channel_state.h"
#include "window_fixture.h"

namespace {

class RowDrawingTest : public WindowTest {
 protected:
  static std::string Header(int row) {
    char line[64];
    return std::string(line, FormatRowHeader(row, line));
  }
};

TEST_F(RowDrawingTest, TheHeaderNamesTheChannelBaseKeyAndInstrument) {
  const struct {
    LONG key;
    const char* name;
  } keys[] = {{0, " C-1"}, {60, "  C4"}, {61, " C#4"}, {127, "  G9"}};
  for (const auto& k : keys) {
    ChannelTable[0].baseKey = k.key;
    EXPECT_EQ(Header(0),
              std::string("Channel =  1 Base key = ") + k.name + " Instrument =   0   0   0");
  }
  SendInstrument(15, 0x00FF7F05);
  EXPECT_EQ(Header(15), "Channel = 16 Base key =   C4 Instrument = 255 127   5");
}

TEST_F(RowDrawingTest, RowFontKeepsTheGothicFaceOrFallsBackToFixedSixPixelCells) {
  // When the gothic name resolves to a proportional face, the fixed-pitch font replaces it.
  for (const char* gothicFace : {static_cast<const char*>(nullptr), "IPAPGothic"}) {
    plk::gdi::testing::ResolveUnknownNamesTo(gothicFace);
    HFONT font = CreateRowFont();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA tm = {};
    char face[LF_FACESIZE] = "";
    GetTextMetricsA(dc, &tm);
    GetTextFaceA(dc, sizeof face, face);
    EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << face;
    EXPECT_EQ(tm.tmHeight, 12);
    EXPECT_EQ(tm.tmAveCharWidth, 6);
    if (gothicFace) {
      EXPECT_STRNE(face, gothicFace);
    } else {
      EXPECT_STREQ(face, "IPAGothic");
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(font);
  }
  plk::gdi::testing::ResolveUnknownNamesTo(nullptr);
}

TEST_F(RowDrawingTest, KeysArePlacedByOctaveSlotsAroundTheBaseKey) {
  const int cases[][3] = {{60, 48, 0},    {60, 60, 112}, {60, 61, 120}, {60, 96, 448},
                          {62, 62, 128},  {0, 0, 112},   {127, 108, 0}, {127, 119, 96},
                          {60, 36, -112}, {71, 59, 96}};  // base key, key, x
  for (const auto& c : cases) {
    ChannelTable[3].baseKey = c[0];
    const POINT at = KeyPosition(3, c[1]);
    EXPECT_EQ(at.x, c[2]) << "key " << c[1] << " at base " << c[0];
    EXPECT_EQ(at.y, 3 * 48 + 16);
  }
}

TEST_F(RowDrawingTest, APressedKeyIsLavenderUntilItsLastHoldIsReleased) {
  const int x = 112 + 8, y = 16 + 26;  // the lower, wide part of key 60 (C) of row 0
  EXPECT_EQ(Pixel(x, y), WHITE);
  for (BOOL down : {TRUE, TRUE, FALSE, FALSE}) {
    SendKeyNote(down, 0, 60);
    Tick();
    EXPECT_EQ(Pixel(x, y), ReadHeldCount(0, 60) ? LAVENDER : WHITE);
  }
  EXPECT_EQ(Pixel(x, y), WHITE);
}

TEST_F(RowDrawingTest, MasksKeepTheBackgroundOutsideEachKey) {
  // Row 0 is current, so its keyboard band is gray. In cell row 19 the C (112..124) and
  // D (131..140) shapes leave 125..130 uncovered, and the black key C# ends at row 18.
  EXPECT_EQ(Pixel(129, 16 + 19), GRAY);
  EXPECT_EQ(Pixel(129, 16 + 17), 0u);    // the body of C# above it
  EXPECT_NE(Pixel(129, 16 + 20), GRAY);  // the wide part of D below it
}

TEST_F(RowDrawingTest, TheStripMovesOnlyWhenTheBaseKeyCrossesAnOctave) {
  SendKeyNote(TRUE, 0, 60);
  Tick();
  Key(VK_RIGHT);  // base 61: the same octave, the same place
  Tick();
  EXPECT_EQ(Pixel(112 + 8, 42), LAVENDER);
  Key(VK_UP);  // base 73: key 60 now in slot 0
  Tick();
  EXPECT_EQ(Pixel(0 + 8, 42), LAVENDER);
  EXPECT_EQ(Pixel(112 + 8, 42), WHITE);
}

}  // namespace

namespace {

TEST_F(RowDrawingTest, AMutedRowsHeaderIsTintedAndItsKeysStillLight) {
  const int headerX = 470, headerY = 48 + 2, keyX = 112 + 8, keyY = 48 + 16 + 26;
  SendChannelMessage(0x91, 60, 0x40);
  SetChannelMuted(1, TRUE);
  Tick();
  EXPECT_EQ(Pixel(headerX, headerY), 0xFFC8C8u);
  EXPECT_EQ(Pixel(keyX, keyY), LAVENDER);
  EXPECT_EQ(Pixel(headerX, 2), GRAY);  // the current row, not muted, as before
  UnmuteAllChannels();
  Tick();
  EXPECT_EQ(Pixel(headerX, headerY), WHITE);
}

}  // namespace
