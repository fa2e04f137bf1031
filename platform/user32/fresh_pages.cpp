#include "user32/fresh_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace plk::user32 {

void PrepareFreshPages(void* start, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  static const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  // madvise takes whole pages: the partial ones at the ends fault as usual.
  const auto first = (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
  const auto end = (reinterpret_cast<std::uintptr_t>(start) + bytes) / page * page;
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
  (void)start;
  (void)bytes;
#endif
}

}  // namespace plk::user32
