// The desktop's own file and folder dialogs, through the XDG desktop portal's FileChooser.
#pragma once

#include <windows.h>

#include "portal/portal_request.h"

#include <string>
#include <string_view>
#include <vector>

namespace plk::portal {

struct FileFilter {
  std::string name;
  std::vector<std::string> patterns;  // Windows wildcards: "*.mid", "*.*"
};

struct FileChoice {
  HWND owner = nullptr;  // its top-level window parents the dialog and is disabled meanwhile
  std::string title;
  bool folder = false;  // choose a folder instead of a file
  std::vector<FileFilter> filters;
  int currentFilter = -1;   // index into filters; -1 for none
  std::string startFolder;  // empty for the portal's choice
};

struct ChosenFile {
  Outcome outcome = Outcome::Failed;
  std::string path;  // empty when the answer named no local file
  int filter = -1;   // the filter the user had chosen, when the portal says
};

ChosenFile ChooseFile(const FileChoice& choice);

// The local path of a file:// URI, percent-decoded; empty for any other URI.
std::string PathOfFileUri(std::string_view uri);
// A Windows wildcard as a glob that matches letters of either case, as Windows does.
std::string PortalGlob(std::string_view pattern);

}  // namespace plk::portal
