// Files, directory search, module path and string helpers against a scratch directory.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class ScratchDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kernel32-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(directory); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = directory + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::string directory;
};

}  // namespace

TEST_F(ScratchDirectory, FindListsMatchingNamesCaseInsensitivelyInOrder) {
  Write("b.bmp", "x");
  Write("A.BMP", "xyz");
  Write("c.txt", "");
  Write("skin.bmp.txt", "");
  std::filesystem::create_directory(directory + "/d.bmp");
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((directory + "/*.bmp").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::vector<std::string> names = {data.cFileName};
  EXPECT_EQ(data.nFileSizeLow, 3u);
  while (FindNextFileA(find, &data)) names.emplace_back(data.cFileName);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(find));
  EXPECT_EQ(names, (std::vector<std::string>{"A.BMP", "b.bmp", "d.bmp"}));
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);

  EXPECT_EQ(FindFirstFileA((directory + "/*.mid").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(ScratchDirectory, ReadSeekAndSize) {
  const std::string path = Write("song.mid", "MThd0123456789");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(file, &high), 14u);
  EXPECT_EQ(high, 0u);
  char buffer[32] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, 4, &read, nullptr));
  EXPECT_EQ(read, 4u);
  EXPECT_STREQ(buffer, "MThd");
  EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_END), 12u);
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 2u) << "a short read at the end still succeeds";
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));
}

TEST_F(ScratchDirectory, MissingFilesAndDirectoriesDoNotOpen) {
  EXPECT_EQ(CreateFileA((directory + "/none").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                        nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(CreateFileA(directory.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
}

TEST(ModuleTest, FileNameIsTheExecutablePathCutToTheBuffer) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::filesystem::path(path), std::filesystem::canonical("/proc/self/exe"));
  char small[5];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 5u);
  EXPECT_EQ(std::strlen(small), 4u);
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
}

TEST(StringTest, WindowsSizesAndTruncation) {
  char buffer[64];
  EXPECT_EQ(wsprintfA(buffer, "%ld-%lu-%d-%s-%02x", LONG{-5}, DWORD{7}, 3, "ok", 10), 12);
  EXPECT_STREQ(buffer, "-5-7-3-ok-0a");
  lstrcpynA(buffer, "abcdef", 4);
  EXPECT_STREQ(buffer, "abc");
  const char* path = "dir/file";
  EXPECT_EQ(CharPrevA(path, path + 4), path + 3);
  EXPECT_EQ(CharPrevA(path, path), path);
  EXPECT_EQ(CharNextA(path + 8), path + 8);
  EXPECT_FALSE(IsDBCSLeadByte(0x83));
}
