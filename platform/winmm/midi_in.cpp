// Implements: midiInGetNumDevs, midiInGetDevCapsA, midiInOpen with CALLBACK_FUNCTION (or
// CALLBACK_NULL), midiInStart, midiInStop, midiInReset, midiInClose, midiInPrepareHeader,
// midiInAddBuffer and midiInUnprepareHeader. The one device listed is the one that
// PLINKARO_MIDI_IN names (its text is the device's name); none with PLINKARO_MIDI_IN=none.
// As a Windows driver thread does, a thread of each open handle makes its callbacks, one at
// a time and in the order the messages arrived: MIM_DATA with the packed message and the
// milliseconds since midiInStart (data bytes that run on the previous status get it, as a
// driver reads them off a MIDI cable), MIM_ERROR with the bytes of a data byte that has no
// status to run on, and MIM_LONGDATA with each added buffer that a system-exclusive message
// filled or ended in. MIM_OPEN and MIM_CLOSE come on the thread that opens and closes.
// midiInStop, midiInReset and midiInClose return once no callback of the handle runs or is
// due; midiInReset returns every queued buffer, done, before it returns.
// Does not implement: CALLBACK_WINDOW, _THREAD and _EVENT; MIM_MOREDATA; MIM_LONGERROR
// (a system-exclusive message finding no buffer is dropped); midiConnect; calling
// midiInClose from the handle's own callback (refused).
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "handle_table.h"
#include "winmm/device_setting.h"
#include "winmm/midi_in_device.h"
#include "winmm/midi_message.h"

namespace plk::winmm {
namespace {

using Clock = std::chrono::steady_clock;
using InputProc = void (*)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

// Messages waiting for the callback; a source that outruns a stalled callback loses the rest.
constexpr std::size_t kMaxWaiting = 4096;

// One thing for the handle's thread to do: a callback for a message, or a task of a call
// that waits for it (a stop, a reset).
struct Work {
  UINT message = 0;  // MIM_DATA, MIM_ERROR, or MIM_LONGDATA for system exclusive
  DWORD word = 0;
  DWORD time = 0;
  std::vector<BYTE> bytes;
  std::function<void()> task;
};

class InputPort final : public MidiInputSink {
 public:
  InputPort(DWORD_PTR callback, DWORD_PTR instance)
      : callback_(reinterpret_cast<InputProc>(callback)), instance_(instance) {}
  ~InputPort() { Shut(); }
  InputPort(const InputPort&) = delete;
  InputPort& operator=(const InputPort&) = delete;

  void Open(HMIDIIN handle, std::unique_ptr<MidiInputDevice> device) {
    handle_ = handle;
    device_ = std::move(device);
    thread_ = std::thread([this] { Run(); });
    Call(MIM_OPEN, 0, 0);
  }

  void Receive(const BYTE* bytes, std::size_t size) override {
    if (size == 0) return;
    std::lock_guard<std::mutex> guard(lock_);
    if (!started_ || waiting_ >= kMaxWaiting) return;
    Work work;
    work.time = static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - startTime_).count());
    if (bytes[0] == 0xF0) {
      runningStatus_ = 0;
      work.message = MIM_LONGDATA;
      work.bytes.assign(bytes, bytes + size);
    } else {
      Decode(bytes, size, work);
    }
    ++waiting_;
    PushLocked(std::move(work));
  }

  void WaitUntilDelivered() override {
    if (OnOwnThread()) return;
    std::unique_lock<std::mutex> lock(lock_);
    const std::uint64_t target = queued_;
    done_.wait(lock, [&] { return finished_ >= target; });
  }

  void Start() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (started_ || quitting_) return;
      started_ = true;
      startTime_ = Clock::now();
    }
    device_->Start();
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      started_ = false;
    }
    WaitUntilDelivered();
  }

  void Reset() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      started_ = false;
    }
    RunTask([this] {
      std::deque<MIDIHDR*> returned;
      {
        std::lock_guard<std::mutex> guard(lock_);
        returned.swap(buffers_);
      }
      for (MIDIHDR* header : returned) ReturnBuffer(header, 0);
    });
  }

  MMRESULT AddBuffer(MIDIHDR* header) {
    std::lock_guard<std::mutex> guard(lock_);
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~static_cast<DWORD>(MHDR_DONE);
    header->dwBytesRecorded = 0;
    buffers_.push_back(header);
    return MMSYSERR_NOERROR;
  }

  // Whether midiInClose may close it: not from its own callback, and no buffer queued.
  MMRESULT CanClose() {
    if (OnOwnThread()) return MMSYSERR_ERROR;
    std::lock_guard<std::mutex> guard(lock_);
    return buffers_.empty() ? MMSYSERR_NOERROR : MIDIERR_STILLPLAYING;
  }

  void Close() {
    Shut();
    Call(MIM_CLOSE, 0, 0);
  }

 private:
  // A short message: its status (or the running one) and the data bytes that status takes.
  void Decode(const BYTE* bytes, std::size_t size, Work& work) {
    BYTE status = bytes[0];
    if (status < 0x80) {
      if (runningStatus_ == 0) {
        work.message = MIM_ERROR;
        work.word = PackShortMessage(bytes[0], size > 1 ? bytes[1] : 0, size > 2 ? bytes[2] : 0);
        return;
      }
      status = runningStatus_;
    } else {
      ++bytes;
      --size;
      if (status < 0xF0) runningStatus_ = status;
      if (status >= 0xF0 && status < 0xF8) runningStatus_ = 0;  // real-time bytes keep it
    }
    const std::size_t dataBytes = ShortMessageLength(status) - 1;
    const DWORD data1 = dataBytes > 0 && size > 0 ? bytes[0] : 0;
    const DWORD data2 = dataBytes > 1 && size > 1 ? bytes[1] : 0;
    work.message = MIM_DATA;
    work.word = PackShortMessage(status, data1, data2);
  }

  void PushLocked(Work work) {
    ++queued_;
    queue_.push_back(std::move(work));
    wake_.notify_one();
  }

  bool OnOwnThread() const { return std::this_thread::get_id() == thread_.get_id(); }

  // Runs the task on the handle's thread after everything queued before it.
  void RunTask(std::function<void()> task) {
    if (OnOwnThread()) return task();
    {
      std::lock_guard<std::mutex> guard(lock_);
      Work work;
      work.task = std::move(task);
      PushLocked(std::move(work));
    }
    WaitUntilDelivered();
  }

  void Run() {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
      wake_.wait(lock, [&] { return quitting_ || !queue_.empty(); });
      if (queue_.empty()) return;
      Work work = std::move(queue_.front());
      queue_.pop_front();
      if (!work.task) --waiting_;
      lock.unlock();
      Deliver(work);
      lock.lock();
      ++finished_;
      done_.notify_all();
    }
  }

  void Deliver(Work& work) {
    if (work.task) return work.task();
    if (work.message != MIM_LONGDATA) return Call(work.message, work.word, work.time);
    // The bytes fill the queued buffers in turn; each goes back when full or at the end.
    std::size_t offset = 0;
    while (offset < work.bytes.size()) {
      MIDIHDR* header;
      {
        std::lock_guard<std::mutex> guard(lock_);
        if (buffers_.empty()) return;
        header = buffers_.front();
      }
      const std::size_t room = header->dwBufferLength - header->dwBytesRecorded;
      const std::size_t count = std::min(room, work.bytes.size() - offset);
      std::memcpy(header->lpData + header->dwBytesRecorded, work.bytes.data() + offset, count);
      header->dwBytesRecorded += static_cast<DWORD>(count);
      offset += count;
      {
        std::lock_guard<std::mutex> guard(lock_);
        buffers_.pop_front();
      }
      ReturnBuffer(header, work.time);
    }
  }

  void ReturnBuffer(MIDIHDR* header, DWORD time) {
    header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(MHDR_INQUEUE)) | MHDR_DONE;
    Call(MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(header), time);
  }

  void Call(UINT message, DWORD_PTR param1, DWORD_PTR param2) {
    if (callback_) callback_(handle_, message, instance_, param1, param2);
  }

  // The device first, so that nothing more is received; then the thread, after it has
  // made the callbacks already due.
  void Shut() {
    device_.reset();
    {
      std::lock_guard<std::mutex> guard(lock_);
      quitting_ = true;
      wake_.notify_one();
    }
    if (thread_.joinable()) thread_.join();
  }

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

using InputTable = HandleTable<std::shared_ptr<InputPort>, HMIDIIN>;

InputTable& Inputs() {
  static InputTable table(HandleRange::kMidiInputs);
  return table;
}

std::mutex overrideLock;
std::function<std::unique_ptr<MidiInputDevice>(MidiInputSink&)> inputOverride;

bool Overridden() {
  std::lock_guard<std::mutex> guard(overrideLock);
  return static_cast<bool>(inputOverride);
}

// The port outside the table's lock: a call that waits for the handle's thread must not
// hold it while that thread's callback calls midiIn* itself.
std::shared_ptr<InputPort> Find(HMIDIIN handle) {
  return Inputs()
      .With(handle, [](std::shared_ptr<InputPort>& port) { return port; })
      .value_or(nullptr);
}

std::unique_ptr<MidiInputDevice> OpenConfiguredDevice(MidiInputSink& sink) {
  {
    std::lock_guard<std::mutex> guard(overrideLock);
    if (inputOverride) return inputOverride(sink);
  }
  const DeviceSetting setting = ReadDeviceSetting("PLINKARO_MIDI_IN", DefaultMidiInputDriverName());
  const MidiInputDriver* driver =
      FindDriver(MidiInputDrivers(), setting, "PLINKARO_MIDI_IN", "MIDI input");
  if (!driver || !driver->open) return nullptr;
  std::string whyNot;
  auto device = driver->open(setting.argument, sink, whyNot);
  if (!device && !whyNot.empty()) std::fprintf(stderr, "plinkaro: %s\n", whyNot.c_str());
  return device;
}

MMRESULT CheckHeader(LPMIDIHDR header, UINT size) {
  return header && size >= sizeof(MIDIHDR) ? MMSYSERR_NOERROR : MMSYSERR_INVALPARAM;
}

}  // namespace

void SetInputOverrideForTesting(
    std::function<std::unique_ptr<MidiInputDevice>(MidiInputSink&)> opener) {
  std::lock_guard<std::mutex> guard(overrideLock);
  inputOverride = std::move(opener);
}

}  // namespace plk::winmm

using plk::winmm::Find;

UINT midiInGetNumDevs(void) {
  if (plk::winmm::Overridden()) return 1;
  const auto setting =
      plk::winmm::ReadDeviceSetting("PLINKARO_MIDI_IN", plk::winmm::DefaultMidiInputDriverName());
  for (const auto& driver : plk::winmm::MidiInputDrivers()) {
    if (setting.name == driver.name && !driver.open) return 0;
  }
  return 1;  // a name that is not in the table is reported when it is opened
}

MMRESULT midiInGetDevCapsA(UINT_PTR deviceId, LPMIDIINCAPSA caps, UINT size) {
  if (!caps) return MMSYSERR_INVALPARAM;
  if (deviceId >= midiInGetNumDevs()) return MMSYSERR_BADDEVICEID;
  MIDIINCAPSA full = {};
  full.vDriverVersion = 0x0100;
  const std::string_view name =
      plk::winmm::Overridden() ? std::string_view("test source")
                               : plk::winmm::ReadDeviceSetting(
                                     "PLINKARO_MIDI_IN", plk::winmm::DefaultMidiInputDriverName())
                                     .text;
  name.copy(full.szPname, MAXPNAMELEN - 1);
  std::memcpy(caps, &full, std::min<std::size_t>(size, sizeof full));
  return MMSYSERR_NOERROR;
}

MMRESULT midiInOpen(LPHMIDIIN handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                    DWORD flags) {
  if (!handle) return MMSYSERR_INVALPARAM;
  *handle = nullptr;
  const DWORD type = flags & CALLBACK_TYPEMASK;
  if (type != CALLBACK_NULL && type != CALLBACK_FUNCTION) return MMSYSERR_INVALFLAG;
  if (type == CALLBACK_FUNCTION && !callback) return MMSYSERR_INVALPARAM;
  if (deviceId >= midiInGetNumDevs()) return MMSYSERR_BADDEVICEID;
  auto port =
      std::make_shared<plk::winmm::InputPort>(type == CALLBACK_FUNCTION ? callback : 0, instance);
  auto device = plk::winmm::OpenConfiguredDevice(*port);
  if (!device) return MMSYSERR_NODRIVER;
  *handle = plk::winmm::Inputs().Add(port);
  port->Open(*handle, std::move(device));
  return MMSYSERR_NOERROR;
}

MMRESULT midiInStart(HMIDIIN handle) {
  auto port = Find(handle);
  if (!port) return MMSYSERR_INVALHANDLE;
  port->Start();
  return MMSYSERR_NOERROR;
}

MMRESULT midiInStop(HMIDIIN handle) {
  auto port = Find(handle);
  if (!port) return MMSYSERR_INVALHANDLE;
  port->Stop();
  return MMSYSERR_NOERROR;
}

MMRESULT midiInReset(HMIDIIN handle) {
  auto port = Find(handle);
  if (!port) return MMSYSERR_INVALHANDLE;
  port->Reset();
  return MMSYSERR_NOERROR;
}

MMRESULT midiInPrepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
  if (!Find(handle)) return MMSYSERR_INVALHANDLE;
  if (plk::winmm::CheckHeader(header, size) || !header->lpData) return MMSYSERR_INVALPARAM;
  header->dwFlags |= MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT midiInUnprepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
  if (!Find(handle)) return MMSYSERR_INVALHANDLE;
  if (plk::winmm::CheckHeader(header, size)) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  header->dwFlags &= ~static_cast<DWORD>(MHDR_PREPARED);
  return MMSYSERR_NOERROR;
}

MMRESULT midiInAddBuffer(HMIDIIN handle, LPMIDIHDR header, UINT size) {
  auto port = Find(handle);
  if (!port) return MMSYSERR_INVALHANDLE;
  if (plk::winmm::CheckHeader(header, size)) return MMSYSERR_INVALPARAM;
  if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  return port->AddBuffer(header);
}

MMRESULT midiInClose(HMIDIIN handle) {
  auto port = Find(handle);
  if (!port) return MMSYSERR_INVALHANDLE;
  if (const MMRESULT refused = port->CanClose()) return refused;
  plk::winmm::Inputs().Remove(handle);
  port->Close();
  return MMSYSERR_NOERROR;
}
