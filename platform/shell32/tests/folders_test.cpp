// The user's folders: user-dirs.dirs read as the XDG tools write it, and SHGetFolderPathA's
// answers for folders that exist, do not, and are made.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <unistd.h>

#include "shell32/user_dirs.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

TEST(UserDirsTest, ReadsTheLastValidLineOfTheKey) {
  const std::pair<const char*, const char*> cases[] = {
      {"XDG_MUSIC_DIR=\"$HOME/Music\"\n", "/h/Music"},
      {"# XDG_MUSIC_DIR=\"/old\"\n  XDG_MUSIC_DIR=\"/srv/m\\\"x\"\n", "/srv/m\"x"},
      {"XDG_MUSIC_DIR=\"$HOME/A\"\nXDG_MUSIC_DIR=\"$HOME/B\"\n", "/h/B"},
      {"XDG_MUSIC_DIR=\"$HOME\"\n", "/h"},
      {"XDG_MUSIC_DIR=\"relative\"\nXDG_MUSIC_DIRS=\"/x\"\nXDG_MUSIC_DIR=/bare\n", ""},
      {"XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n", ""},
  };
  for (const auto& [file, folder] : cases) {
    EXPECT_EQ(plk::shell32::UserDirFromFile(file, "XDG_MUSIC_DIR", "/h"), folder) << file;
  }
}

TEST(FolderPathTest, SettingsAndMusicFoldersFollowTheXdgVariables) {
  const std::string home = ::testing::TempDir() + "folders-" + std::to_string(getpid());
  std::filesystem::remove_all(home);
  std::filesystem::create_directories(home + "/config");
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  char path[MAX_PATH];
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path), S_FALSE);
  EXPECT_EQ(path, home + "/.config") << "not there yet";
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_MYMUSIC | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
  EXPECT_EQ(path, home + "/Music");
  EXPECT_TRUE(std::filesystem::is_directory(path));
  setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
  std::ofstream(home + "/config/user-dirs.dirs") << "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n";
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path), S_OK);
  EXPECT_EQ(path, home + "/config");
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_MYMUSIC, nullptr, 0, path), S_FALSE);
  EXPECT_EQ(path, home + "/Tunes");
  setenv("XDG_CONFIG_HOME", "relative", 1);
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path), S_FALSE);
  EXPECT_EQ(path, home + "/.config") << "a relative XDG_CONFIG_HOME is ignored";
  EXPECT_EQ(SHGetFolderPathA(nullptr, 0x0005, nullptr, 0, path), E_INVALIDARG);
  unsetenv("XDG_CONFIG_HOME");
  std::filesystem::remove_all(home);
}

}  // namespace
