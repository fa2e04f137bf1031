// Implements: the object table, bitmap storage and the stock objects (brushes 0..5, the
// two stock fonts, the 1x1 monochrome default bitmap of memory DCs and the screen DC).
// Does not implement: stock pens, palettes or the system font's real metrics.
#include "gdi32/gdi_objects.h"

#include "gdi32/pixel_rows.h"

namespace plk::gdi {
namespace {

// Large enough for any skin or window; keeps width * height * 4 far from overflow.
constexpr int kMaxDimension = 1 << 15;
constexpr std::size_t kMaxBitmapBytes = std::size_t{1} << 28;

constexpr int kStockFontHeight = 12;

}  // namespace

std::shared_ptr<Bitmap> Bitmap::Create(int width, int height, int bitsPerPixel, bool topDown) {
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) {
    return nullptr;
  }
  const std::size_t stride = DibStrideBytes(width, bitsPerPixel);
  if (stride == 0 || stride * static_cast<std::size_t>(height) > kMaxBitmapBytes) return nullptr;
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->width = width;
  bitmap->height = height;
  bitmap->bitsPerPixel = bitsPerPixel;
  bitmap->topDown = topDown;
  bitmap->strideBytes = stride;
  bitmap->bits = std::make_unique<std::uint8_t[]>(stride * height);  // zeroed
  return bitmap;
}

PixelRows Bitmap::Rows() const {
  PixelRows rows;
  const auto stride = static_cast<std::ptrdiff_t>(strideBytes);
  rows.row0 = topDown ? bits.get() : bits.get() + stride * (height - 1);
  rows.strideBytes = topDown ? stride : -stride;
  rows.width = width;
  rows.height = height;
  rows.bitsPerPixel = bitsPerPixel;
  rows.palette = palette.data();
  rows.paletteSize = paletteSize;
  return rows;
}

ObjectTable::ObjectTable() {
  const COLORREF stockColors[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                  RGB(64, 64, 64),    RGB(0, 0, 0),       RGB(0, 0, 0)};
  for (int i = WHITE_BRUSH; i <= NULL_BRUSH; ++i) {
    auto brush = std::make_shared<Brush>(stockColors[i], i == NULL_BRUSH);
    brush->stock = true;
    stock_[i] = Add(std::move(brush));
  }
  for (int i : {SYSTEM_FIXED_FONT, DEFAULT_GUI_FONT}) {
    auto font = std::make_shared<Font>(FontRequest{kStockFontHeight, FW_NORMAL, ""});
    font->stock = true;
    stock_[i] = Add(std::move(font));
  }
  auto monochrome = Bitmap::Create(1, 1, 1, false);
  monochrome->paletteSize = 2;
  monochrome->palette[1] = 0xFFFFFFu;
  monochrome->stock = true;
  defaultBitmap_ = Add(std::move(monochrome));

  auto screen = std::make_shared<DeviceContext>(DeviceContext::Type::kScreen);
  screen->stock = true;
  SelectDefaults(*this, *screen);
  screen_ = static_cast<HDC>(Add(std::move(screen)));
}

HGDIOBJ ObjectTable::Stock(int index) const {
  if (index < 0 || index >= static_cast<int>(stock_.size())) return nullptr;
  return stock_[index];
}

ObjectTable& Objects() {
  static ObjectTable table;
  return table;
}

void SelectDefaults(ObjectTable& table, DeviceContext& dc) {
  dc.brush = {table.Stock(WHITE_BRUSH), table.Find<Brush>(table.Stock(WHITE_BRUSH))};
  dc.font = {table.Stock(SYSTEM_FIXED_FONT), table.Find<Font>(table.Stock(SYSTEM_FIXED_FONT))};
  if (dc.type == DeviceContext::Type::kMemory) {
    dc.bitmap = {table.DefaultBitmap(), table.Find<Bitmap>(table.DefaultBitmap())};
  }
}

}  // namespace plk::gdi
