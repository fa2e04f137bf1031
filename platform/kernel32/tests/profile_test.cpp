// Initialization files by their contents: what each write leaves in the file, and what
// each read returns, buffer sizes included.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Write {
  const char* section;
  const char* key;
  const char* value;
};

struct WriteCase {
  const char* before;  // null: no file
  Write write;
  const char* after;  // null: still no file
};

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = ::testing::TempDir() + "profile-" + std::to_string(getpid());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    path_ = folder_ + "/settings.ini";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  void Put(const char* contents) {
    if (contents) std::ofstream(path_, std::ios::binary) << contents;
  }
  std::string Contents() const {
    std::ifstream file(path_, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  std::string folder_, path_;
};

TEST_F(ProfileTest, WritesChangeOnlyTheirLines) {
  const WriteCase cases[] = {
      {nullptr, {"Song", "Folder", "/m"}, "[Song]\nFolder=/m\n"},
      {nullptr, {"Song", "Folder", nullptr}, nullptr},
      {"[song]\nfolder = old ; kept?\n", {"SONG", "Folder", "new"}, "[song]\nfolder=new\n"},
      {"; top\n[A]\nx=1\n\n[B]\ny=2\n", {"a", "z", "3"}, "; top\n[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
      {"[A]\r\nx=1\r\n", {"B", "y", "2"}, "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
      {"[A]\nx=1\n;note\nodd line\n[B]\n", {"A", "x", nullptr}, "[A]\n;note\nodd line\n[B]\n"},
      {"[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n", {"A", nullptr, nullptr}, "[B]\ny=2\n"},
      {"\xEF\xBB\xBFk=0\n[A]\n", {"", "k", "1"}, "\xEF\xBB\xBFk=1\n[A]\n"},
      {"[A]\nx=1", {"A", "x", "1"}, "[A]\nx=1"},
      {"\x01\xFF garbage\n", {"A", "x", "1"}, "\x01\xFF garbage\n[A]\nx=1\n"},
  };
  for (const WriteCase& c : cases) {
    std::filesystem::remove(path_);
    Put(c.before);
    EXPECT_TRUE(
        WritePrivateProfileStringA(c.write.section, c.write.key, c.write.value, path_.c_str()))
        << c.before;
    EXPECT_EQ(std::filesystem::exists(path_), c.after != nullptr) << c.before;
    if (c.after) {
      EXPECT_EQ(Contents(), c.after) << (c.before ? c.before : "no file");
    }
  }
}

struct ReadCase {
  const char* section;
  const char* key;
  const char* fallback;
  DWORD size;
  std::string expected;  // the buffer up to the returned length and what follows it
  DWORD returned;
};

TEST_F(ProfileTest, ReadsAnswerAsDocumented) {
  Put("k=top\n[Keys]\nA = 1 \nb='quoted'\n;c=comment\nd\ne=\n[Other]\n[keys]\nA=hidden\n");
  using namespace std::string_literals;
  const ReadCase cases[] = {
      {"KEYS", "a", "x", 64, "1\0"s, 1},
      {"Keys", "b", "", 64, "quoted\0"s, 6},
      {"Keys", "e", "x", 64, "\0"s, 0},
      {"Keys", "c", "dflt  ", 64, "dflt\0"s, 4},
      {"Keys", ";c", "", 64, "comment\0"s, 7},
      {"Keys", "d", nullptr, 64, "\0"s, 0},
      {"None", "a", "fallback", 5, "fall\0"s, 4},
      {"", "k", "", 64, "top\0"s, 3},
      {nullptr, nullptr, "", 64, "Keys\0Other\0keys\0\0"s, 16},
      {nullptr, nullptr, "", 10, "Keys\0Oth\0\0"s, 8},
      {"keys", nullptr, "", 64, "A\0b\0e\0\0"s, 6},
      {"keys", nullptr, "", 5, "A\0b\0\0"s, 3},
      {"None", nullptr, "", 64, "\0"s, 0},
  };
  for (const ReadCase& c : cases) {
    std::string buffer(c.size, '#');
    EXPECT_EQ(GetPrivateProfileStringA(c.section, c.key, c.fallback, buffer.data(), c.size,
                                       path_.c_str()),
              c.returned)
        << (c.section ? c.section : "null") << " " << (c.key ? c.key : "null");
    EXPECT_EQ(buffer.substr(0, c.expected.size()), c.expected)
        << (c.section ? c.section : "null") << " " << (c.key ? c.key : "null");
  }
}

TEST_F(ProfileTest, NumbersReadAsWindowsReadsThem) {
  Put("[N]\na=42\nb=-3\nc=0x1F\nd=12abc\ne=abc\nf=\n");
  const std::pair<const char*, UINT> cases[] = {
      {"a", 42}, {"b", static_cast<UINT>(-3)}, {"c", 31}, {"d", 12}, {"e", 0}, {"f", 7}, {"g", 7},
  };
  for (const auto& [key, expected] : cases) {
    EXPECT_EQ(GetPrivateProfileIntA("n", key, 7, path_.c_str()), expected) << key;
  }
}

TEST_F(ProfileTest, FilesAreFoundCreatedAndReplacedWhole) {
  setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "v", "bare.ini"));
  std::ifstream bare(folder_ + "/bare.ini");
  EXPECT_TRUE(bare.good()) << "a bare name is a file of the configuration folder";
  unsetenv("XDG_CONFIG_HOME");
  // Its folder is not made; the file keeps its permissions and nothing else is left.
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", (folder_ + "/new/a.ini").c_str()));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PATH_NOT_FOUND});
  Put("[S]\n");
  chmod(path_.c_str(), 0600);
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "v", path_.c_str()));
  struct stat status {};
  stat(path_.c_str(), &status);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);
  // A line break would write a key that nobody gave.
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v\n[X]", path_.c_str()));
  EXPECT_EQ(Contents(), "[S]\nk=v\n");
  // A name the file cannot take reads as defaults and is never replaced.
  std::filesystem::create_directory(folder_ + "/dir.ini");
  char value[8];
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "d", value, 8, (folder_ + "/dir.ini").c_str()), 1u);
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", (folder_ + "/dir.ini").c_str()));
}

TEST_F(ProfileTest, CreateDirectorySaysWhyItCannot) {
  const std::string made = folder_ + "/made";
  EXPECT_TRUE(CreateDirectoryA(made.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(made.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ALREADY_EXISTS});
  Put("");
  EXPECT_FALSE(CreateDirectoryA(path_.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ALREADY_EXISTS});
  EXPECT_FALSE(CreateDirectoryA((folder_ + "/no/sub").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PATH_NOT_FOUND});
}

}  // namespace
