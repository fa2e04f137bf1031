// Implements: SHBrowseForFolderA as the desktop's folder dialog (the portal's FileChooser in
// directory mode, modal to the owner's window, with lpszTitle as its title): the chosen
// folder as an item list from the COM task allocator (CoTaskMemFree releases it) and its
// name in pszDisplayName; null when cancelled or when no portal answers (then a line on
// stderr says what is missing). SHGetPathFromIDListA gives the folder's path back.
// Does not implement: pidlRoot, the callback, BIF_ flags other than folders only, virtual
// folders; item lists are not the shell's, only these two functions read them.
#include "portal/file_chooser.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// One item holding the path and its terminator, then the empty item that ends a list.
PIDLIST_ABSOLUTE NewItemList(const std::string& path) {
  const std::size_t itemSize = sizeof(USHORT) + path.size() + 1;
  auto* bytes = static_cast<BYTE*>(CoTaskMemAlloc(itemSize + sizeof(USHORT)));
  if (!bytes) return nullptr;
  const auto size = static_cast<USHORT>(itemSize);
  std::memcpy(bytes, &size, sizeof size);
  std::memcpy(bytes + sizeof size, path.c_str(), path.size() + 1);
  std::memset(bytes + itemSize, 0, sizeof(USHORT));
  return reinterpret_cast<PIDLIST_ABSOLUTE>(bytes);
}

}  // namespace

PIDLIST_ABSOLUTE SHBrowseForFolderA(LPBROWSEINFOA browseInfo) {
  if (!browseInfo) return nullptr;
  plk::portal::FileChoice choice;
  choice.owner = browseInfo->hwndOwner;
  choice.title = browseInfo->lpszTitle ? browseInfo->lpszTitle : "";
  choice.folder = true;
  const plk::portal::ChosenFile chosen = plk::portal::ChooseFile(choice);
  if (chosen.outcome == plk::portal::Outcome::Failed) {
    std::fprintf(stderr,
                 "plinkaro: no folder dialog: the desktop portal (xdg-desktop-portal with a "
                 "backend such as xdg-desktop-portal-gtk) did not answer\n");
  }
  if (chosen.outcome != plk::portal::Outcome::Answered || chosen.path.empty() ||
      chosen.path.size() >= MAX_PATH) {
    return nullptr;
  }
  if (browseInfo->pszDisplayName) {
    const std::string name = chosen.path.substr(chosen.path.find_last_of('/') + 1);
    std::snprintf(browseInfo->pszDisplayName, MAX_PATH, "%s", name.empty() ? "/" : name.c_str());
  }
  return NewItemList(chosen.path);
}

BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE idList, LPSTR path) {
  if (!idList || !path || idList->mkid.cb <= sizeof(USHORT)) return FALSE;
  const auto* text = reinterpret_cast<const char*>(idList->mkid.abID);
  const std::size_t length = idList->mkid.cb - sizeof(USHORT) - 1;
  if (length >= MAX_PATH) return FALSE;
  std::memcpy(path, text, length + 1);
  return TRUE;
}
