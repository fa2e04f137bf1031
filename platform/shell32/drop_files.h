// Dropped-file lists behind HDROP handles; user32 creates them from host drop events.
#pragma once

#include <shellapi.h>

#include <string>
#include <vector>

namespace plk::shell32 {

HDROP CreateDrop(std::vector<std::string> files, POINT point);

}  // namespace plk::shell32
