// Opening a file or folder with the desktop's application for it, through the XDG desktop
// portal's OpenURI.
#pragma once

#include <windows.h>

#include <string>

namespace plk::portal {

// False when no portal took it (none on the bus, no answer in time, a refusal).
bool OpenWithDesktop(HWND owner, const std::string& path, bool folder);

}  // namespace plk::portal
