// Implements: DragAcceptFiles (WS_EX_ACCEPTFILES on the window, which decides whether a
// drop on it becomes WM_DROPFILES), DragQueryFileA (0xFFFFFFFF gives the count; a null
// buffer gives the length; otherwise the name is copied, cut to fit with its
// terminator, and the copied length returned) and DragFinish (the block freed), over the
// DROPFILES block that user32 builds (names in the host's encoding, UTF-8 on Linux).
// Does not implement: DragQueryPoint, DragQueryFileW, wide-character blocks, OLE drag
// and drop.
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// The index-th name of the block, or the count of names when there are not that many.
struct NameAt {
  std::string_view name;
  UINT count = 0;
};

NameAt FindName(HDROP drop, UINT index) {
  const auto* header = reinterpret_cast<const DROPFILES*>(drop);
  const char* name = reinterpret_cast<const char*>(drop) + header->pFiles;
  UINT count = 0;
  for (; *name; name += std::strlen(name) + 1, ++count) {
    if (count == index) return {name, count};
  }
  return {{}, count};
}

}  // namespace

void DragAcceptFiles(HWND window, BOOL accept) {
  const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
  SetWindowLongA(window, GWL_EXSTYLE,
                 accept ? exStyle | WS_EX_ACCEPTFILES : exStyle & ~WS_EX_ACCEPTFILES);
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size) {
  if (!drop || reinterpret_cast<const DROPFILES*>(drop)->fWide) return 0;
  const NameAt found = FindName(drop, index);
  if (index == 0xFFFFFFFFu) return found.count;
  if (found.name.data() == nullptr) return 0;
  if (!file) return static_cast<UINT>(found.name.size());
  if (size == 0) return 0;
  const std::size_t count = std::min<std::size_t>(found.name.size(), size - 1);
  std::memcpy(file, found.name.data(), count);
  file[count] = '\0';
  return static_cast<UINT>(count);
}

void DragFinish(HDROP drop) { GlobalFree(drop); }
