// A take's file while the take runs, and takes cut short completed into playable files.
#include <filesystem>

#include "midi/midi_output.h"
#include "midi/take_capture.h"
#include "record/take_file.h"
#include "record/take_recovery.h"
#include "smf/smf_writer.h"
#include "test_support.h"

namespace {

using plk::smf::HexBytes;
using plk::smf::HexText;

std::string Hex(const Bytes& bytes) { return HexText(bytes.data(), bytes.size()); }

HANDLE CreatePart(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
}

class TakeStreamTest : public CoreTest {
 protected:
  void TearDown() override {
    CoreTest::TearDown();
    std::filesystem::remove_all(folder);
  }
  const std::string folder = MakeTempFolder();
};

TakeStream stream;

// A slot handed out but not filled yet holds back every slot after it; once the take ends
// the file is the one a whole save writes.
TEST_F(TakeStreamTest, WritesFilledSlotsInOrderAndEndsAsTheWholeFile) {
  ManualClock clock;
  Take* take = StartTake();
  SendShortMessage(0x90, 0x3C, 0x40);
  const std::string part = folder + "/take.part";
  HANDLE file = CreatePart(part);
  ASSERT_TRUE(BeginTakeStream(&stream, file, take) && ContinueTakeStream(&stream, take, FALSE));
  const auto opening = ReadBytes(part).size();
  clock.Step(5);
  InterlockedIncrement(&take->reserved);  // another thread's, still being filled
  SendShortMessage(0x80, 0x3C, 0x00);
  ASSERT_TRUE(ContinueTakeStream(&stream, take, FALSE));
  EXPECT_EQ(ReadBytes(part).size(), opening);
  auto* pending = const_cast<CapturedSlot*>(CapturedSlotAt(take, 1));
  pending->time = 4;
  InterlockedExchange(reinterpret_cast<LONG*>(&pending->word), LONG(CAPTURED_SHORT | 0x7F3E91));
  ASSERT_TRUE(ContinueTakeStream(&stream, take, FALSE));
  const Bytes running = ReadBytes(part);
  EXPECT_EQ(Hex(Bytes(running.begin() + long(opening), running.end())), "04 91 3e 7f 01 80 3c 00");
  EXPECT_EQ(Hex(Bytes(running.begin() + 18, running.begin() + 22)), "00 00 00 00");
  EndTake();
  ASSERT_TRUE(ContinueTakeStream(&stream, take, TRUE) && EndTakeStream(&stream));
  EXPECT_TRUE(CloseHandle(file));
  HANDLE whole = CreatePart(folder + "/whole.mid");
  ASSERT_TRUE(WriteTakeFile(whole, take));
  CloseHandle(whole);
  ReleaseTake(take);
  EXPECT_EQ(Hex(ReadBytes(part)), Hex(ReadBytes(folder + "/whole.mid")));
}

// Each row: the events after the opening where a take was cut, and what completes it.
TEST(TakeRecoveryTest, CutsAfterTheLastWholeEventAndReleasesWhatIsHeld) {
  struct Row {
    const char* events;
    size_t keptEvents;  // bytes of `events` that stay
    const char* tail;
  } const rows[] = {
      {"", 0, "00 ff 2f 00"},
      {"00 90 3c 40 05 91 3e 7f", 8, "00 80 3c 00 00 81 3e 00 00 ff 2f 00"},
      {"00 90 3c 40 05 90 3c 00 00 90 3c 40 03 80 3c 00", 16, "00 ff 2f 00"},
      {"00 90 3c 40 81", 4, "00 80 3c 00 00 ff 2f 00"},  // inside a delta time
      {"00 90 3c 40 00 80 3c", 4, "00 80 3c 00 00 ff 2f 00"},
      {"00 b3 40 7f 00 93 30 10 00 f0 05 7e 7f", 8, "00 83 30 00 00 b3 40 00 00 ff 2f 00"},
      {"00 92 30 10 00 92 31 10 00 b2 7b 00 00 c2 05", 15, "00 ff 2f 00"},
      {"00 90 3c 40 00 ff 2f 00 00 90 3e 40", 8, ""},          // it had ended
      {"00 90 3c 40 00 3c 40", 4, "00 80 3c 00 00 ff 2f 00"},  // no status: not ours
  };
  const Bytes opening =
      HexBytes("4d 54 68 64 00 00 00 06 00 00 00 01 01 f4 4d 54 72 6b 00 00 00 00");
  static BYTE tail[RECOVERY_TAIL_SIZE];
  for (const Row& row : rows) {
    Bytes file = opening;
    const Bytes events = HexBytes(row.events);
    file.insert(file.end(), events.begin(), events.end());
    DWORD tailLength = 99;
    const DWORD cut = CompleteTakeTrack(file.data(), DWORD(file.size()), tail, &tailLength);
    EXPECT_EQ(cut, opening.size() + row.keptEvents) << row.events;
    EXPECT_EQ(HexText(tail, tailLength), row.tail) << row.events;
  }
  Bytes riff = opening;
  riff[0] = 'R';
  DWORD tailLength = 0;
  EXPECT_EQ(CompleteTakeTrack(riff.data(), DWORD(riff.size()), tail, &tailLength), 0u);
}

// A .part that another Plinkaro holds is left alone; the others become playable files
// beside them, under names that replace nothing.
TEST_F(TakeStreamTest, RecoversEveryPartNoOneHoldsIntoAPlayableFile) {
  const Bytes cutShort = HexBytes(
      "4d 54 68 64 00 00 00 06 00 00 00 01 01 f4 4d 54 72 6b 00 00 00 00 00 ff 51 03 07 a1 20 "
      "00 90 3c 40 83 60 90 3e 40 00 80");
  for (const char* name :
       {"plinkaro-20240229-230509.part", "plinkaro-20240229-230509-2.part",
        "plinkaro-20240229-230509-recovered.mid", "plinkaro-x.part.txt", "live.part"}) {
    WriteBytes(folder + "/" + name, cutShort);
  }
  const std::string held = folder + "/plinkaro-20240301-000000.part";
  WriteBytes(held, cutShort);
  HANDLE live = CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(live, INVALID_HANDLE_VALUE);
  char last[MAX_PATH] = "";
  EXPECT_EQ(RecoverTakesIn(folder.c_str(), last), 2u);
  CloseHandle(live);
  EXPECT_EQ(ReadBytes(held), cutShort);
  const std::string recovered = folder + "/plinkaro-20240229-230509-recovered-2.mid";
  EXPECT_TRUE(std::filesystem::exists(recovered));
  EXPECT_TRUE(std::filesystem::exists(folder + "/plinkaro-20240229-230509-2-recovered.mid"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/plinkaro-20240229-230509.part"));
  EXPECT_EQ(FileEvents(recovered),
            (std::vector<std::string>{"0 ff 51 03 07 a1 20", "0 90 3c 40", "480 90 3e 40",
                                      "480 80 3c 00", "480 80 3e 00", "480 ff 2f 00"}));
}

}  // namespace
