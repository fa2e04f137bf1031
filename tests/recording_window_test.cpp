// F7 in the real window: the title while recording and after a save, an empty take, a full
// take cut while recording goes on, the end of the session and closing while recording.
#include <filesystem>

#include "common/redraw_queue.h"
#include "midi/take_capture.h"
#include "record/recording.h"
#include "test_support.h"
#include "window_fixture.h"

namespace {

class RecordingWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    f7StartsRecording = TRUE;
  }
  void TearDown() override {
    f7StartsRecording = FALSE;
    WindowTest::TearDown();
    unsetenv("PLINKARO_RECORD_DIR");
    takeLimitSlots = TAKE_LIMIT_SLOTS;
    std::filesystem::remove_all(folder);
  }
  std::string Title() {
    char title[MAX_PATH];
    GetWindowTextA(mainWindow, title, MAX_PATH);
    return title;
  }
  // Each saved take's number of events after the tempo and the instruments, smallest first;
  // a running take's .part counts as its extension.
  std::multiset<size_t> Saved() {
    std::multiset<size_t> counts;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
      counts.insert(
          file.path().extension() == ".part" ? 0 : FileEvents(file.path()).size() - 1 - 3 * 16 - 1);
    }
    return counts;
  }
  const std::string folder = MakeTempFolder();
};

TEST_F(RecordingWindowTest, F7DoesNothingUntilItsOptionIsOn) {
  f7StartsRecording = FALSE;
  Key(VK_F7);
  EXPECT_EQ(RunningTake(), nullptr);
  EXPECT_EQ(Title(), "Plinkaro");
}

TEST_F(RecordingWindowTest, F7RecordsAFullTakeIsCutAndClosingSavesWhatRuns) {
  setenv("PLINKARO_RECORD_DIR", folder.c_str(), 1);
  takeLimitSlots = 4;
  Key(VK_F7);
  EXPECT_EQ(Title(), "Plinkaro - Recording");
  Key(VK_F7);  // nothing played: nothing saved
  EXPECT_EQ(Title(), "Plinkaro");
  Key(VK_F7);
  for (int key : {'Z', 'X'}) {
    Key(key);
    Key(key, false);
  }
  // The recording's timer cuts the full take and leaves the redraw queue alone.
  SendMessageA(mainWindow, WM_TIMER, TAKE_TIMER_ID, 0);
  EXPECT_EQ(Saved(), (std::multiset<size_t>{0, 4})) << "the next take runs in its .part";
  EXPECT_EQ(Title(), "Plinkaro - Recording");
  EXPECT_NE(PendingRedraws(), 0u);
  Key('C');
  Key(VK_F7);
  const std::string saved = Title().substr(sizeof "Plinkaro - Saved " - 1);
  EXPECT_EQ(FileEvents(folder + "/" + saved).size(), 1 + 3 * 16 + 1 + 1u) << saved;
  SendMessageA(mainWindow, WM_TIMER, SAVED_TITLE_TIMER_ID, 0);
  EXPECT_EQ(Title(), "Plinkaro");
  Key(VK_F7);
  Key('B');
  EXPECT_EQ(SendMessageA(mainWindow, WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageA(mainWindow, WM_ENDSESSION, FALSE, 0);  // another program refused: nothing ends
  EXPECT_EQ(Saved(), (std::multiset<size_t>{0, 1, 4}));
  SendMessageA(mainWindow, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(Saved(), (std::multiset<size_t>{1, 1, 4}));
  Key(VK_F7);
  Key('V');
  SendMessageA(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(mainWindow));
  EXPECT_EQ(Saved(), (std::multiset<size_t>{1, 1, 1, 4}));
  EXPECT_EQ(TakeMessageBox(), "");
}

}  // namespace
