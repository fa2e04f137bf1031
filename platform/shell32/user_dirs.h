// The user's folders named in $XDG_CONFIG_HOME/user-dirs.dirs (XDG_MUSIC_DIR="$HOME/Music").
#pragma once

#include <string>
#include <string_view>

namespace plk::shell32 {

// The folder the file's contents give `key`, with $HOME as `home`; empty when it names none.
std::string UserDirFromFile(std::string_view contents, std::string_view key,
                            const std::string& home);
// The folder of `key`, else the home folder's `fallback` subfolder.
std::string UserDir(std::string_view key, const char* fallback);

}  // namespace plk::shell32
