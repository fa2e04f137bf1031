// Files that the program reads whole, from their first byte to their last in one read:
// kernel32 reports each, and another part of the platform may look at the bytes (winmm
// prepares the instruments of a song the program has loaded).
#pragma once

#include <cstddef>

namespace plk {

using WholeFileListener = void (*)(const unsigned char* data, std::size_t size);

// One listener for the process; null stops listening.
void ListenToWholeFileReads(WholeFileListener listener);
bool WholeFileReadsListened();
void ReportWholeFileRead(const void* data, std::size_t size);

}  // namespace plk
