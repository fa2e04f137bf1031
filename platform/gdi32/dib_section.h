// Implements: building a bitmap from a BITMAPINFOHEADER and its colour table, shared by
// CreateDIBSection and the BMP file reader.
// Does not implement: BI_BITFIELDS, RLE compression, DIB_PAL_COLORS, file mappings.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "gdi32/gdi_objects.h"

namespace plk::gdi {

// Number of colour-table entries the header implies (0 above 8 bits per pixel).
int ColorTableEntries(const BITMAPINFOHEADER& header);

// A zeroed bitmap in the header's own format, with `colors` (ColorTableEntries of them)
// as its palette; null for headers it cannot represent.
std::shared_ptr<Bitmap> CreateDib(const BITMAPINFOHEADER& header, const RGBQUAD* colors);

}  // namespace plk::gdi
