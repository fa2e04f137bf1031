// The midiIn API against the replay device: callbacks on the handle's own thread, packed
// messages with running status and their times, system exclusive through the queued
// buffers, and the buffers' and handles' lifecycle with its refusals.
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "sound_test_support.h"
#include "winmm/device_names.h"

namespace plk::winmm {
namespace {

// Each callback as "data 643c90", "error 00003c", "long 4" (the bytes recorded), "open" or
// "close"; the times of the messages; whether any message came on the test's own thread.
struct Callbacks {
  std::mutex lock;
  std::condition_variable arrived;
  std::vector<std::string> calls;
  std::vector<DWORD> times;
  bool onTestThread = false;
};

std::thread::id testThread;

void CALLBACK Record(HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                     DWORD_PTR param2) {
  static const char* const names[] = {"open", "close", "data", "long", "error"};
  auto& seen = *reinterpret_cast<Callbacks*>(instance);
  std::string call = names[message - MIM_OPEN];
  const auto* header = reinterpret_cast<const MIDIHDR*>(param1);
  char word[12];
  std::snprintf(word, sizeof word, " %06lx", static_cast<unsigned long>(param1));
  if (message == MIM_DATA || message == MIM_ERROR) call += word;
  if (message == MIM_LONGDATA) {
    call.append(" ").append(std::to_string(header->dwBytesRecorded));
    if (header->dwFlags != (MHDR_PREPARED | MHDR_DONE)) call.append(" flags?");
  }
  std::lock_guard<std::mutex> guard(seen.lock);
  seen.calls.push_back(call);
  if (message == MIM_DATA || message == MIM_LONGDATA) seen.times.push_back(DWORD(param2));
  if (message != MIM_OPEN && message != MIM_CLOSE) {
    seen.onTestThread |= std::this_thread::get_id() == testThread;
  }
  seen.arrived.notify_all();
}

TEST(MidiIn, ReplayedCallsComeBackOnTheHandlesThreadInOrderWithTheirTimes) {
  testThread = std::this_thread::get_id();
  testing::TemporaryPath file("replay.log");
  std::ofstream(file.path) << "0 open\n0 short 90 3c 64\n1000 short 3c 00 00\n2000 short f8 00 00\n"
                              "3000 short 40 7f 00\n4000 short c5 07 00\n"
                              "5000 long f0 7e 7f 09 01 f7\n6000 short 3c 00 00\n7000 close\n";
  testing::ScopedEnvironment device("PLINKARO_MIDI_IN", "replay:" + file.path);
  ASSERT_EQ(midiInGetNumDevs(), 1u);
  Callbacks callbacks;
  HMIDIIN handle = nullptr;
  ASSERT_EQ(midiInOpen(&handle, 0, reinterpret_cast<DWORD_PTR>(Record),
                       reinterpret_cast<DWORD_PTR>(&callbacks), CALLBACK_FUNCTION),
            MMRESULT{MMSYSERR_NOERROR});
  // Three 4-byte buffers: the 6-byte message fills one and ends in the next.
  char bytes[3][4];
  MIDIHDR headers[3] = {};
  EXPECT_EQ(midiInAddBuffer(handle, &headers[0], sizeof(MIDIHDR)), MMRESULT{MIDIERR_UNPREPARED});
  for (int i = 0; i < 3; ++i) {
    headers[i].lpData = bytes[i];
    headers[i].dwBufferLength = sizeof bytes[i];
    ASSERT_EQ(midiInPrepareHeader(handle, &headers[i], sizeof(MIDIHDR)),
              MMRESULT{MMSYSERR_NOERROR});
    ASSERT_EQ(midiInAddBuffer(handle, &headers[i], sizeof(MIDIHDR)), MMRESULT{MMSYSERR_NOERROR});
  }
  EXPECT_EQ(midiInUnprepareHeader(handle, &headers[0], sizeof(MIDIHDR)),
            MMRESULT{MIDIERR_STILLPLAYING});
  midiInStart(handle);
  {
    std::unique_lock<std::mutex> lock(callbacks.lock);
    ASSERT_TRUE(callbacks.arrived.wait_for(lock, std::chrono::seconds(30),
                                           [&] { return callbacks.calls.size() == 9; }));
  }
  EXPECT_EQ(midiInClose(handle), MMRESULT{MIDIERR_STILLPLAYING});  // the third buffer waits
  midiInStop(handle);
  midiInReset(handle);
  EXPECT_EQ(std::memcmp(bytes, "\xF0\x7E\x7F\x09\x01\xF7", 6), 0);
  for (MIDIHDR& header : headers) {
    EXPECT_EQ(midiInUnprepareHeader(handle, &header, sizeof(MIDIHDR)), MMRESULT{MMSYSERR_NOERROR});
  }
  EXPECT_EQ(midiInClose(handle), MMRESULT{MMSYSERR_NOERROR});
  EXPECT_EQ(midiInStart(handle), MMRESULT{MMSYSERR_INVALHANDLE});
  EXPECT_EQ(callbacks.calls,
            (std::vector<std::string>{"open", "data 643c90", "data 003c90", "data 0000f8",
                                      "data 7f4090", "data 0007c5", "long 4", "long 2",
                                      "error 00003c", "long 0", "close"}));
  EXPECT_FALSE(callbacks.onTestThread);
  // Each message is stamped no earlier than the file's time (in ms since midiInStart).
  const std::vector<DWORD> fileTimes = {0, 1, 2, 3, 4, 5, 5};
  ASSERT_EQ(callbacks.times.size(), fileTimes.size() + 1);  // and the reset's buffer
  for (std::size_t i = 0; i < fileTimes.size(); ++i) EXPECT_GE(callbacks.times[i], fileTimes[i]);
}

// A device that cannot open says why in one line: here a line the replay file does not
// understand.
TEST(MidiIn, ListsTheDeviceThatTheSettingNamesAndRefusesWhatItCannotDo) {
  testing::ScopedEnvironment none("PLINKARO_MIDI_IN", "none");
  EXPECT_EQ(midiInGetNumDevs(), 0u);
  MIDIINCAPSA caps;
  EXPECT_EQ(midiInGetDevCapsA(0, &caps, sizeof caps), MMRESULT{MMSYSERR_BADDEVICEID});
  testing::TemporaryPath file("bad.log");
  std::ofstream(file.path) << "0 short 90 3c 64\n10 short 80 3c\n20 short 80 3c 0\n";
  testing::ScopedEnvironment replay("PLINKARO_MIDI_IN", "replay:" + file.path);
  EXPECT_EQ(midiInGetDevCapsA(0, &caps, sizeof caps), MMRESULT{MMSYSERR_BADDEVICEID});
  ASSERT_EQ(midiInGetNumDevs(), 1u);  // ids refer to the list taken last
  ASSERT_EQ(midiInGetDevCapsA(0, &caps, sizeof caps), MMRESULT{MMSYSERR_NOERROR});
  EXPECT_EQ(caps.szPname, FitDeviceNames({"replay:" + file.path})[0]);
  HMIDIIN handle = reinterpret_cast<HMIDIIN>(1);
  EXPECT_EQ(midiInOpen(&handle, 0, 0, 0, CALLBACK_WINDOW), MMRESULT{MMSYSERR_INVALFLAG});
  EXPECT_EQ(midiInOpen(&handle, 1, 0, 0, CALLBACK_NULL), MMRESULT{MMSYSERR_BADDEVICEID});
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(midiInOpen(&handle, 0, 0, 0, CALLBACK_NULL), MMRESULT{MMSYSERR_NODRIVER});
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "plinkaro: line 3 of the MIDI replay file " + file.path +
                " is \"20 short 80 3c 0\", not a call in the MIDI log's format such as \"0 "
                "short 90 3c 64\"\n");
  EXPECT_EQ(handle, nullptr);
}

}  // namespace
}  // namespace plk::winmm
