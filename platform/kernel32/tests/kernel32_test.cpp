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

// Each row: the share mode of a handle that stays open, then a second open's share mode,
// creation and whether Windows lets it through.
TEST(FileTest, ShareModesRefuseWhatWindowsRefuses) {
  struct Row {
    DWORD heldShare, share, creation;
    bool opens;
  } const rows[] = {
      {0, 0, OPEN_EXISTING, false},
      {0, FILE_SHARE_READ, OPEN_EXISTING, false},
      {0, FILE_SHARE_READ, CREATE_ALWAYS, false},
      {FILE_SHARE_READ, 0, OPEN_EXISTING, false},
      {FILE_SHARE_READ, FILE_SHARE_READ, OPEN_EXISTING, true},
      {FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, true},
  };
  for (const Row& row : rows) {
    const std::string path = ScratchDirectory({{"take.part", "kept"}}) + "/take.part";
    const DWORD access = GENERIC_READ | GENERIC_WRITE;
    HANDLE held =
        CreateFileA(path.c_str(), access, row.heldShare, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HANDLE second = CreateFileA(path.c_str(), access, row.share, nullptr, row.creation, 0, nullptr);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, row.opens) << row.heldShare << " " << row.share;
    const DWORD error = GetLastError();
    if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
    EXPECT_EQ(error, row.opens ? DWORD{ERROR_SUCCESS} : DWORD{ERROR_SHARING_VIOLATION});
    EXPECT_EQ(GetFileSize(held, nullptr), 4u) << "a refused CREATE_ALWAYS truncates nothing";
    EXPECT_TRUE(CloseHandle(held));
    HANDLE again = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << "closing the handle ends its hold";
    CloseHandle(again);
  }
}

TEST(FileTest, SetEndOfFileCutsAtThePointer) {
  const std::string path = ScratchDirectory({{"a.part", "0123456789"}}) + "/a.part";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  EXPECT_EQ(SetFilePointer(file, 4, nullptr, FILE_BEGIN), 4u);
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(GetFileSize(file, nullptr), 4u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(SetEndOfFile(file));
}

DWORD WINAPI SetWhenReleased(LPVOID parameter) {
  auto* events = static_cast<HANDLE*>(parameter);
  WaitForSingleObject(events[0], INFINITE);
  SetEvent(events[1]);
  return 0;
}

// A thread's handle is signalled once it has returned; an auto-reset event is reset by the
// wait it ends, a manual-reset one only by ResetEvent.
TEST(ThreadTest, WaitsEndAsWindowsEndsThem) {
  HANDLE events[2] = {CreateEventA(nullptr, FALSE, FALSE, nullptr),
                      CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  HANDLE thread = CreateThread(nullptr, 0, SetWhenReleased, events, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 0), DWORD{WAIT_TIMEOUT});
  EXPECT_TRUE(SetEvent(events[0]));
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), DWORD{WAIT_OBJECT_0});
  EXPECT_EQ(WaitForSingleObject(events[0], 0), DWORD{WAIT_TIMEOUT}) << "the thread's wait reset it";
  for (int i = 0; i < 2; i++) EXPECT_EQ(WaitForSingleObject(events[1], 0), DWORD{WAIT_OBJECT_0});
  EXPECT_TRUE(ResetEvent(events[1]));
  EXPECT_EQ(WaitForSingleObject(events[1], 1), DWORD{WAIT_TIMEOUT});
  for (HANDLE handle : {thread, events[0], events[1]}) {
    EXPECT_TRUE(CloseHandle(handle));
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), 6u) << "ERROR_INVALID_HANDLE";
    EXPECT_FALSE(CloseHandle(handle));
  }
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
