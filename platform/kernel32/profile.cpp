// Implements: GetPrivateProfileStringA (a value, a default without its trailing blanks, or
// with a null key the section's key names, with a null section the section names, each
// name ended by a null and the list by another; a value in matching quotes loses them; a
// buffer too small gets what fits and nSize - 1, or nSize - 2 for lists),
// GetPrivateProfileIntA (decimal, or 0x hexadecimal, with a sign; a missing or empty value
// gives the default) and WritePrivateProfileStringA (a null key deletes the section, a
// null value the key; all three null answers FALSE, as after Windows' cache flush). A file name
// without a separator names a file in the configuration folder (xdg_folders.h), where Windows keeps
// such files in its own folder. A write replaces the file whole: a temporary file beside it,
// flushed to the disk, renamed over it, so a crash leaves the old file or the new one. The file is
// created by the first write, its folder is not (ERROR_PATH_NOT_FOUND). A file that cannot be read
// reads as empty, and every read falls back to the default; a write refuses to replace a file it
// could not read. Calls of all threads are serialised.
// Does not implement: the W functions, the registry mapping of win.ini sections, the
// Get/WritePrivateProfileSection and Struct functions, a cache (every call reads the file),
// values spanning lines (a line break in a name or value is refused, it would write keys
// the caller never gave).
#include "kernel32/last_error.h"
#include "kernel32/profile_text.h"
#include "xdg_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace {

using plk::kernel32::ErrorFromErrno;
using plk::kernel32::ProfileText;
using plk::kernel32::SetLastErrorCode;

constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorFileTooLarge = 223;
// Settings files are small; anything larger is not one and reads as empty.
constexpr off_t kLargestProfile = 4 << 20;

std::mutex& ProfileLock() {
  static std::mutex lock;
  return lock;
}

std::string ProfilePath(LPCSTR file) {
  // Windows' default file for the plain profile functions.
  const std::string name = file ? file : "win.ini";
  if (name.find('/') != std::string::npos) return name;
  return plk::ConfigFolder() + "/" + name;
}

// The file's bytes ("" when there is no file); ERROR_SUCCESS or why it cannot be read.
DWORD ReadProfile(const std::string& path, std::string& contents) {
  contents.clear();
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return errno == ENOENT ? ERROR_SUCCESS : ErrorFromErrno(errno);
  struct stat status {};
  DWORD error = ERROR_SUCCESS;
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    error = ERROR_ACCESS_DENIED;
  } else if (status.st_size > kLargestProfile) {
    error = kErrorFileTooLarge;
  }
  char chunk[8192];
  while (error == ERROR_SUCCESS) {
    const ssize_t got = read(descriptor, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = ErrorFromErrno(errno);
    if (got <= 0) break;
    contents.append(chunk, static_cast<std::size_t>(got));
  }
  close(descriptor);
  if (error != ERROR_SUCCESS) contents.clear();
  return error;
}

bool WriteAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = write(descriptor, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A fresh file beside `path` that no other writer uses; -1 with errno when none can be made.
int CreateTemporaryBeside(const std::string& path, std::string& temporary) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path + "." + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
    const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  return -1;
}

// Replaces the file whole; ERROR_SUCCESS or the reason it could not.
DWORD ReplaceProfile(const std::string& path, const std::string& contents) {
  std::string temporary;
  const int descriptor = CreateTemporaryBeside(path, temporary);
  if (descriptor < 0) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno);
  struct stat status {};
  if (stat(path.c_str(), &status) == 0) fchmod(descriptor, status.st_mode & 07777);
  const bool written = WriteAll(descriptor, contents) && fsync(descriptor) == 0;
  const int writeError = errno;
  if (close(descriptor) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = written ? errno : writeError;
    unlink(temporary.c_str());
    return ErrorFromErrno(error);
  }
  // The rename itself reaches the disk with the folder.
  const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return ERROR_SUCCESS;
}

// One string: cut to fit with its terminator, and then nSize - 1.
DWORD CopyString(std::string_view text, LPSTR buffer, DWORD size) {
  const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return count < text.size() ? size - 1 : static_cast<DWORD>(count);
}

// Names each ended by a null, the list by another; when they do not all fit, the last one
// that does is cut, ends in two nulls, and nSize - 2 is returned.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::size_t used = 0;
  for (const std::string& name : names) {
    if (used + name.size() + 2 > size) {
      const std::size_t count = used + 2 <= size ? size - 2 - used : 0;
      std::memcpy(buffer + used, name.data(), count);
      buffer[size - 2] = buffer[size - 1] = '\0';
      return size - 2;
    }
    std::memcpy(buffer + used, name.c_str(), name.size() + 1);
    used += name.size() + 1;
  }
  buffer[used] = '\0';
  return static_cast<DWORD>(used);
}

std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool HasLineBreak(LPCSTR text) { return text && std::strpbrk(text, "\r\n"); }

// Windows' reading of a number: blanks, a sign, then 0x hexadecimal, 0o octal, 0b binary
// or decimal digits up to the first other character, wrapping at 32 bits.
UINT ParseProfileInt(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (text.size() >= 2 && text[0] == '0') {
    const char prefix = static_cast<char>(text[1] | 0x20);
    base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
    if (base != 10) text.remove_prefix(2);
  }
  UINT value = 0;
  for (const char c : text) {
    const int lower = c | 0x20;
    const unsigned digit = c >= '0' && c <= '9' ? static_cast<unsigned>(c - '0')
                           : lower >= 'a'       ? static_cast<unsigned>(lower - 'a' + 10)
                                                : 99;
    if (digit >= base) break;
    value = value * base + digit;
  }
  return negative ? 0u - value : value;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer,
                               DWORD size, LPCSTR file) {
  if (!buffer || size == 0) return 0;
  std::string contents;
  {
    std::lock_guard guard(ProfileLock());
    ReadProfile(ProfilePath(file), contents);
  }
  const ProfileText profile(contents);
  if (!section) return CopyList(profile.SectionNames(), buffer, size);
  if (!key) return CopyList(profile.KeyNames(section), buffer, size);
  if (const auto value = profile.Value(section, key)) {
    return CopyString(WithoutQuotes(*value), buffer, size);
  }
  return CopyString(WithoutTrailingBlanks(fallback ? fallback : ""), buffer, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT fallback, LPCSTR file) {
  if (!section || !key) return static_cast<UINT>(fallback);
  char value[64];
  if (GetPrivateProfileStringA(section, key, "", value, sizeof value, file) == 0) {
    return static_cast<UINT>(fallback);
  }
  return ParseProfileInt(value);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
  if (!section) {
    // All null is Windows' way to flush its cache (there is none here), which answers FALSE.
    if (key || value) SetLastErrorCode(kErrorInvalidParameter);
    return FALSE;
  }
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
    SetLastErrorCode(kErrorInvalidParameter);
    return FALSE;
  }
  const std::string path = ProfilePath(file);
  std::lock_guard guard(ProfileLock());
  std::string contents;
  if (const DWORD error = ReadProfile(path, contents); error != ERROR_SUCCESS) {
    SetLastErrorCode(error);
    return FALSE;
  }
  ProfileText profile(contents);
  if (!key) {
    profile.DeleteSection(section);
  } else if (!value) {
    profile.DeleteKey(section, key);
  } else {
    profile.Set(section, key, value);
  }
  const std::string changed = profile.Text();
  if (changed == ProfileText(contents).Text()) return TRUE;
  if (const DWORD error = ReplaceProfile(path, changed); error != ERROR_SUCCESS) {
    SetLastErrorCode(error);
    return FALSE;
  }
  return TRUE;
}
