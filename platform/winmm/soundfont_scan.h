// The soundfonts installed where Debian's packages and users put them, each file once.
#pragma once

#include <string>
#include <vector>

namespace plk::winmm {

// /usr/share/sounds/sf2, /usr/share/sounds/sf3, $XDG_DATA_HOME/sounds/sf2 (by default
// ~/.local/share/sounds/sf2) and ~/.local/share/soundfonts, in that order.
std::vector<std::string> SoundfontDirectories();

struct FoundSoundfont {
  std::string path;  // the file itself, links resolved
  std::string name;  // its file name
};

// The .sf2 and .sf3 files (any case) in `directories`, each directory's sorted by name,
// each distinct file once, where it was first found; broken links and other files are
// passed over.
std::vector<FoundSoundfont> FindSoundfonts(const std::vector<std::string>& directories);

}  // namespace plk::winmm
