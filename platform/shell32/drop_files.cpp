// Implements: DragAcceptFiles (WS_EX_ACCEPTFILES on the window, which decides whether a
// drop on it becomes WM_DROPFILES), DragQueryFileA (0xFFFFFFFF gives the count; a null
// buffer gives the length; otherwise the name is copied, cut to fit with its
// terminator, and the copied length returned) and DragFinish, over HDROP handles that
// hold the dropped paths in the host's encoding (UTF-8 on Linux).
// Does not implement: DragQueryPoint, DragQueryFileW, OLE drag and drop.
#include "handle_table.h"
#include "shell32/drop_files.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace plk::shell32 {
namespace {

struct Drop {
  std::vector<std::string> files;
  POINT point;
};

HandleTable<Drop, HDROP>& Drops() {
  static HandleTable<Drop, HDROP> table(HandleRange::kDrops);
  return table;
}

}  // namespace

HDROP CreateDrop(std::vector<std::string> files, POINT point) {
  return Drops().Add(Drop{std::move(files), point});
}

}  // namespace plk::shell32

void DragAcceptFiles(HWND window, BOOL accept) {
  const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
  SetWindowLongA(window, GWL_EXSTYLE,
                 accept ? exStyle | WS_EX_ACCEPTFILES : exStyle & ~WS_EX_ACCEPTFILES);
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size) {
  const auto copied =
      plk::shell32::Drops().With(drop, [=](const plk::shell32::Drop& found) -> UINT {
        const auto& files = found.files;
        if (index == 0xFFFFFFFFu) return static_cast<UINT>(files.size());
        if (index >= files.size()) return 0;
        const std::string& name = files[index];
        if (!file) return static_cast<UINT>(name.size());
        if (size == 0) return 0;
        const std::size_t count = std::min<std::size_t>(name.size(), size - 1);
        std::memcpy(file, name.data(), count);
        file[count] = '\0';
        return static_cast<UINT>(count);
      });
  return copied.value_or(0);
}

void DragFinish(HDROP drop) { plk::shell32::Drops().Remove(drop); }
