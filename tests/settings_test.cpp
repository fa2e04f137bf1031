// The recent songs, and the remembered choices through the settings file: a round trip,
// the file written only once a choice is made, a spoilt file and one that cannot be written.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/remembered_choices.h"
#include "common/problem_log.h"
#include "common/settings.h"
#include "display/skin.h"
#include "display/skin_files.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "record/record_folder.h"
#include "record/recording.h"
#include "song/recent_songs.h"
#include "test_support.h"

namespace {

std::string Recent() {
  std::string list;
  for (DWORD i = 0; i < recentSongCount; i++) {
    if (i) list += ' ';
    list += RecentSongs[i];
  }
  return list;
}

// Whatever reaches stderr while the log runs is kept, a long line cut, and still written.
TEST(ProblemLogTest, LinesThatReachStderrAreKept) {
  if (GetEnvironmentVariableA("PLINKARO_TRACE", nullptr, 0)) GTEST_SKIP() << "tracing";
  StartProblemLog();
  ReportProblem("own problem");
  std::fprintf(stderr, "first problem\n%s\nlast", std::string(300, 'x').c_str());
  StopProblemLog();
  char text[PROBLEM_LINE_COUNT * PROBLEM_LINE_SIZE];
  CopyProblemLines(text, sizeof text);
  const std::string kept = "plinkaro: own problem\nfirst problem\n" +
                           std::string(PROBLEM_LINE_SIZE - 1, 'x') + "\nlast\n";
  EXPECT_NE(std::strstr(text, kept.c_str()), nullptr) << text;
}

TEST(RecentSongsTest, NewestFirstWithoutRepeatsAndAtMostTen) {
  struct Step {
    const char* add;
    int remove;
    const char* list;
  } steps[] = {
      {"/a", -1, "/a"},      {"/b", -1, "/b /a"},   {"/a", -1, "/a /b"}, {"/c", -1, "/c /a /b"},
      {nullptr, 1, "/c /b"}, {nullptr, 5, "/c /b"}, {nullptr, 0, "/b"},  {nullptr, 0, ""},
  };
  recentSongCount = 0;
  for (const Step& step : steps) {
    if (step.add) AddRecentSong(step.add);
    if (step.remove >= 0) RemoveRecentSong(step.remove);
    EXPECT_EQ(Recent(), step.list);
  }
  for (char name : std::string("0123456789ab")) {
    const char path[] = {'/', name, '\0'};
    AddRecentSong(path);
  }
  EXPECT_EQ(Recent(), "/b /a /9 /8 /7 /6 /5 /4 /3 /2");
  AddRecentSong("/5");
  EXPECT_EQ(Recent(), "/5 /b /a /9 /8 /7 /6 /4 /3 /2");
  AddRecentSong("song.mid");  // named relative to the current folder
  EXPECT_EQ(RecentSongs[0], std::filesystem::current_path().string() + "/song.mid");
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    recentSongCount = 0;
    skinCount = 0;
  }
  void TearDown() override {
    ForgetSession();
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(config);
  }
  // What a new run starts with.
  void ForgetSession() {
    settingsInUse = FALSE;
    f7StartsRecording = FALSE;
    recordFolderChoice[0] = '\0';
    recentSongCount = 0;
    skinIndex = 0;
    skinCount = 0;
  }
  std::string File() { return config + "/Plinkaro/plinkaro.ini"; }
  void Write(const std::string& text) {
    std::filesystem::create_directories(config + "/Plinkaro");
    std::ofstream(File()) << text;
  }
  std::string FileText() {
    std::ifstream in(File());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string Problems() {
    char text[PROBLEM_LINE_COUNT * PROBLEM_LINE_SIZE];
    CopyProblemLines(text, sizeof text);
    return text;
  }
  DWORD ProblemCount() {
    char text[PROBLEM_LINE_COUNT * PROBLEM_LINE_SIZE];
    return CopyProblemLines(text, sizeof text);
  }
  const std::string config = MakeTempFolder();
};

TEST_F(SettingsTest, ChoicesSurviveARestartAndNothingIsWrittenBeforeOne) {
  EXPECT_EQ(LoadRememberedChoices(), 0);
  AddRecentSong("/songs/a & b.mid");  // a drop before any menu choice
  SaveRecentSongs();
  EXPECT_FALSE(std::filesystem::exists(File()));
  lstrcpyA(SkinList[0], "/skins/one.bmp");
  lstrcpyA(SkinList[1], "/skins/two.bmp");
  skinCount = 2;
  skinIndex = 2;
  f7StartsRecording = TRUE;
  ChooseRecordFolder("/takes");
  AddRecentSong("/songs/c.mid");
  SaveRememberedChoices();
  ASSERT_TRUE(std::filesystem::exists(File()));
  ForgetSession();
  lstrcpyA(SkinList[0], "/skins/two.bmp");  // the list's order may change between runs
  skinCount = 1;
  EXPECT_EQ(LoadRememberedChoices(), 1);
  EXPECT_TRUE(settingsInUse);
  EXPECT_TRUE(f7StartsRecording);
  EXPECT_STREQ(recordFolderChoice, "/takes");
  EXPECT_EQ(Recent(), "/songs/c.mid /songs/a & b.mid");
}

TEST_F(SettingsTest, ASpoiltFileOrAMissingSkinGivesTheDefaultsWithOneLineAnEmptyOneWithNone) {
  struct Case {
    const char* text;
    int skin;
    const char* problem;
  } cases[] = {
      {"\x01\x02garbage\n[Plinkaro]\nF7StartsRecording=yes\n", 0, "cannot be read"},
      {"[Plinkaro]\nF7StartsRecording=0\nSkin=/gone.bmp\n", 0, "/gone.bmp is not there"},
      {"[Plinkaro]\nF7StartsRecording=0\nSkin=built-in\n", 0, ""},
      {"", 0, ""},  // a portable copy's fresh plinkaro.ini
  };
  for (const Case& c : cases) {
    Write(c.text);
    const DWORD before = ProblemCount();
    EXPECT_EQ(LoadRememberedChoices(), c.skin) << c.text;
    EXPECT_EQ(ProblemCount() - before, *c.problem ? 1u : 0u) << c.text;
    EXPECT_NE(Problems().find(c.problem), std::string::npos) << c.text;
    EXPECT_FALSE(f7StartsRecording) << c.text;
  }
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenIsReportedOnceAndTheChoiceStillHolds) {
  std::filesystem::create_directories(config + "/Plinkaro/plinkaro.ini");  // a folder in its way
  LoadRememberedChoices();
  f7StartsRecording = TRUE;
  SaveRememberedChoices();
  SaveRememberedChoices();
  const std::string problems = Problems();
  const size_t first = problems.find("cannot write the settings file");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(problems.find("cannot write", first + 1), std::string::npos);
  EXPECT_TRUE(f7StartsRecording);
}

TEST_F(SettingsTest, TheRecordFolderIsChosenThenTheVariableThenRememberedThenInMusic) {
  std::ofstream(config + "/user-dirs.dirs") << "XDG_MUSIC_DIR=\"" << config << "/music\"\n";
  struct Case {
    const char* variable;
    const char* remembered;
    BOOL chosen;
    std::string folder;
  } cases[] = {
      {nullptr, "", FALSE, config + "/music/Plinkaro"},
      {nullptr, "/remembered", FALSE, "/remembered"},
      {"/variable", "/remembered", FALSE, "/variable"},
      {"/variable", "/chosen", TRUE, "/chosen"},
  };
  for (const Case& c : cases) {
    if (c.variable) setenv("PLINKARO_RECORD_DIR", c.variable, 1);
    lstrcpyA(recordFolderChoice, c.remembered);
    recordFolderChosen = c.chosen;
    char folder[MAX_PATH];
    EXPECT_EQ(FindRecordFolder(folder, TRUE), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(folder, c.folder);
  }
  EXPECT_TRUE(std::filesystem::is_directory(config + "/music/Plinkaro"));
  unsetenv("PLINKARO_RECORD_DIR");
  recordFolderChosen = FALSE;
}

// Devices are found by name each time they open: one that cannot start says why in its
// stderr words, F1 opens the chosen one again, and one that is gone gives the default.
TEST_F(SettingsTest, TheChosenOutputOpensByNameAgainOnF1AndFallsBackWhenGone) {
  if (GetEnvironmentVariableA("PLINKARO_TRACE", nullptr, 0)) GTEST_SKIP() << "tracing";
  std::filesystem::create_directories(config + "/data/sounds/sf2");
  std::ofstream(config + "/data/sounds/sf2/broken.sf2") << "not a soundfont";
  setenv("XDG_DATA_HOME", (config + "/data").c_str(), 1);
  Write(
      "[Plinkaro]\nF7StartsRecording=0\nMidiOutput=Synth: broken.sf2\nMidiInput=(none)\n"
      "MidiInputChannel=current\n");
  LoadRememberedChoices();
  EXPECT_STREQ(chosenInputName, NO_MIDI_INPUT);
  EXPECT_TRUE(followCurrentChannel);
  StartProblemLog();
  OpenMidiOutput();
  const DWORD before = ProblemCount();
  ReopenMidiOutput();
  StopProblemLog();
  EXPECT_EQ(midiOutput, nullptr);
  EXPECT_STREQ(chosenOutputName, "Synth: broken.sf2");
  char why[MAX_PATH];
  ASSERT_TRUE(DescribeOutputProblem(why, sizeof why));
  EXPECT_GT(ProblemCount(), before);
  EXPECT_NE(Problems().find(std::string("plinkaro: ") + why), std::string::npos) << why;

  Write("[Plinkaro]\nF7StartsRecording=0\nMidiOutput=Synth: gone.sf2\n");
  LoadRememberedChoices();
  const DWORD gone = ProblemCount();
  ReopenMidiOutput();
  CloseMidiOutput();
  EXPECT_EQ(ProblemCount() - gone, 1u);
  EXPECT_NE(Problems().find("Synth: gone.sf2 is not there; using the default"), std::string::npos);
  EXPECT_STREQ(chosenOutputName, "");
  // What the file holds stays until a device is chosen in the menu.
  SaveRememberedChoices();
  EXPECT_NE(FileText().find("MidiOutput=Synth: gone.sf2"), std::string::npos);
  RememberDeviceChoices();
  SaveRememberedChoices();
  EXPECT_EQ(FileText().find("MidiOutput"), std::string::npos);
  unsetenv("XDG_DATA_HOME");
  chosenInputName[0] = '\0';
  followCurrentChannel = FALSE;
}

}  // namespace
