// The "log:PATH" device: one line per call, in call order, with microseconds from the
// first open in the process, which truncates the file; later opens append.
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <fstream>
#include <vector>

#include "sound_test_support.h"

namespace plk::winmm {
namespace {

HMIDIOUT OpenMapper() {
  HMIDIOUT handle = nullptr;
  EXPECT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMRESULT{MMSYSERR_NOERROR});
  return handle;
}

TEST(LogDevice, WritesEveryCallInItsFormatAndAppendsAfterAReopen) {
  testing::TemporaryPath log("midi.log");
  std::ofstream(log.path) << "left over from an earlier run\n";
  testing::ScopedEnvironment device("PLINKARO_MIDI_OUT", "log:" + log.path);
  HMIDIOUT handle = OpenMapper();
  midiOutShortMsg(handle, 0xAB0013C5);  // bits above the low three bytes are not sent
  midiOutShortMsg(handle, 0x000000FF);
  testing::SendLong(handle, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  midiOutReset(handle);
  midiOutClose(handle);
  EXPECT_EQ(midiOutShortMsg(handle, 0x7F3C90), MMRESULT{MMSYSERR_INVALHANDLE});
  handle = OpenMapper();
  midiOutClose(handle);

  std::vector<std::string> calls;
  std::ifstream file(log.path);
  long long time = 0;
  for (std::string line; std::getline(file, line);
       calls.push_back(line.substr(line.find(' ') + 1))) {
    EXPECT_EQ(line.find(' '), std::to_string(std::stoll(line)).size()) << line;
    EXPECT_LE(time, std::stoll(line)) << "times never fall: " << line;
    time = std::stoll(line);
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"open", "short c5 13 00", "short ff 00 00",
                                             "long f0 7e 7f 09 01 f7", "reset", "close", "open",
                                             "close"}));
}

}  // namespace
}  // namespace plk::winmm
