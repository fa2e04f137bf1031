// Implements: GetOpenFileNameA as the desktop's own file dialog (the portal's FileChooser,
// portal/file_chooser.h): lpstrTitle (else "Open"), the filter pairs of lpstrFilter with
// nFilterIndex chosen and reported back, lpstrInitialDir (else the folder of a path already
// in lpstrFile); the chosen path in lpstrFile with nFileOffset and nFileExtension, its name
// in lpstrFileTitle; the current directory moved to its folder unless OFN_NOCHANGEDIR, as
// Windows does. With OFN_FILEMUSTEXIST a file that is not there is refused with Windows'
// message and the dialog comes again. CommDlgExtendedError, per thread: 0 after a choice
// or a cancel, CDERR_DIALOGFAILURE where no portal answers (the desktop lacks
// xdg-desktop-portal or a backend for it; a line on stderr says so),
// FNERR_BUFFERTOOSMALL (with the size needed in lpstrFile's first two bytes),
// FNERR_INVALIDFILENAME for an answer that is no local file, CDERR_STRUCTSIZE and
// CDERR_INITIALIZATION for a bad structure.
// Does not implement: several files (OFN_ALLOWMULTISELECT), lpstrCustomFilter, hooks and
// templates, OFN_READONLY's box, lpstrDefExt, GetSaveFileNameA.
#include "portal/file_chooser.h"

#include <commdlg.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

thread_local DWORD lastDialogError = 0;

constexpr DWORD kSizeWithoutReserved = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);

BOOL Fail(DWORD error) {
  lastDialogError = error;
  return FALSE;
}

// "Name\0*.a;*.b\0Name\0*.*\0\0" as filters.
std::vector<plk::portal::FileFilter> FiltersOf(LPCSTR pairs) {
  std::vector<plk::portal::FileFilter> filters;
  while (pairs && *pairs) {
    plk::portal::FileFilter filter{pairs, {}};
    const char* patterns = pairs + std::strlen(pairs) + 1;
    if (!*patterns) break;
    std::string list = patterns;
    for (std::size_t start = 0; start <= list.size();) {
      const std::size_t end = std::min(list.find(';', start), list.size());
      if (end > start) filter.patterns.push_back(list.substr(start, end - start));
      start = end + 1;
    }
    filters.push_back(std::move(filter));
    pairs = patterns + list.size() + 1;
  }
  return filters;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

plk::portal::FileChoice ChoiceOf(const OPENFILENAMEA& dialog) {
  plk::portal::FileChoice choice;
  choice.owner = dialog.hwndOwner;
  choice.title = dialog.lpstrTitle ? dialog.lpstrTitle : "Open";
  choice.filters = FiltersOf(dialog.lpstrFilter);
  choice.currentFilter = static_cast<int>(dialog.nFilterIndex) - 1;
  if (dialog.lpstrInitialDir && *dialog.lpstrInitialDir) {
    choice.startFolder = dialog.lpstrInitialDir;
  } else if (dialog.lpstrFile[0]) {
    choice.startFolder = FolderOf(dialog.lpstrFile);
  }
  return choice;
}

bool IsFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

void RefuseMissing(const OPENFILENAMEA& dialog, const std::string& path, const char* title) {
  const std::string text = path + "\nFile not found.\nCheck the file name and try again.";
  MessageBoxA(dialog.hwndOwner, text.c_str(), title, MB_OK | MB_ICONWARNING);
}

BOOL Deliver(OPENFILENAMEA& dialog, const plk::portal::ChosenFile& chosen) {
  const std::string& path = chosen.path;
  if (path.size() + 1 > dialog.nMaxFile) {
    if (dialog.nMaxFile >= sizeof(WORD)) {
      const auto needed = static_cast<WORD>(std::min<std::size_t>(path.size() + 1, 0xFFFF));
      std::memcpy(dialog.lpstrFile, &needed, sizeof needed);
    }
    return Fail(FNERR_BUFFERTOOSMALL);
  }
  std::memcpy(dialog.lpstrFile, path.c_str(), path.size() + 1);
  const std::size_t name = path.find_last_of('/') + 1;
  const std::size_t dot = path.find_last_of('.');
  dialog.nFileOffset = static_cast<WORD>(name);
  dialog.nFileExtension =
      static_cast<WORD>(dot != std::string::npos && dot >= name ? dot + 1 : path.size());
  if (dialog.lpstrFileTitle && dialog.nMaxFileTitle > 0) {
    std::snprintf(dialog.lpstrFileTitle, dialog.nMaxFileTitle, "%s", path.c_str() + name);
  }
  if (chosen.filter >= 0) dialog.nFilterIndex = static_cast<DWORD>(chosen.filter + 1);
  if (!(dialog.Flags & OFN_NOCHANGEDIR) && chdir(FolderOf(path).c_str()) != 0) {
    // The choice stands; only the current directory stays where it was.
  }
  lastDialogError = 0;
  return TRUE;
}

}  // namespace

BOOL GetOpenFileNameA(LPOPENFILENAMEA dialog) {
  lastDialogError = 0;
  if (!dialog) return Fail(CDERR_INITIALIZATION);
  if (dialog->lStructSize != sizeof(OPENFILENAMEA) && dialog->lStructSize != kSizeWithoutReserved) {
    return Fail(CDERR_STRUCTSIZE);
  }
  if (!dialog->lpstrFile || dialog->nMaxFile == 0) return Fail(CDERR_INITIALIZATION);
  const plk::portal::FileChoice choice = ChoiceOf(*dialog);
  for (;;) {
    const plk::portal::ChosenFile chosen = plk::portal::ChooseFile(choice);
    switch (chosen.outcome) {
      case plk::portal::Outcome::Cancelled:
      case plk::portal::Outcome::Quit: return FALSE;
      case plk::portal::Outcome::Failed:
        std::fprintf(stderr,
                     "plinkaro: no file dialog: the desktop portal (xdg-desktop-portal with a "
                     "backend such as xdg-desktop-portal-gtk) did not answer\n");
        return Fail(CDERR_DIALOGFAILURE);
      case plk::portal::Outcome::Answered: break;
    }
    if (chosen.path.empty()) return Fail(FNERR_INVALIDFILENAME);
    if (!(dialog->Flags & OFN_FILEMUSTEXIST) || IsFile(chosen.path)) {
      return Deliver(*dialog, chosen);
    }
    RefuseMissing(*dialog, chosen.path, choice.title.c_str());
  }
}

DWORD CommDlgExtendedError(void) { return lastDialogError; }
