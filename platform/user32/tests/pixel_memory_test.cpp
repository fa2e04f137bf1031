#include "user32/pixel_memory.h"

#include <gtest/gtest.h>
#include <sanitizer/asan_interface.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#ifndef __has_feature
#define __has_feature(feature) 0
#endif

namespace {

using plk::user32::PixelMemory;

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// The VmFlags line of /proc/self/smaps for the mapping that holds `address`.
std::string FlagsOfMappingAt(const void* address) {
  std::ifstream smaps("/proc/self/smaps");
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  bool inside = false;
  for (std::string line; std::getline(smaps, line);) {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    if (std::sscanf(line.c_str(), "%lx-%lx ", &start, &end) == 2) {
      inside = at >= start && at < end;
    } else if (inside && line.rfind("VmFlags:", 0) == 0) {
      return line;
    }
  }
  return "";
}

bool Holds(const PixelMemory& memory, std::size_t bytes, unsigned char value) {
  const auto* data = static_cast<const unsigned char*>(memory.Data());
  for (std::size_t i = 0; i < bytes; ++i) {
    if (data[i] != value) return false;
  }
  return true;
}

TEST(PixelMemory, KeepsWhatFitsAcrossPageAndHugePageBlocks) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  PixelMemory memory;
  ASSERT_TRUE(memory.Resize(100000));
  EXPECT_EQ(memory.Mapped(), (100000 + page - 1) / page * page);
  EXPECT_TRUE(Holds(memory, 100000, 0));
  std::memset(memory.Data(), 0x11, 100000);

  ASSERT_TRUE(memory.Resize(3 << 20));  // a huge-page block: aligned, whole huge pages
  EXPECT_EQ(memory.Mapped(), 2 * kHugePage);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory.Data()) % kHugePage, 0u);
  EXPECT_TRUE(Holds(memory, 100000, 0x11));
  EXPECT_EQ(static_cast<unsigned char*>(memory.Data())[100000], 0);
  std::memset(memory.Data(), 0x22, 3 << 20);

  ASSERT_TRUE(memory.Resize(3 << 19));  // one huge page fewer: copied, the front kept
  EXPECT_EQ(memory.Mapped(), kHugePage);
  EXPECT_TRUE(Holds(memory, 3 << 19, 0x22));
#if __has_feature(address_sanitizer) || defined(__SANITIZE_ADDRESS__)
  // As past a malloc'd block's end, the rounding is out of bounds.
  EXPECT_TRUE(__asan_address_is_poisoned(static_cast<char*>(memory.Data()) + (3 << 19)));
  EXPECT_FALSE(__asan_address_is_poisoned(static_cast<char*>(memory.Data()) + (3 << 19) - 1));
#endif
  void* const before = memory.Data();
  ASSERT_TRUE(memory.Resize(kHugePage / 2 + 1));  // the same huge page: nothing moves
  EXPECT_EQ(memory.Data(), before);

  ASSERT_TRUE(memory.Resize(page));  // back to ordinary pages
  EXPECT_EQ(memory.Mapped(), page);
  EXPECT_TRUE(Holds(memory, page, 0x22));

  // More than can be mapped: refused, and the block is as it was.
  EXPECT_FALSE(memory.Resize(SIZE_MAX / 4));
  EXPECT_EQ(memory.Mapped(), page);
  EXPECT_TRUE(Holds(memory, page, 0x22));

  ASSERT_TRUE(memory.Resize(0));
  EXPECT_EQ(memory.Data(), nullptr);
  EXPECT_EQ(memory.Mapped(), 0u);
}

TEST(PixelMemory, AsksForHugePagesOnlyForLargeBlocks) {
  // The kernel marks an advised mapping "hg" whenever it was built with huge pages, even
  // while they are switched off.
  const bool kernelHasThem = std::filesystem::exists("/sys/kernel/mm/transparent_hugepage");
  PixelMemory large;
  ASSERT_TRUE(large.Resize(512 * 768 * 4));
  const std::string largeFlags = FlagsOfMappingAt(large.Data());
  ASSERT_FALSE(largeFlags.empty());
  EXPECT_EQ(largeFlags.find(" hg") != std::string::npos, kernelHasThem) << largeFlags;

  PixelMemory small;
  ASSERT_TRUE(small.Resize(200 * 300 * 4));
  const std::string smallFlags = FlagsOfMappingAt(small.Data());
  ASSERT_FALSE(smallFlags.empty());
  EXPECT_EQ(smallFlags.find(" hg"), std::string::npos) << smallFlags;
}

}  // namespace
