// Implements: SHGetFolderPathA for CSIDL_APPDATA (the XDG configuration folder,
// $XDG_CONFIG_HOME or ~/.config) and CSIDL_MYMUSIC (XDG_MUSIC_DIR of the user's
// user-dirs.dirs, else ~/Music), with CSIDL_FLAG_CREATE making the folder and its parents;
// S_FALSE, as the A function of Windows answers, for a folder that does not exist (the
// path is filled all the same); E_INVALIDARG for other folders.
// Does not implement: other CSIDLs, SHGFP_TYPE_DEFAULT (the current path is the answer),
// access tokens, the known-folder functions.
#include "shell32/user_dirs.h"
#include "xdg_folders.h"

#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace plk::shell32 {

std::string UserDirFromFile(std::string_view contents, std::string_view key,
                            const std::string& home) {
  std::istringstream lines{std::string(contents)};
  std::string line, found;
  while (std::getline(lines, line)) {
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    const std::string_view entry = std::string_view(line).substr(start);
    if (entry.substr(0, key.size()) != key || entry.substr(key.size(), 2) != "=\"") continue;
    std::string value;
    bool closed = false;
    for (std::size_t i = key.size() + 2; i < entry.size() && !closed; ++i) {
      if (entry[i] == '\\' && i + 1 < entry.size()) {
        value += entry[++i];
      } else if (entry[i] == '"') {
        closed = true;
      } else {
        value += entry[i];
      }
    }
    // Only "$HOME/..." and absolute paths are allowed there.
    if (!closed) continue;
    if (value == "$HOME" || value.rfind("$HOME/", 0) == 0) {
      found = home + value.substr(5);
    } else if (!value.empty() && value[0] == '/') {
      found = value;
    }
  }
  return found;
}

std::string UserDir(std::string_view key, const char* fallback) {
  std::ifstream file(ConfigFolder() + "/user-dirs.dirs");
  std::ostringstream contents;
  contents << file.rdbuf();
  const std::string home = HomeFolder();
  const std::string found = UserDirFromFile(contents.str(), key, home);
  return found.empty() ? home + "/" + fallback : found;
}

}  // namespace plk::shell32

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
  if (!path) return E_INVALIDARG;
  path[0] = '\0';
  std::string found;
  switch (folder & 0xFF) {
    case CSIDL_APPDATA: found = plk::ConfigFolder(); break;
    case CSIDL_MYMUSIC: found = plk::shell32::UserDir("XDG_MUSIC_DIR", "Music"); break;
    default: return E_INVALIDARG;
  }
  if (found.size() >= MAX_PATH) return E_FAIL;
  std::error_code error;
  if (folder & CSIDL_FLAG_CREATE) std::filesystem::create_directories(found, error);
  std::memcpy(path, found.c_str(), found.size() + 1);
  return std::filesystem::is_directory(found, error) ? S_OK : S_FALSE;
}
