// Implements: ShellExecuteA with "open" (or the default, null, operation) on an existing file
// or folder, relative to `directory` when given: through the desktop portal's OpenURI, or,
// where no portal takes it, xdg-open started on its own. Windows' answers: a value above 32
// when the opener started, SE_ERR_FNF/SE_ERR_PNF for a missing file or folder,
// SE_ERR_ACCESSDENIED, SE_ERR_NOASSOC for other operations or when nothing can open it.
// Does not implement: running programs with parameters, URLs, "edit", "print", "explore",
// the show command (the application decides how it shows).
#include "portal/open_uri.h"

#include <shellapi.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <thread>

extern char** environ;

namespace {

HINSTANCE ShellResult(INT_PTR code) { return reinterpret_cast<HINSTANCE>(code); }

// Started and left to run; its exit is collected so that it leaves no zombie.
bool StartXdgOpen(const std::string& path) {
  char program[] = "xdg-open";
  std::string argument = path;
  char* arguments[] = {program, argument.data(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, program, nullptr, nullptr, arguments, environ) != 0) return false;
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
  return true;
}

}  // namespace

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR directory, INT) {
  if (operation && strcasecmp(operation, "open") != 0) return ShellResult(SE_ERR_NOASSOC);
  if (!file || !*file) return ShellResult(SE_ERR_FNF);
  std::string path = file;
  if (path[0] != '/' && directory && *directory) path = std::string(directory) + "/" + path;
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    if (errno == EACCES) return ShellResult(SE_ERR_ACCESSDENIED);
    return ShellResult(errno == ENOENT ? SE_ERR_FNF : SE_ERR_PNF);
  }
  constexpr INT_PTR kStarted = 42;  // any value above 32 says so
  if (plk::portal::OpenWithDesktop(owner, path, S_ISDIR(status.st_mode))) {
    return ShellResult(kStarted);
  }
  return ShellResult(StartXdgOpen(path) ? kStarted : SE_ERR_NOASSOC);
}
