#include "user32/fresh_pages.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

TEST(FreshPages, MakesPresentTheWholePagesInsideTheRangeAndChangesNoByte) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  constexpr std::size_t kPages = 16;
  auto* memory = static_cast<unsigned char*>(
      mmap(nullptr, kPages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(memory, MAP_FAILED);
  std::memset(memory + 12 * page, 0x5A, page);  // a page with data, inside the range

  // From 100 bytes into page 0 to 100 bytes into page 13: pages 1 to 12 are whole.
  plk::user32::PrepareFreshPages(memory + 100, 13 * page);

  std::vector<unsigned char> resident(kPages);
  ASSERT_EQ(mincore(memory, kPages * page, resident.data()), 0);
  for (std::size_t i = 0; i < kPages; ++i) {
    EXPECT_EQ(resident[i] & 1, i >= 1 && i <= 12 ? 1 : 0) << "page " << i;
  }
  for (std::size_t i = 0; i < page; ++i) ASSERT_EQ(memory[12 * page + i], 0x5A);
  EXPECT_EQ(memory[page], 0);

  plk::user32::PrepareFreshPages(memory + 1, page - 2);  // no whole page: nothing to do
  ASSERT_EQ(mincore(memory, page, resident.data()), 0);
  EXPECT_EQ(resident[0] & 1, 0);
  munmap(memory, kPages * page);
}

}  // namespace
