// Implements: the block behind the HDROP of WM_DROPFILES: a DROPFILES header from
// GlobalAlloc followed by the names, each null-terminated, with one more null at the end;
// the drop point in client coordinates.
// Does not implement: wide names (fWide), drops on the non-client area (fNC).
#include "user32/drop_block.h"

#include <shlobj.h>

#include <cstring>

namespace plk::user32 {

HDROP BuildDropBlock(const std::vector<std::string>& files, POINT point) {
  std::size_t bytes = sizeof(DROPFILES) + 1;
  for (const std::string& file : files) bytes += file.size() + 1;
  auto* block = static_cast<char*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
  if (!block) return nullptr;
  auto* header = reinterpret_cast<DROPFILES*>(block);
  header->pFiles = sizeof(DROPFILES);
  header->pt = point;
  char* name = block + sizeof(DROPFILES);
  for (const std::string& file : files) {
    std::memcpy(name, file.c_str(), file.size() + 1);
    name += file.size() + 1;
  }
  return reinterpret_cast<HDROP>(block);
}

}  // namespace plk::user32
