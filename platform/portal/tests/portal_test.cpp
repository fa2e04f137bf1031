// The desktop's dialogs and openers against a stand-in portal on a private session bus: a
// chosen file, a cancel, a portal that never answers, and no portal at all.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <unistd.h>

#include "portal/file_chooser.h"
#include "portal/testing/private_bus.h"
#include "user32/testing/message_boxes.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

using plk::testing::PrivateBus;
using plk::testing::SpawnProgram;
using plk::testing::StopProgram;
using ::testing::HasSubstr;

class PortalTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    bus_ = std::make_unique<PrivateBus>(PLK_PORTAL_TESTING "/private_bus.conf");
    ASSERT_FALSE(bus_->address().empty()) << "dbus-daemon gave no address";
    setenv("DBUS_SESSION_BUS_ADDRESS", bus_->address().c_str(), 1);
  }
  static void TearDownTestSuite() { bus_.reset(); }
  void SetUp() override {
    folder_ = ::testing::TempDir() + "portal-" + std::to_string(getpid());
    std::filesystem::create_directories(folder_ + "/My Songs");
    std::ofstream(folder_ + "/My Songs/a song.MID") << "MThd";
  }
  void TearDown() override {
    StopProgram(portal_);
    std::filesystem::remove_all(folder_);
  }

  // Starts the stand-in with its answers and waits until it owns the portal's name.
  void StartPortal(const std::string& answers) {
    portal_ = SpawnProgram(
        {"/usr/bin/python3", PLK_PORTAL_TESTING "/stand_in_portal.py", folder_ + "/log", answers});
    ASSERT_TRUE(bus_->WaitForName("org.freedesktop.portal.Desktop"))
        << "the stand-in portal did not start";
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

  static inline std::unique_ptr<PrivateBus> bus_;
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
  StopProgram(portal_);
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
