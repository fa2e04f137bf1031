// Files, directory search and the module path against a scratch directory.
#include <gtest/gtest.h>

#include <unistd.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A fresh directory holding the named files with the given contents.
std::string ScratchDirectory(const std::vector<std::pair<std::string, std::string>>& files) {
  const std::string directory = ::testing::TempDir() + "kernel32-" + std::to_string(getpid());
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory + "/d.bmp");
  for (const auto& [name, bytes] : files) std::ofstream(directory + "/" + name) << bytes;
  return directory;
}

TEST(FindFileTest, ListsMatchingNamesCaseInsensitivelyInOrderEachOnce) {
  const std::string directory =
      ScratchDirectory({{"b.bmp", "x"}, {"A.BMP", "xyz"}, {"c.txt", ""}, {"skin.bmp.txt", ""}});
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((directory + "/*.bmp").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::vector<std::string> names = {data.cFileName};
  EXPECT_EQ(data.nFileSizeLow, 3u);
  while (FindNextFileA(find, &data)) names.emplace_back(data.cFileName);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NO_MORE_FILES});
  EXPECT_TRUE(FindClose(find));
  EXPECT_FALSE(FindClose(find));
  EXPECT_EQ(names, (std::vector<std::string>{"A.BMP", "b.bmp", "d.bmp"}));
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(FindFirstFileA((directory + "/*.mid").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
}

TEST(FileTest, ReadsSeeksAndSizesOnlyFilesThatExist) {
  const std::string directory = ScratchDirectory({{"song.mid", "MThd0123456789"}});
  HANDLE file = CreateFileA((directory + "/song.mid").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(file, &high), 14u);
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_END), 10u);
  char buffer[32] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "6789") << "a short read at the end still succeeds";
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(ReadFile(file, buffer, 1, &read, nullptr));
  EXPECT_FALSE(CloseHandle(file));
  for (const std::string& missing : {directory + "/none", directory + "/d.bmp"}) {
    EXPECT_EQ(CreateFileA(missing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
  }
}

TEST(ModuleTest, FileNameIsTheExecutablePath) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  EXPECT_EQ(std::filesystem::path(path), std::filesystem::canonical("/proc/self/exe"));
}

}  // namespace
