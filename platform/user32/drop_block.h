// The HDROP that WM_DROPFILES carries, built by user32 as Windows' does.
#pragma once

#include <shellapi.h>

#include <string>
#include <vector>

namespace plk::user32 {

// A GlobalAlloc'd DROPFILES block holding `files` (the host's encoding, UTF-8 on Linux);
// shell32's DragQueryFileA reads it and DragFinish frees it.
HDROP BuildDropBlock(const std::vector<std::string>& files, POINT point);

}  // namespace plk::user32
