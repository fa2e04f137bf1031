// The shared helpers of test_support.h: live-play state reset, MIDI and redraw text forms,
// temporary files.
#include "test_support.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/redraw_queue.h"
#include "common/spin_flag.h"
#include "display/redraw_drain.h"
#include "input/key_map.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"
#include "midi/take_capture.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/song_state.h"
#include "smf/smf_writer.h"
#include "user32/key_state.h"
#include "winmm/testing/manual_timers.h"

namespace {

std::string Join(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

std::string RedrawText(DWORD kind, DWORD channel, DWORD key) {
  const std::string row = std::to_string(channel);
  if (kind == REDRAW_HEADER) return "header " + row;
  if (kind == REDRAW_KEY) return "key " + row + " " + std::to_string(key);
  return "row " + row;
}

DrawRecorder* recorder = nullptr;
RedrawHandler savedHandlers[REDRAW_KIND_COUNT];

template <DWORD kind>
void Record(HDC, DWORD channel, DWORD key) {
  recorder->calls.push_back(RedrawText(kind, channel, key));
  if (recorder->duringDraw) recorder->duringDraw();
}

}  // namespace

void CoreTest::SetUp() {
  ResetSongState();
  plk::user32::ResetKeyState();
  std::memset(ChannelTable, 0, sizeof ChannelTable);
  ResetChannelDefaults();
  sustainActive = 0;
  std::memset(&redrawQueue, 0, sizeof redrawQueue);
  PaintLock = QueueLock = DrainLock = 0;
  OpenMidiOutput();
  ASSERT_EQ(midi.Take(), std::vector<std::string>{"open"});
}

void CoreTest::TearDown() {
  if (Take* take = EndTake()) ReleaseTake(take);
  ResetSongState();
  CloseMidiOutput();
}

std::string CoreTest::TakeMidi() {
  std::vector<std::string> calls = midi.Take();
  for (std::string& call : calls) {
    if (call.rfind("short ", 0) == 0) call.erase(0, 6);
  }
  return Join(calls);
}

std::string CoreTest::TakeRedraws() {
  std::vector<std::string> redraws;
  for (; redrawQueue.readIndex != redrawQueue.writeIndex; redrawQueue.readIndex++) {
    const RedrawCommand& c = redrawQueue.slots[redrawQueue.readIndex % REDRAW_QUEUE_SIZE];
    redraws.push_back(RedrawText(c.kind, c.channel, c.key));
  }
  return Join(redraws);
}

void CoreTest::KeyDown(int virtualKey, bool repeat) {
  if (virtualKey == VK_SHIFT) plk::user32::SetKeyStateDown(VK_SHIFT, true);
  OnKeyDown(virtualKey, repeat ? 0x40000001 : 0x00000001);
}

void CoreTest::KeyUp(int virtualKey) {
  if (virtualKey == VK_SHIFT) plk::user32::SetKeyStateDown(VK_SHIFT, false);
  OnKeyUp(virtualKey);
}

std::string AllInstrumentsZero() {
  std::string calls;
  char text[40];
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) {
    std::snprintf(text, sizeof text, "%sb%x 00 00, b%x 20 00, c%x 00 00", ch ? ", " : "", ch, ch,
                  ch);
    calls += text;
  }
  return calls;
}

std::string AllRows() {
  std::vector<std::string> rows;
  for (DWORD row = 0; row < CHANNEL_COUNT; row++) rows.push_back(RedrawText(REDRAW_ROW, row, 0));
  return Join(rows);
}

DrawRecorder::DrawRecorder() {
  std::memcpy(savedHandlers, RedrawHandlerTable, sizeof savedHandlers);
  recorder = this;
  RedrawHandlerTable[0] = {REDRAW_HEADER, Record<REDRAW_HEADER>};
  RedrawHandlerTable[1] = {REDRAW_KEY, Record<REDRAW_KEY>};
  RedrawHandlerTable[2] = {REDRAW_ROW, Record<REDRAW_ROW>};
}

DrawRecorder::~DrawRecorder() {
  std::memcpy(RedrawHandlerTable, savedHandlers, sizeof savedHandlers);
  recorder = nullptr;
}

std::string DrawRecorder::Take() { return Join(std::exchange(calls, {})); }

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}

std::string WriteTestFile(const Bytes& bytes, const std::string& name) {
  static const std::string folder = MakeTempFolder();
  WriteBytes(folder + "/" + name, bytes);
  return folder + "/" + name;
}

namespace {

// The folders this test process made, removed with everything in them when it exits.
struct TempFolders {
  std::vector<std::string> made;
  ~TempFolders() {
    std::error_code ignored;
    for (const std::string& folder : made) std::filesystem::remove_all(folder, ignored);
  }
};

}  // namespace

std::string MakeTempFolder() {
  static TempFolders folders;
  char pattern[] = "/tmp/plinkaro-test.XXXXXX";
  const char* made = mkdtemp(pattern);
  if (!made) return "/tmp";
  folders.made.emplace_back(made);
  return made;
}

ManualClock::ManualClock() {
  plk::winmm::testing::UseManualTimers(true);
  plk::winmm::testing::UseManualTime(true);
  plk::winmm::testing::SetManualTime(now);
}

ManualClock::~ManualClock() {
  plk::winmm::testing::UseManualTime(false);
  plk::winmm::testing::UseManualTimers(false);
}

void ManualClock::Step(DWORD ms) {
  plk::winmm::testing::SetManualTime(now += ms);
  plk::winmm::testing::FireTimers();
}

void ResetSongState() {
  StopPlayback();
  ReleaseSong();
  songState = {nullptr, 0, 0, DEFAULT_TEMPO_MICROS, 0, 0, 0};
}

namespace {

std::vector<std::string>* fileEvents = nullptr;
DWORD fileEventTime = 0;

void CollectFileEvent(const BYTE* event, DWORD length) {
  fileEvents->push_back(std::to_string(fileEventTime) + " " + plk::smf::HexText(event, length));
}

}  // namespace

std::vector<std::string> FileEvents(const std::string& path) {
  std::vector<std::string> events;
  if (!LoadSmf(path.c_str()) || songState.trackCount != 1) return {"not a one-track file"};
  fileEvents = &events;
  TrackReader& reader = songState.readers[0];
  reader.sink = CollectFileEvent;
  for (fileEventTime = 0; reader.AdvanceTrack(fileEventTime ? 1 : 0); fileEventTime++) {
  }
  ReleaseSong();
  return events;
}
