// Implements: finding the soundfonts that the synthesizer is listed with, by file name
// extension, in the directories where Debian's soundfont packages and users put them.
// Does not implement: looking inside the files (a broken one fails when it is opened, with
// its reason) or searching subdirectories.
#include "winmm/soundfont_scan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

namespace plk::winmm {
namespace {

namespace fs = std::filesystem;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool HasSoundfontExtension(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".sf2" || extension == ".sf3";
}

// The names in a directory, sorted, so that the list comes out the same each time.
std::vector<fs::path> SortedEntries(const std::string& directory) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace

std::vector<std::string> SoundfontDirectories() {
  const std::string home = Environment("HOME");
  std::string data = Environment("XDG_DATA_HOME");
  if (data.empty() && !home.empty()) data = home + "/.local/share";
  std::vector<std::string> directories = {"/usr/share/sounds/sf2", "/usr/share/sounds/sf3"};
  if (!data.empty()) directories.push_back(data + "/sounds/sf2");
  if (!home.empty()) directories.push_back(home + "/.local/share/soundfonts");
  return directories;
}

std::vector<FoundSoundfont> FindSoundfonts(const std::vector<std::string>& directories) {
  std::vector<FoundSoundfont> found;
  // A file is its device and inode: links, hard links and bind mounts all lead to one.
  std::set<std::pair<dev_t, ino_t>> seen;
  for (const std::string& directory : directories) {
    for (const fs::path& entry : SortedEntries(directory)) {
      struct stat status;
      if (!HasSoundfontExtension(entry) || ::stat(entry.c_str(), &status) != 0) continue;
      if (!S_ISREG(status.st_mode) || !seen.insert({status.st_dev, status.st_ino}).second) continue;
      std::error_code error;
      const fs::path file = fs::canonical(entry, error);
      if (error) continue;
      found.push_back({file.string(), file.filename().string()});
    }
  }
  return found;
}

}  // namespace plk::winmm
