// The "log:PATH" device: one line per call, in call order, with microseconds from the
// first open in the process. The file is truncated by that first open and appended to by
// later ones, so the test that checks it comes first in this process.
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

#include "sound_test_support.h"

namespace plk::winmm {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryPath;

struct LogLine {
  long long time;
  std::string call;
};

std::vector<LogLine> ReadLog(const std::string& path) {
  std::vector<LogLine> lines;
  std::ifstream file(path);
  const std::regex shape("(\\d+) (.+)");
  for (std::string text; std::getline(file, text);) {
    std::smatch match;
    if (!std::regex_match(text, match, shape)) {
      ADD_FAILURE() << "malformed line: " << text;
      continue;
    }
    lines.push_back({std::stoll(match[1]), match[2]});
  }
  return lines;
}

std::vector<std::string> Calls(const std::vector<LogLine>& lines) {
  std::vector<std::string> calls;
  for (const LogLine& line : lines) calls.push_back(line.call);
  return calls;
}

HMIDIOUT OpenMapper() {
  HMIDIOUT handle = nullptr;
  EXPECT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL),
            static_cast<MMRESULT>(MMSYSERR_NOERROR));
  return handle;
}

void SendLong(HMIDIOUT handle, std::vector<BYTE> bytes) {
  MIDIHDR header{};
  header.lpData = reinterpret_cast<LPSTR>(bytes.data());
  header.dwBufferLength = static_cast<DWORD>(bytes.size());
  midiOutPrepareHeader(handle, &header, sizeof header);
  midiOutLongMsg(handle, &header, sizeof header);
  midiOutUnprepareHeader(handle, &header, sizeof header);
}

TEST(LogDevice, FirstOpenTruncatesAndReopenAppends) {
  TemporaryPath log("midi.log");
  std::ofstream(log.Path()) << "left over from an earlier run\n";
  ScopedEnvironment device("PLINKARO_MIDI_OUT", "log:" + log.Path());

  HMIDIOUT first = OpenMapper();
  midiOutShortMsg(first, 0x7F3C90);
  midiOutClose(first);
  HMIDIOUT second = OpenMapper();
  midiOutShortMsg(second, 0x7F3C80);
  midiOutClose(second);

  const std::vector<LogLine> lines = ReadLog(log.Path());
  EXPECT_EQ(Calls(lines), (std::vector<std::string>{"open", "short 90 3c 7f", "close", "open",
                                                    "short 80 3c 7f", "close"}));
  for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_LE(lines[i - 1].time, lines[i].time);
}

TEST(LogDevice, WritesEveryCallInItsFormat) {
  TemporaryPath log("calls.log");
  ScopedEnvironment device("PLINKARO_MIDI_OUT", "log:" + log.Path());
  HMIDIOUT handle = OpenMapper();
  midiOutShortMsg(handle, 0xAB0013C5);  // bits above the low three bytes are not sent
  midiOutShortMsg(handle, 0x000000FF);
  SendLong(handle, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  SendLong(handle, {0xF7});
  midiOutReset(handle);
  midiOutClose(handle);
  EXPECT_EQ(Calls(ReadLog(log.Path())),
            (std::vector<std::string>{"open", "short c5 13 00", "short ff 00 00",
                                      "long f0 7e 7f 09 01 f7", "long f7", "reset", "close"}));
}

TEST(LogDevice, NeedsAWritablePath) {
  TemporaryPath log("calls.log");
  const std::pair<std::string, std::string> cases[] = {
      {"log", "set PLINKARO_MIDI_OUT=log:PATH"},
      {"log:" + log.Path() + "/no/such.log", "cannot write the MIDI log " + log.Path()},
  };
  for (const auto& [setting, reason] : cases) {
    SCOPED_TRACE(setting);
    ScopedEnvironment device("PLINKARO_MIDI_OUT", setting);
    HMIDIOUT handle = reinterpret_cast<HMIDIOUT>(1);
    ::testing::internal::CaptureStderr();
    EXPECT_NE(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL),
              static_cast<MMRESULT>(MMSYSERR_NOERROR));
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    EXPECT_NE(printed.find(reason), std::string::npos) << printed;
  }
}

}  // namespace
}  // namespace plk::winmm
