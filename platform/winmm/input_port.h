// One open MIDI input handle as a Windows driver keeps it, with its callback thread.
#pragma once

#include <mmsystem.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "winmm/midi_in_device.h"

namespace plk::winmm {

class InputPort final : public MidiInputSink {
 public:
  // A callback of 0 makes no callbacks.
  InputPort(DWORD_PTR callback, DWORD_PTR instance);
  ~InputPort();
  InputPort(const InputPort&) = delete;
  InputPort& operator=(const InputPort&) = delete;

  // Takes the device that feeds it, starts its thread and calls back MIM_OPEN.
  void Open(HMIDIIN handle, std::unique_ptr<MidiInputDevice> device);
  void Receive(const BYTE* bytes, std::size_t size) override;
  void WaitUntilDelivered() override;
  void Start();
  void Stop();
  void Reset();
  MMRESULT AddBuffer(MIDIHDR* header);
  // Whether it may close: not from its own callback, and no buffer queued.
  MMRESULT CanClose();
  void Close();

 private:
  // One thing for the thread to do: a callback for a message, or the task of a call that
  // waits for it (a reset).
  struct Work {
    UINT message = 0;  // MIM_DATA, MIM_ERROR, or MIM_LONGDATA for system exclusive
    DWORD word = 0;
    DWORD time = 0;
    std::vector<BYTE> bytes;
    std::function<void()> task;
  };

  void Decode(const BYTE* bytes, std::size_t size, Work& work);
  void PushLocked(Work work);
  bool OnOwnThread() const { return std::this_thread::get_id() == thread_.get_id(); }
  void RunTask(std::function<void()> task);
  void Run();
  void Deliver(Work& work);
  void ReturnBuffer(MIDIHDR* header, DWORD time);
  void Call(UINT message, DWORD_PTR param1, DWORD_PTR param2);
  void Shut();

  using InputProc = void (*)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
  using Clock = std::chrono::steady_clock;

  const InputProc callback_;
  const DWORD_PTR instance_;
  HMIDIIN handle_ = nullptr;
  std::unique_ptr<MidiInputDevice> device_;

  std::mutex lock_;
  std::condition_variable wake_;  // work for the thread
  std::condition_variable done_;  // work finished
  std::deque<Work> queue_;
  std::size_t waiting_ = 0;  // messages in the queue
  std::uint64_t queued_ = 0;
  std::uint64_t finished_ = 0;
  bool started_ = false;
  bool quitting_ = false;
  Clock::time_point startTime_;
  BYTE runningStatus_ = 0;
  std::deque<MIDIHDR*> buffers_;  // added and not yet returned, oldest first
  std::thread thread_;
};

}  // namespace plk::winmm
