#include "user32/pixel_memory.h"

#include "user32/fresh_pages.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace plk::user32 {
namespace {

// The huge page size of x86-64 and of arm64 with 4 KB pages. A block of at least half of it
// is worth one: at most half of what it maps is slack.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kHugeFrom = kHugePage / 2;

std::size_t RoundedUp(std::size_t bytes, std::size_t unit) {
  return (bytes + unit - 1) / unit * unit;
}

std::size_t Granule(std::size_t bytes) {
  static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return bytes >= kHugeFrom ? kHugePage : page;
}

// A block of `bytes` (a whole number of granules) starting on a granule; null if none.
void* MapBlock(std::size_t bytes) {
  const std::size_t align = Granule(bytes);
  const std::size_t reserved = bytes + align;
  void* mapped =
      mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto base = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t start = RoundedUp(base, align);
  if (start > base) munmap(mapped, start - base);
  const std::uintptr_t end = base + reserved;
  if (end > start + bytes) munmap(reinterpret_cast<void*>(start + bytes), end - start - bytes);
  auto* block = reinterpret_cast<void*>(start);
#ifdef MADV_HUGEPAGE
  // Refused where the kernel has huge pages off; the block then has ordinary ones.
  if (align == kHugePage) madvise(block, bytes, MADV_HUGEPAGE);
#endif
  PrepareFreshPages(block, bytes);
  return block;
}

}  // namespace

PixelMemory::~PixelMemory() { Release(); }

bool PixelMemory::Resize(std::size_t bytes) {
  const std::size_t wanted = bytes == 0 ? 0 : RoundedUp(bytes, Granule(bytes));
  if (wanted != mapped_) {
    void* block = wanted == 0 ? nullptr : MapBlock(wanted);
    if (wanted != 0 && !block) return false;
    if (block && start_) std::memcpy(block, start_, std::min(bytes_, bytes));
    Release();
    start_ = block;
    mapped_ = wanted;
  }
  bytes_ = bytes;
  // Under AddressSanitizer the rounding is out of bounds, as past the end of a malloc'd block.
  ASAN_UNPOISON_MEMORY_REGION(start_, bytes_);
  ASAN_POISON_MEMORY_REGION(static_cast<char*>(start_) + bytes_, mapped_ - bytes_);
  return true;
}

void PixelMemory::Release() {
  if (!start_) return;
  ASAN_UNPOISON_MEMORY_REGION(start_, mapped_);
  munmap(start_, mapped_);
  start_ = nullptr;
  mapped_ = 0;
  bytes_ = 0;
}

}  // namespace plk::user32
