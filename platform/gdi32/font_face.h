// Implements: finding a font file for a CreateFontA request through fontconfig and
// rendering its glyphs through FreeType as 1-bit masks (no anti-aliasing), cached per face
// and size, laid out on fixed character cells half as wide as they are high; the dialog
// face names ("MS Shell Dlg", "MS Shell Dlg 2") stand for the desktop's sans-serif face,
// laid out by each character's own advance.
// Does not implement: double-byte (CP932 lead byte) characters, synthetic bold or italic,
// kerning.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gdi32/gdi_objects.h"

namespace plk::gdi {

struct FontMetrics {
  int cellHeight = 12;
  int cellWidth = 6;
  int ascent = 10;
  int emPixels = 12;          // the character height, cellHeight minus internal leading
  bool proportional = false;  // characters advance by their own widths, not by cells
  // The face's own pitch and widths, as GetTextMetricsA reports them.
  bool fixedPitch = true;
  int averageWidth = 6;
  int maxWidth = 12;
};

// Ink of one glyph: `width` x `rows` bytes, 1 where the glyph covers the pixel.
struct Glyph {
  int left = 0;  // from the pen position
  int top = 0;   // rows above the baseline
  int width = 0;
  int rows = 0;
  int advance = 0;  // pen movement to the next character (proportional faces)
  std::vector<std::uint8_t> ink;
};

class FontLibrary;

class FontFace {
 public:
  // The face for `request`, or null when fontconfig or FreeType find no usable font.
  static std::shared_ptr<FontFace> Find(const FontRequest& request);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const FontMetrics& Metrics() const { return metrics_; }
  const std::string& Family() const { return family_; }
  // The glyph of one single-byte character; rendered on first use, then cached. Callers
  // serialise through the handle table's lock.
  const Glyph& GlyphFor(unsigned char character);
  // How far the pen moves for one character: its cell, or its advance when proportional.
  int Advance(unsigned char character);

  struct Impl;
  explicit FontFace(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
  FontMetrics metrics_;
  std::string family_;
  std::array<std::unique_ptr<Glyph>, 256> glyphs_;
};

// Starts loading the font configuration in the background, so that the first font asked
// for does not wait for all of it.
void PrepareFonts();

// The cell layout CreateFontA's height asks for, used when no face could be found.
FontMetrics NominalMetrics(int requestedHeight);

namespace testing {
// Test seam: names that are not installed families (the Japanese gothic name among them)
// resolve to `family` instead of IPAGothic until this is called with null. Faces found
// before are forgotten, fonts that already resolved keep theirs.
void ResolveUnknownNamesTo(const char* family);
}  // namespace testing

}  // namespace plk::gdi
