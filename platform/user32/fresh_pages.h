// Memory about to be written whole for the first time (a window's pixels). The pages are
// made present in one call rather than one fault at a time, which in a virtual machine
// costs several microseconds a page: half the time of a first fill of a window's worth.
#pragma once

#include <cstddef>

namespace plk::user32 {

// Best effort: a kernel older than 5.14 leaves the pages to their faults.
void PrepareFreshPages(void* start, std::size_t bytes);

}  // namespace plk::user32
