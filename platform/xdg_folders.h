// The user's folders as the XDG base directory rules name them on Linux desktops.
#pragma once

#include <string>

namespace plk {

// $HOME, else the password database's home of the user.
std::string HomeFolder();
// $XDG_CONFIG_HOME when it is an absolute path (the rules ignore a relative one), else
// ~/.config. Where settings live; it may not exist yet.
std::string ConfigFolder();

}  // namespace plk
