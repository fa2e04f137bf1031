#include "core_fixture.h"

#include <cstring>
#include <ostream>

#include "input/key_map.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"
#include "user32/key_state.h"

void PrintTo(const Redraw& redraw, std::ostream* out) {
  *out << "{kind " << redraw.kind << ", ch " << redraw.channel << ", key " << redraw.key << "}";
}

void CoreTest::SetUp() {
  plk::user32::ResetKeyState();
  std::memset(ChannelTable, 0, sizeof ChannelTable);
  ResetChannelDefaults();
  sustainActive = 0;
  std::memset(&redrawQueue, 0, sizeof redrawQueue);
  OpenMidiOutput();
  ASSERT_NE(midiOutput, nullptr);
  ASSERT_EQ(midi.Take(), std::vector<std::string>{"open"});
}

void CoreTest::TearDown() { CloseMidiOutput(); }

std::vector<std::string> CoreTest::TakeMidi() { return midi.Take(); }

std::vector<Redraw> CoreTest::TakeRedraws() {
  std::vector<Redraw> redraws;
  for (; redrawQueue.readIndex != redrawQueue.writeIndex; redrawQueue.readIndex++) {
    const RedrawCommand& c = redrawQueue.slots[redrawQueue.readIndex % REDRAW_QUEUE_SIZE];
    redraws.push_back({c.kind, c.channel, c.key});
  }
  return redraws;
}

void CoreTest::KeyDown(int virtualKey, bool repeat) {
  if (virtualKey == VK_SHIFT) plk::user32::SetKeyStateDown(VK_SHIFT, true);
  OnKeyDown(virtualKey, repeat ? 0x40000001 : 0x00000001);
}

void CoreTest::KeyUp(int virtualKey) {
  if (virtualKey == VK_SHIFT) plk::user32::SetKeyStateDown(VK_SHIFT, false);
  OnKeyUp(virtualKey);
}

void CoreTest::SetShift(bool down) { plk::user32::SetKeyStateDown(VK_SHIFT, down); }

std::vector<Redraw> KeyRedraws(DWORD channel, std::initializer_list<DWORD> keys) {
  std::vector<Redraw> redraws;
  for (DWORD key : keys) redraws.push_back({REDRAW_KEY, channel, key});
  return redraws;
}

std::vector<Redraw> RowRedraws(std::initializer_list<DWORD> rows) {
  std::vector<Redraw> redraws;
  for (DWORD row : rows) redraws.push_back({REDRAW_ROW, row, 0});
  return redraws;
}
