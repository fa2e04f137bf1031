// Files, directory search and the module path against a scratch directory.
#include <gtest/gtest.h>

#include <unistd.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A fresh directory holding the named files with the given contents; gone at exit.
std::string ScratchDirectory(const std::vector<std::pair<std::string, std::string>>& files) {
  static const struct Scratch {
    std::string path = ::testing::TempDir() + "kernel32-" + std::to_string(getpid());
    ~Scratch() { std::filesystem::remove_all(path); }
  } scratch;
  const std::string& directory = scratch.path;
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

TEST(FileTest, NewFilesAndMovesNeverReplaceAName) {
  const std::string directory = ScratchDirectory({{"taken.mid", "old"}});
  const std::string part = directory + "/take.part", taken = directory + "/taken.mid";
  HANDLE file = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "new", 3, &written, nullptr) && FlushFileBuffers(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_EXISTS});
  EXPECT_FALSE(MoveFileA(part.c_str(), taken.c_str()));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ALREADY_EXISTS});
  EXPECT_TRUE(MoveFileA(part.c_str(), (directory + "/free.mid").c_str()));
  std::string kept;
  std::ifstream(taken) >> kept;
  EXPECT_EQ(kept, "old");
  EXPECT_TRUE(DeleteFileA(taken.c_str()));
  EXPECT_FALSE(DeleteFileA(taken.c_str()));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
  // Under a regular file no path exists, whoever asks (root too).
  EXPECT_EQ(CreateFileA((directory + "/free.mid/x").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PATH_NOT_FOUND});
}

TEST(EnvironmentTest, VariablesFoldersAndErrorTextsAnswerAsOnWindows) {
  char text[MAX_PATH];
  setenv("PLK_TEST_VARIABLE", "abc", 1);
  EXPECT_EQ(GetEnvironmentVariableA("PLK_TEST_VARIABLE", text, 4), 3u);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(GetEnvironmentVariableA("PLK_TEST_VARIABLE", text, 3), 4u) << "the size it needs";
  EXPECT_EQ(GetEnvironmentVariableA("PLK_TEST_UNSET", text, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ENVVAR_NOT_FOUND});
  setenv("TMPDIR", "/var/tmp", 1);
  EXPECT_EQ(GetTempPathA(MAX_PATH, text), 9u);
  EXPECT_STREQ(text, "/var/tmp/");
  unsetenv("TMPDIR");
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, text), 0u);
  EXPECT_EQ(std::filesystem::path(text), std::filesystem::current_path());
  const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  EXPECT_EQ(FormatMessageA(flags, nullptr, ERROR_ACCESS_DENIED, 0, text, MAX_PATH, nullptr), 19u);
  EXPECT_STREQ(text, "Access is denied.\r\n");
  EXPECT_EQ(FormatMessageA(flags, nullptr, 99999, 0, text, MAX_PATH, nullptr), 0u);
}

TEST(ModuleTest, FileNameIsTheExecutablePath) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  EXPECT_EQ(std::filesystem::path(path), std::filesystem::canonical("/proc/self/exe"));
}

}  // namespace
