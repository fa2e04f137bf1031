// Implements: the home and configuration folders of the XDG base directory rules.
// Does not implement: the data, cache and state folders, XDG_CONFIG_DIRS.
#include "xdg_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace plk {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  const passwd* user = getpwuid(getuid());
  return user && user->pw_dir ? user->pw_dir : "/";
}

std::string ConfigFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
    return config;
  }
  return HomeFolder() + "/.config";
}

}  // namespace plk
