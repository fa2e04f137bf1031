// Implements: FindFirstFileA/FindNextFileA/FindClose over one directory with a wildcard
// name pattern ("dir/*.bmp"): '*' and '?' match case-insensitively, as on Windows; the
// matches come in case-insensitive name order (as NTFS lists them), with attributes,
// size and last-write time. Names that do not fit in cFileName are skipped.
// Does not implement: wildcards in directory parts, 8.3 alternate names, FindFirstFileEx.
#include "handle_table.h"
#include "kernel32/last_error.h"

#include <dirent.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using plk::kernel32::SetLastErrorCode;

constexpr std::uint64_t kUnixEpochInFileTime = 116444736000000000ULL;  // 100 ns since 1601

struct Search {
  std::vector<WIN32_FIND_DATAA> found;
  std::size_t next = 0;
};

plk::HandleTable<Search, HANDLE>& Searches() {
  static plk::HandleTable<Search, HANDLE> table(plk::HandleRange::kSearches);
  return table;
}

FILETIME ToFileTime(const timespec& time) {
  const std::uint64_t ticks = kUnixEpochInFileTime +
                              static_cast<std::uint64_t>(time.tv_sec) * 10000000ULL +
                              static_cast<std::uint64_t>(time.tv_nsec) / 100;
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

bool Describe(const std::string& directory, const char* name, WIN32_FIND_DATAA& data) {
  if (std::strlen(name) >= MAX_PATH) return false;
  struct stat status {};
  if (stat((directory + "/" + name).c_str(), &status) != 0) return false;
  data = WIN32_FIND_DATAA{};
  data.dwFileAttributes =
      S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  data.ftLastWriteTime = ToFileTime(status.st_mtim);
  data.ftLastAccessTime = ToFileTime(status.st_atim);
  data.ftCreationTime = data.ftLastWriteTime;
  const auto size = static_cast<std::uint64_t>(status.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size);
  std::strcpy(data.cFileName, name);
  return true;
}

std::vector<WIN32_FIND_DATAA> Match(const std::string& directory, const std::string& pattern) {
  std::vector<WIN32_FIND_DATAA> found;
  DIR* listing = opendir(directory.c_str());
  if (!listing) return found;
  while (const dirent* entry = readdir(listing)) {
    if (fnmatch(pattern.c_str(), entry->d_name, FNM_CASEFOLD | FNM_NOESCAPE) != 0) continue;
    WIN32_FIND_DATAA data;
    if (Describe(directory, entry->d_name, data)) found.push_back(data);
  }
  closedir(listing);
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return strcasecmp(a.cFileName, b.cFileName) < 0; });
  return found;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  if (!pattern || !data) return INVALID_HANDLE_VALUE;
  const std::string path = pattern;
  const auto slash = path.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  Search search{Match(directory.empty() ? "/" : directory, name), 1};
  if (search.found.empty()) {
    SetLastErrorCode(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *data = search.found.front();
  const HANDLE handle = Searches().Add(std::move(search));
  SetLastErrorCode(ERROR_SUCCESS);
  return handle;
}

BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) {
  if (!data) return FALSE;
  const auto next = Searches().With(find, [data](Search& search) {
    if (search.next >= search.found.size()) return FALSE;
    *data = search.found[search.next++];
    return TRUE;
  });
  if (!next) return FALSE;
  if (!*next) SetLastErrorCode(ERROR_NO_MORE_FILES);
  return *next;
}

BOOL FindClose(HANDLE find) { return Searches().Remove(find) ? TRUE : FALSE; }
