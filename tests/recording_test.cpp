// Takes: what each part of the program sends, captured with its time; the file a take
// becomes; where it is saved; and a song played into a take through the real timer.
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "midi/channel_messages.h"
#include "midi/midi_output.h"
#include "midi/take_capture.h"
#include "record/take_save.h"
#include "smf/smf_writer.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/song_dispatch.h"
#include "song/song_state.h"
#include "test_support.h"
#include "user32/testing/message_boxes.h"
#include "winmm/testing/manual_timers.h"

namespace {

using plk::smf::HexBytes;

const SYSTEMTIME kLeapNight = {2024, 2, 4, 29, 23, 5, 9, 0};
const std::string kName = "plinkaro-20240229-230509";

class RecordingTest : public CoreTest {
 protected:
  void TearDown() override {
    CoreTest::TearDown();
    std::filesystem::remove_all(folder);
  }
  // Saves the ended take (by default the running one, ended) as if started on the leap
  // night, in the test's folder.
  std::string EndAndSave(Take* take = EndTake()) {
    take->startedAt = kLeapNight;
    char path[MAX_PATH] = "";
    EXPECT_EQ(SaveTakeIn(folder.c_str(), take, path), DWORD(ERROR_SUCCESS));
    ReleaseTake(take);
    return path;
  }
  const std::string folder = MakeTempFolder();
};

void Dispatch(const std::string& hex) {
  const Bytes event = HexBytes(hex);
  DispatchSongEvent(event.data(), DWORD(event.size()));
}

TEST_F(RecordingTest, EverySourceGoesIntoTheFileAtItsMillisecondBehindTheInstruments) {
  ManualClock clock;
  SendInstrument(1, 0x00010203);  // an edit before the take: only in its prelude
  ASSERT_NE(StartTake(), nullptr);
  KeyDown('Z');
  clock.Step(130);
  Dispatch("f0 05 7e 7f 09 01 f7");
  clock.Step(1);
  SendChannelMessage(0xF8, 0, 0);  // from MIDI input, a clock tick: no place in a file
  Dispatch("f7 02 43 f7");
  SendChannelMessage(0x93, 40, 100);
  clock.Step(9);
  SendInstrument(2, 0x0105);
  clock.Step(60);
  KeyDown(VK_F3);
  // Stamped before F3's messages but appended after them; a data byte above 127.
  plk::winmm::testing::SetManualTime(clock.now - 1);
  KeyDown('X');
  KeyDown(VK_CONTROL);
  SendShortMessage(0xB0, 0x07, 0xFF);
  std::string track = "00 ff 51 03 07 a1 20";
  char text[64];
  for (int ch = 0; ch < 16; ch++) {
    const int byte = ch == 1;  // channel 2's instrument is 1, 2, 3
    std::snprintf(text, sizeof text, " 00 b%x 00 %02x 00 b%x 20 %02x 00 c%x %02x", ch, byte, ch,
                  2 * byte, ch, 3 * byte);
    track += text;
  }
  track += " 00 90 3c 7f 81 02 f0 05 7e 7f 09 01 f7 01 f7 02 43 f7 00 93 28 64";
  track += " 09 b2 00 00 00 b2 20 01 00 c2 05 3c 80 3c 7f 00 83 28 7f";
  for (int ch = 0; ch < 16; ch++) {
    std::snprintf(text, sizeof text, " 00 b%x 7b 00 00 b%x 40 00", ch, ch);
    track += text;
  }
  track += " 00 90 3e 7f 00 80 3e 7f 00 b0 07 7f 00 ff 2f 00";
  const Bytes file = ReadBytes(EndAndSave()), expected = plk::smf::File(500, {HexBytes(track)}, 0);
  EXPECT_EQ(plk::smf::HexText(file.data(), file.size()),
            plk::smf::HexText(expected.data(), expected.size()));
}

void ReadShortMessages(const Take* take, std::vector<DWORD>& messages) {
  for (DWORD i = 0; i < CapturedSlotCount(take); i++) {
    const CapturedSlot* slot = CapturedSlotAt(take, i);
    if (slot && slot->word & CAPTURED_KIND_MASK) messages.push_back(slot->word & 0xFFFFFF);
  }
}

TEST_F(RecordingTest, AFullTakeIsCutWhileAnotherThreadAppendsAndNoMessageIsLostOrDoubled) {
  takeLimitSlots = 2000;
  const DWORD kMessages = 60000;
  StartTake();
  std::atomic<bool> done = false;
  std::atomic<DWORD> cutMessages = 0;  // in the takes cut so far
  std::thread song([&] {
    // Never more than two takes ahead of the cuts: many cuts however the threads are
    // scheduled, each racing the appends.
    for (DWORD i = 0; i < kMessages; i++) {
      while (i - cutMessages >= DWORD(2 * takeLimitSlots)) std::this_thread::yield();
      CaptureShortMessage(i);
    }
    done = true;
  });
  std::vector<DWORD> messages;
  int cuts = 0;
  for (bool last = false; !last;) {
    last = done;  // one more pass once the thread is done
    PrepareTakeBlocks();
    if (Take* full = TakeIsFull() ? CutTake() : nullptr) {
      ReadShortMessages(full, messages);
      cutMessages = DWORD(messages.size());
      ReleaseTake(full);
      cuts++;
    }
  }
  song.join();
  Take* take = EndTake();
  ReadShortMessages(take, messages);
  ReleaseTake(take);
  takeLimitSlots = TAKE_LIMIT_SLOTS;
  EXPECT_GT(cuts, 1);
  ASSERT_EQ(messages.size(), kMessages);
  for (DWORD i = 0; i < kMessages; i++) ASSERT_EQ(messages[i], i);
}

TEST_F(RecordingTest, ASaveNeverReplacesAFileAndAFolderThatRefusesSendsItToTheTemporaryOne) {
  char path[MAX_PATH];
  ASSERT_TRUE(MakeTakePath(path, "", &kLeapNight, 12, ".part"));
  EXPECT_EQ(path, kName + "-12.part");
  ASSERT_TRUE(MakeTakePath(path, "/a/", &kLeapNight, 1, ".mid"));
  EXPECT_EQ(path, "/a/" + kName + ".mid");
  EXPECT_FALSE(MakeTakePath(path, std::string(240, 'a').c_str(), &kLeapNight, 1, ".mid"));
  // Two finished takes and what a crash left under a temporary name stay as they are.
  for (const char* name : {".mid", "-2.mid", ".part"}) WriteBytes(folder + "/" + kName + name, {});
  StartTake();
  SendShortMessage(0x90, 0x3C, 0x40);
  EXPECT_EQ(EndAndSave(), folder + "/" + kName + "-3.mid");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 4);
  // Nothing can be made under a regular file, even by root.
  const std::string blocked = folder + "/" + kName + ".mid/takes";
  const std::string error = "Recording Save Error\n\n" + blocked + "/" + kName +
                            ".mid\nThe system cannot find the path specified.";
  setenv("PLINKARO_RECORD_DIR", blocked.c_str(), 1);
  setenv("TMPDIR", folder.c_str(), 1);
  Take* take = StartTake();
  SendShortMessage(0x90, 0x3C, 0x40);
  EndTake()->startedAt = kLeapNight;
  plk::user32::testing::InterceptMessageBoxes(true);
  EXPECT_TRUE(SaveTake(take, path, nullptr));
  const std::string saved = folder + "/" + kName + "-4.mid";
  EXPECT_EQ(path, saved);
  setenv("TMPDIR", blocked.c_str(), 1);
  EXPECT_FALSE(SaveTake(take, path, nullptr));
  unsetenv("TMPDIR");
  unsetenv("PLINKARO_RECORD_DIR");
  ReleaseTake(take);
  const auto boxes = plk::user32::testing::TakeMessageBoxes();
  plk::user32::testing::InterceptMessageBoxes(false);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, error + "\n\nThe take was saved as\n" + saved);
  EXPECT_EQ(boxes[1].text, error + "\n\nThe take could not be saved in the temporary folder " +
                               "either:\n" + error.substr(22));
}

// A file size limit stands in for a disk that fills during the save: the write past it
// fails, the save says so, and its temporary .part file goes with it.
TEST_F(RecordingTest, ADiskThatFillsDuringASaveLeavesNothingBehind) {
  Take* take = StartTake();
  for (int i = 0; i < 4000; i++) SendShortMessage(0x90, BYTE(i % 128), 0x40);
  EndTake()->startedAt = kLeapNight;
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const rlimit small = {4096, saved.rlim_max};
  auto* const previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  char path[MAX_PATH];
  const DWORD error = SaveTakeIn(folder.c_str(), take, path);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  ReleaseTake(take);
  EXPECT_NE(error, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 0);
}

// A song of three tracks through the real periodic timer into a take, and the file of the
// take played by the program's loader in exact 1 ms steps: the same messages in the same
// order, each within 1 ms of when it was captured.
TEST_F(RecordingTest, ASongPlayedByTheRealTimerComesBackFromItsFileOnceInOrderAndOnTime) {
  std::vector<plk::smf::Event> tempo = {plk::smf::Tempo(0, 500000),
                                        plk::smf::SystemExclusive(240, 0xF0, {0x7E, 0xF7}),
                                        plk::smf::Tempo(480, 350000)};
  std::vector<plk::smf::Event> lead = {{0, {0xC0, 0x05}}}, bass = {{0, {0xB1, 0x00, 0x01}}};
  for (std::uint32_t tick = 0; tick < 1400; tick += 35) {
    lead.push_back({tick, {0x90, std::uint8_t(60 + tick % 12), 0x50}});
    lead.push_back({tick + 30, {0x80, std::uint8_t(60 + tick % 12), 0x00}});
    bass.push_back({tick + 3, {0x91, 36, std::uint8_t(tick % 70 ? 0x00 : 0x60)}});
  }
  const Bytes song = plk::smf::File(
      480, {plk::smf::TrackData(tempo), plk::smf::TrackData(lead), plk::smf::TrackData(bass)});
  const size_t count = plk::smf::Schedule(480, {tempo, lead, bass}).size();
  ASSERT_TRUE(LoadSmfImage(song.data(), DWORD(song.size())));
  StartTake();
  StartPlayback();
  // Only the end is waited for, however slowly an instrumented build plays.
  const auto patience = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (midi.Calls().size() < count && std::chrono::steady_clock::now() < patience) Sleep(10);
  StopPlayback();
  Take* take = EndTake();
  const std::vector<std::string> played = midi.Take();
  ASSERT_EQ(played.size(), count);
  std::vector<DWORD> captured;
  for (DWORD i = 0; i < CapturedSlotCount(take); i++) {
    const CapturedSlot& slot = *CapturedSlotAt(take, i);
    captured.push_back(slot.time);
    if ((slot.word & CAPTURED_KIND_MASK) == CAPTURED_LONG) i += ((slot.word & 0xFFFFFF) + 7) / 8;
  }
  ASSERT_TRUE(LoadSmf(EndAndSave(take).c_str()));
  songState.lastTickTime = 0;
  std::vector<std::string> replayed;
  std::vector<DWORD> times;
  for (DWORD now = 0; now < 60000 && replayed.size() < 48 + count; now++) {
    StepPlaybackClock(now);
    for (const std::string& call : midi.Take()) replayed.push_back(call), times.push_back(now);
  }
  replayed.erase(replayed.begin(), replayed.begin() + 48);  // the instruments at the start
  times.erase(times.begin(), times.begin() + 48);
  EXPECT_EQ(replayed, played);
  ASSERT_EQ(times.size(), captured.size());
  for (size_t i = 0; i < times.size(); i++) EXPECT_NEAR(times[i], captured[i], 1.0) << i;
}

}  // namespace
