// The desktop's dialogs and openers against a stand-in portal on a private session bus: a
// chosen file, a cancel, a portal that never answers, and no portal at all.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include "portal/file_chooser.h"
#include "user32/testing/message_boxes.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

using ::testing::HasSubstr;

pid_t Spawn(std::vector<std::string> arguments, posix_spawn_file_actions_t* actions = nullptr) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

void Stop(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

class PortalTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    int address[2];
    ASSERT_EQ(pipe(address), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, address[1], 3);
    bus_ = Spawn({"dbus-daemon", "--config-file=" PLK_PORTAL_TESTING "/private_bus.conf",
                  "--nofork", "--print-address=3"},
                 &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(address[1]);
    std::string line;
    char c;
    while (read(address[0], &c, 1) == 1 && c != '\n') line += c;
    close(address[0]);
    ASSERT_FALSE(line.empty()) << "dbus-daemon gave no address";
    setenv("DBUS_SESSION_BUS_ADDRESS", line.c_str(), 1);
  }
  static void TearDownTestSuite() { Stop(bus_); }
  void SetUp() override {
    folder_ = ::testing::TempDir() + "portal-" + std::to_string(getpid());
    std::filesystem::create_directories(folder_ + "/My Songs");
    std::ofstream(folder_ + "/My Songs/a song.MID") << "MThd";
  }
  void TearDown() override {
    Stop(portal_);
    std::filesystem::remove_all(folder_);
  }

  // Starts the stand-in with its answers and waits until it owns the portal's name.
  void StartPortal(const std::string& answers) {
    portal_ = Spawn(
        {"/usr/bin/python3", PLK_PORTAL_TESTING "/stand_in_portal.py", folder_ + "/log", answers});
    sd_bus* bus = nullptr;
    ASSERT_GE(sd_bus_open_user(&bus), 0);
    int owned = 0;
    for (int tries = 0; tries < 1000 && !owned; ++tries) {
      sd_bus_message* reply = nullptr;
      if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                             "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s",
                             "org.freedesktop.portal.Desktop") >= 0) {
        sd_bus_message_read(reply, "b", &owned);
      }
      sd_bus_message_unref(reply);
      if (!owned) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    sd_bus_flush_close_unref(bus);
    ASSERT_TRUE(owned) << "the stand-in portal did not start";
  }
  std::string Log() const {
    std::ifstream file(folder_ + "/log");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  std::string Uri(const std::string& path) const {
    std::string uri = "file://";
    for (const char c : folder_ + path) uri += c == ' ' ? std::string("%20") : std::string(1, c);
    return uri;
  }

  static inline pid_t bus_ = -1;
  pid_t portal_ = -1;
  std::string folder_;
};

struct Dialog {
  char file[MAX_PATH] = "";
  char title[MAX_PATH] = "";
  OPENFILENAMEA open{};
  explicit Dialog(DWORD flags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR) {
    open.lStructSize = sizeof open;
    open.lpstrFilter = "MIDI Files\0*.mid;*.midi\0All Files\0*.*\0";
    open.nFilterIndex = 1;
    open.lpstrFile = file;
    open.nMaxFile = sizeof file;
    open.lpstrFileTitle = title;
    open.nMaxFileTitle = sizeof title;
    open.lpstrTitle = "Open Song";
    open.Flags = flags;
  }
};

TEST_F(PortalTest, OpenFileGivesTheChosenFileItsNameAndFilter) {
  StartPortal(R"([{"uri": ")" + Uri("/My Songs/a song.MID") + R"(", "filter": 1}])");
  Dialog dialog;
  ASSERT_TRUE(GetOpenFileNameA(&dialog.open));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  const std::string path = folder_ + "/My Songs/a song.MID";
  EXPECT_EQ(dialog.file, path);
  EXPECT_STREQ(dialog.title, "a song.MID");
  EXPECT_EQ(dialog.open.nFileOffset, path.size() - 10);
  EXPECT_EQ(dialog.open.nFileExtension, path.size() - 3);
  EXPECT_EQ(dialog.open.nFilterIndex, 2u);
  const std::string log = Log();
  EXPECT_THAT(log, HasSubstr(R"("title": "Open Song")"));
  EXPECT_THAT(log, HasSubstr(R"("filters": [["MIDI Files", [[0, "*.[mM][iI][dD]"], )"));
  EXPECT_THAT(log, HasSubstr(R"(["All Files", [[0, "*"]]]])"));
  EXPECT_THAT(log, HasSubstr(R"("current_filter": ["MIDI Files")"));
  EXPECT_THAT(log, HasSubstr(R"("modal": true)"));
}

TEST_F(PortalTest, AMissingFileIsRefusedAndASmallBufferSaysWhatItNeeds) {
  StartPortal(R"([{"uri": ")" + Uri("/gone.mid") + R"("}, {"uri": ")" +
              Uri("/My Songs/a song.MID") + R"("}, {"uri": ")" + Uri("/My Songs/a song.MID") +
              R"("}])");
  plk::user32::testing::InterceptMessageBoxes(true);
  Dialog dialog;
  ASSERT_TRUE(GetOpenFileNameA(&dialog.open));
  const auto boxes = plk::user32::testing::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_THAT(boxes[0].text, HasSubstr("gone.mid\nFile not found."));
  plk::user32::testing::InterceptMessageBoxes(false);
  dialog.open.nMaxFile = 8;
  EXPECT_FALSE(GetOpenFileNameA(&dialog.open));
  EXPECT_EQ(CommDlgExtendedError(), DWORD{FNERR_BUFFERTOOSMALL});
  WORD needed = 0;
  std::memcpy(&needed, dialog.file, sizeof needed);
  EXPECT_EQ(needed, folder_.size() + 21);
}

TEST_F(PortalTest, CancelSilenceAndNoPortalFailAsWindowsDoes) {
  StartPortal(R"(["cancel", "silent"])");
  Dialog dialog;
  EXPECT_FALSE(GetOpenFileNameA(&dialog.open));
  EXPECT_EQ(CommDlgExtendedError(), 0u) << "a cancel is no error";
  // The thread's timers go on while the dialog is waited for.
  static int ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
  EXPECT_FALSE(GetOpenFileNameA(&dialog.open));
  EXPECT_EQ(CommDlgExtendedError(), DWORD{CDERR_DIALOGFAILURE});
  KillTimer(nullptr, timer);
  EXPECT_GT(ticks, 10);
  Stop(portal_);
  EXPECT_FALSE(GetOpenFileNameA(&dialog.open));
  EXPECT_EQ(CommDlgExtendedError(), DWORD{CDERR_DIALOGFAILURE});
  char path[MAX_PATH];
  BROWSEINFOA browse{};
  EXPECT_EQ(SHBrowseForFolderA(&browse), nullptr);
  EXPECT_FALSE(SHGetPathFromIDListA(nullptr, path));
}

TEST_F(PortalTest, FoldersAreChosenAndOpenedThroughThePortal) {
  StartPortal(R"([{"uri": ")" + Uri("/My Songs") + R"("}])");
  char name[MAX_PATH] = "";
  BROWSEINFOA browse{};
  browse.pszDisplayName = name;
  browse.lpszTitle = "Song folder";
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
  ASSERT_NE(chosen, nullptr);
  char path[MAX_PATH] = "";
  EXPECT_TRUE(SHGetPathFromIDListA(chosen, path));
  CoTaskMemFree(chosen);
  EXPECT_EQ(path, folder_ + "/My Songs");
  EXPECT_STREQ(name, "My Songs");
  EXPECT_THAT(Log(), HasSubstr(R"("directory": true)"));
  const auto opened = [](const char* file, const char* folder) {
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", file, nullptr, folder, 1));
  };
  EXPECT_GT(opened(folder_.c_str(), nullptr), 32);
  EXPECT_GT(opened("a song.MID", (folder_ + "/My Songs").c_str()), 32);
  EXPECT_EQ(opened("none.mid", folder_.c_str()), SE_ERR_FNF);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "print", path, "", "", 1)),
            SE_ERR_NOASSOC);
  EXPECT_THAT(Log(), HasSubstr(R"("call": "OpenURI.OpenDirectory", "parent": "", "path": ")" +
                               folder_ + "\"}"));
  EXPECT_THAT(Log(), HasSubstr(R"("call": "OpenURI.OpenFile", "parent": "", "path": ")" + folder_ +
                               "/My Songs/a song.MID\"}"));
}

TEST(FileUriTest, LocalUrisArePercentDecodedOthersRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"file:///home/u/My%20Song%C3%A9.mid", "/home/u/My Song\xC3\xA9.mid"},
      {"file://localhost/a%2fb", "/a/b"},
      {"file://server/share/a.mid", ""},
      {"sftp:///a.mid", ""},
      {"file:///a%2", ""},
      {"file:///a%00b", ""},
  };
  for (const auto& [uri, path] : cases) EXPECT_EQ(plk::portal::PathOfFileUri(uri), path) << uri;
  EXPECT_EQ(plk::portal::PortalGlob("*.Mid"), "*.[mM][iI][dD]");
  EXPECT_EQ(plk::portal::PortalGlob("*.*"), "*");
}

}  // namespace
