// Implements: font lookup (fontconfig) and 1-bit glyph rendering (FreeType). A face name
// that is plain ASCII and names an installed family is used as such; otherwise a request
// for fixed pitch or the modern family gets the system's monospace face, and anything else,
// notably the CP932 bytes of the Japanese gothic face name, resolves to IPAGothic and then
// to the system's monospace face; all these are laid out on cells. The dialog face names
// resolve to fontconfig's sans-serif face, laid out by advances. fontconfig's configuration
// loads on a thread of its own from the first use or PrepareFonts.
// Does not implement: double-byte (CP932 lead byte) characters, synthetic bold or italic,
// kerning.
#include "gdi32/font_face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <strings.h>
#include <tuple>

#include "gdi32/trace.h"

namespace plk::gdi {
namespace {

constexpr int kDefaultCellHeight = 12;
constexpr const char* kGothicFamily = "IPAGothic";
constexpr const char* kLastResort = "monospace";
// Windows maps these names to its user-interface face; here it is the desktop's sans-serif.
constexpr const char* kDialogFaces[] = {"MS Shell Dlg", "MS Shell Dlg 2"};
constexpr const char* kUiFamily = "sans-serif";

struct FtLibrary {
  FT_Library handle = nullptr;
  FtLibrary() {
    if (FT_Init_FreeType(&handle) != 0) handle = nullptr;
  }
  ~FtLibrary() {
    if (handle) FT_Done_FreeType(handle);
  }
  FtLibrary(const FtLibrary&) = delete;
  FtLibrary& operator=(const FtLibrary&) = delete;
};

struct FontFile {
  std::string path;
  int index = 0;
  std::string family;
  int spacing = FC_PROPORTIONAL;  // FC_DUAL (half and full width), FC_MONO, FC_CHARCELL
};

bool IsPlainAscii(const std::string& s) {
  return !s.empty() &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool IsDialogFace(const std::string& face) {
  return std::any_of(std::begin(kDialogFaces), std::end(kDialogFaces),
                     [&](const char* name) { return strcasecmp(face.c_str(), name) == 0; });
}

bool HasFamily(FcPattern* match, const char* family) {
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
    if (strcasecmp(reinterpret_cast<const char*>(value), family) == 0) return true;
  }
  return false;
}

// The file fontconfig picks for `family`; with `exact`, only if it really has that family
// (fontconfig always offers some font).
std::optional<FontFile> MatchFamily(FcConfig* config, const char* family, bool exact) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return std::nullopt;
  std::optional<FontFile> file;
  FcChar8* path = nullptr;
  FcChar8* matchedFamily = nullptr;
  int index = 0;
  if ((!exact || HasFamily(match, family)) &&
      FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily);
    file = FontFile{reinterpret_cast<const char*>(path), index,
                    matchedFamily ? reinterpret_cast<const char*>(matchedFamily) : ""};
    FcPatternGetInteger(match, FC_SPACING, 0, &file->spacing);
  }
  FcPatternDestroy(match);
  return file;
}

bool WantsFixedPitch(const FontRequest& request) {
  return (request.pitchAndFamily & 0x03) == FIXED_PITCH ||
         (request.pitchAndFamily & 0xF0) == FF_MODERN;
}

// The system's monospace face, as the Windows font mapper fills a fixed-pitch request whose
// name it does not know; none when fontconfig has only proportional faces.
std::optional<FontFile> MatchMonospace(FcConfig* config) {
  auto file = MatchFamily(config, kLastResort, false);
  if (file && file->spacing >= FC_DUAL) return file;
  return std::nullopt;
}

// Char code of a single CP932 byte: ASCII and the half-width katakana; 0 for the rest.
FT_ULong UnicodeOf(unsigned char c) {
  if (c >= 0x20 && c < 0x7F) return c;
  if (c >= 0xA1 && c <= 0xDF) return 0xFF61 + (c - 0xA1);
  return 0;
}

int CellHeightFor(int requestedHeight, const FT_Face face) {
  if (requestedHeight > 0) return requestedHeight;
  if (requestedHeight == 0) return kDefaultCellHeight;
  const double span = face->ascender - face->descender;
  return static_cast<int>(
      std::lround(-static_cast<double>(requestedHeight) * span / face->units_per_EM));
}

int AdvanceOf(FT_Face face, FT_ULong code) {
  if (FT_Load_Char(face, code, FT_LOAD_TARGET_MONO) != 0) return 0;
  return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

// Sizes the face so its ascender-to-descender span fills the cell, then shrinks it until a
// half-width digit fits the half-height cell width, so any fallback face keeps the layout.
std::optional<FontMetrics> SizeFace(FT_Face face, int requestedHeight, int requestedWidth) {
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return std::nullopt;
  FontMetrics m;
  m.cellHeight = std::max(1, CellHeightFor(requestedHeight, face));
  m.cellWidth = requestedWidth > 0 ? requestedWidth : std::max(1, (m.cellHeight + 1) / 2);
  const double span = face->ascender - face->descender;
  if (span <= 0) return std::nullopt;
  int em = std::max(1, static_cast<int>(std::lround(m.cellHeight * face->units_per_EM / span)));
  for (;; --em) {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em)) != 0) return std::nullopt;
    if (em == 1 || AdvanceOf(face, '0') <= m.cellWidth) break;
  }
  m.emPixels = em;
  m.ascent = std::clamp(
      static_cast<int>(std::lround(face->ascender * em / static_cast<double>(face->units_per_EM))),
      0, m.cellHeight);
  return m;
}

// What GetTextMetricsA reports: a fixed face by its cells (a dual-width one has full-width
// characters of two cells), a proportional one by its own average and widest advance.
void DescribePitch(FT_Face face, int spacing, FontMetrics& m) {
  m.fixedPitch = spacing >= FC_DUAL;
  m.averageWidth = m.cellWidth;
  m.maxWidth = spacing == FC_DUAL ? 2 * m.cellWidth : m.cellWidth;
  if (m.fixedPitch) return;
  const double scale = m.emPixels / static_cast<double>(face->units_per_EM);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->xAvgCharWidth > 0)
    m.averageWidth = static_cast<int>(std::lround(os2->xAvgCharWidth * scale));
  m.maxWidth =
      std::max(m.averageWidth, static_cast<int>(std::lround(face->max_advance_width * scale)));
}

// Sizes a face whose characters keep their own widths. As with Windows, a negative height
// asks for the character (em) height and a positive one for the ascender-to-descender cell.
std::optional<FontMetrics> SizeByAdvances(FT_Face face, int requestedHeight) {
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return std::nullopt;
  const double span = face->ascender - face->descender;
  if (span <= 0) return std::nullopt;
  const int height = requestedHeight == 0 ? kDefaultCellHeight : requestedHeight;
  const int em =
      height < 0 ? -height
                 : std::max(1, static_cast<int>(std::lround(height * face->units_per_EM / span)));
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em)) != 0) return std::nullopt;
  const FT_Size_Metrics& size = face->size->metrics;
  FontMetrics m;
  m.proportional = true;
  m.emPixels = em;
  m.ascent = static_cast<int>((size.ascender + 32) >> 6);
  m.cellHeight = std::max(em, static_cast<int>((size.ascender - size.descender + 32) >> 6));
  m.cellWidth = std::max(1, AdvanceOf(face, 'x'));
  return m;
}

}  // namespace

struct FontFace::Impl {
  std::shared_ptr<FtLibrary> library;
  FT_Face face = nullptr;
  FontMetrics metrics;
  std::string family;
  ~Impl() {
    if (face) FT_Done_Face(face);
  }
};

class FontLibrary {
 public:
  static FontLibrary& Instance() {
    static FontLibrary library;
    return library;
  }
  ~FontLibrary() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (FcConfig* config = Config()) FcConfigDestroy(config);
  }

  std::shared_ptr<FontFace> Find(const FontRequest& request) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!ft_->handle || !Config()) return nullptr;
    const auto key =
        std::make_tuple(request.face, request.height, request.width, WantsFixedPitch(request));
    auto it = faces_.find(key);
    if (it != faces_.end()) return it->second;
    auto face = Open(request);
    faces_.emplace(key, face);  // failures are remembered too
    return face;
  }

 private:
  // fontconfig reads every configuration file and font cache to load its configuration,
  // milliseconds that the first font would otherwise wait for; made first, the library
  // loads it while the program starts.
  FontLibrary()
      : ft_(std::make_shared<FtLibrary>()),
        loading_(std::async(std::launch::async, FcInitLoadConfigAndFonts)) {}

  // Under mutex_.
  FcConfig* Config() {
    if (loading_.valid()) config_ = loading_.get();
    return config_;
  }

  std::shared_ptr<FontFace> Open(const FontRequest& request) {
    const bool dialogFace = IsDialogFace(request.face);
    std::optional<FontFile> file;
    if (dialogFace) {
      file = MatchFamily(config_, kUiFamily, false);
    } else if (IsPlainAscii(request.face)) {
      file = MatchFamily(config_, request.face.c_str(), true);
    }
    if (!file && WantsFixedPitch(request)) file = MatchMonospace(config_);
    if (!file) file = MatchFamily(config_, unknownNameFamily_.c_str(), true);
    if (!file) file = MatchFamily(config_, kLastResort, false);
    if (!file) {
      Trace("no font file for any face; text will not be drawn");
      return nullptr;
    }
    auto impl = std::make_unique<FontFace::Impl>();
    impl->library = ft_;
    if (FT_New_Face(ft_->handle, file->path.c_str(), file->index, &impl->face) != 0) {
      impl->face = nullptr;
      return nullptr;
    }
    auto metrics = dialogFace ? SizeByAdvances(impl->face, request.height)
                              : SizeFace(impl->face, request.height, request.width);
    if (!metrics) return nullptr;
    DescribePitch(impl->face, file->spacing, *metrics);
    impl->metrics = *metrics;
    Trace("face \"%s\" height %d: %s (%s), %d px em, %dx%d cells, ascent %d",
          IsPlainAscii(request.face) ? request.face.c_str() : "(non-ASCII)", request.height,
          file->path.c_str(), file->family.c_str(), metrics->emPixels, metrics->cellWidth,
          metrics->cellHeight, metrics->ascent);
    impl->family = file->family;
    return std::make_shared<FontFace>(std::move(impl));
  }

  std::mutex mutex_;
  std::shared_ptr<FtLibrary> ft_;
  std::future<FcConfig*> loading_;
  FcConfig* config_ = nullptr;
  std::map<std::tuple<std::string, int, int, bool>, std::shared_ptr<FontFace>> faces_;
  std::string unknownNameFamily_ = kGothicFamily;

  friend void testing::ResolveUnknownNamesTo(const char* family);
};

void testing::ResolveUnknownNamesTo(const char* family) {
  FontLibrary& library = FontLibrary::Instance();
  const std::lock_guard<std::mutex> lock(library.mutex_);
  library.unknownNameFamily_ = family ? family : kGothicFamily;
  library.faces_.clear();
}

FontFace::FontFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
  metrics_ = impl_->metrics;
  family_ = impl_->family;
}

FontFace::~FontFace() = default;

void PrepareFonts() { FontLibrary::Instance(); }

std::shared_ptr<FontFace> FontFace::Find(const FontRequest& request) {
  return FontLibrary::Instance().Find(request);
}

const Glyph& FontFace::GlyphFor(unsigned char character) {
  std::unique_ptr<Glyph>& slot = glyphs_[character];
  if (slot) return *slot;
  slot = std::make_unique<Glyph>();
  const FT_ULong code = UnicodeOf(character);
  FT_Face face = impl_->face;
  if (code == 0 || FT_Load_Char(face, code, FT_LOAD_TARGET_MONO) != 0) return *slot;
  Glyph& glyph = *slot;
  glyph.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
  if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) return glyph;  // drawn empty
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  glyph.left = face->glyph->bitmap_left;
  glyph.top = face->glyph->bitmap_top;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.rows = static_cast<int>(bitmap.rows);
  glyph.ink.resize(static_cast<std::size_t>(glyph.width) * glyph.rows);
  for (int y = 0; y < glyph.rows; ++y) {
    const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    for (int x = 0; x < glyph.width; ++x) {
      const bool on = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x >> 3] >> (7 - (x & 7))) & 1
                                                              : row[x] >= 128;
      glyph.ink[static_cast<std::size_t>(y) * glyph.width + x] = on ? 1 : 0;
    }
  }
  return glyph;
}

int FontFace::Advance(unsigned char character) {
  return metrics_.proportional ? GlyphFor(character).advance : metrics_.cellWidth;
}

FontMetrics NominalMetrics(int requestedHeight) {
  FontMetrics m;
  m.cellHeight = requestedHeight == 0 ? kDefaultCellHeight : std::abs(requestedHeight);
  m.cellWidth = std::max(1, (m.cellHeight + 1) / 2);
  m.ascent = m.cellHeight * 5 / 6;
  m.emPixels = m.cellHeight;
  m.averageWidth = m.cellWidth;
  m.maxWidth = m.cellWidth;
  return m;
}

}  // namespace plk::gdi
