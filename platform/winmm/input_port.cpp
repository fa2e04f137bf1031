// Implements: one open MIDI input handle as a Windows driver keeps it: a thread of its own
// that makes the handle's callbacks one at a time, in the order the messages arrived:
// MIM_DATA with the packed message and the milliseconds since the start (data bytes that
// run on the previous status get it, as a driver reads them off a MIDI cable), MIM_ERROR
// with the bytes of a data byte that has no status to run on, and MIM_LONGDATA with each
// added buffer that a system-exclusive message filled or ended in. Stop, reset and close
// return once no callback runs or is due; a reset hands back every queued buffer first.
// MIM_OPEN and MIM_CLOSE come on the thread that opens and closes.
// Does not implement: MIM_MOREDATA; MIM_LONGERROR (a system-exclusive message finding no
// buffer is dropped); closing from the handle's own callback (refused).
#include "winmm/input_port.h"

#include <algorithm>
#include <cstring>

#include "winmm/midi_message.h"

namespace plk::winmm {
namespace {

// Messages waiting for the callback; a source that outruns a stalled callback loses the rest.
constexpr std::size_t kMaxWaiting = 4096;

}  // namespace

InputPort::InputPort(DWORD_PTR callback, DWORD_PTR instance)
    : callback_(reinterpret_cast<InputProc>(callback)), instance_(instance) {}

InputPort::~InputPort() { Shut(); }

void InputPort::Open(HMIDIIN handle, std::unique_ptr<MidiInputDevice> device) {
  handle_ = handle;
  device_ = std::move(device);
  thread_ = std::thread([this] { Run(); });
  Call(MIM_OPEN, 0, 0);
}

void InputPort::Receive(const BYTE* bytes, std::size_t size) {
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

void InputPort::WaitUntilDelivered() {
  if (OnOwnThread()) return;
  std::unique_lock<std::mutex> lock(lock_);
  const std::uint64_t target = queued_;
  done_.wait(lock, [&] { return finished_ >= target; });
}

void InputPort::Start() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (started_ || quitting_) return;
    started_ = true;
    startTime_ = Clock::now();
  }
  device_->Start();
}

void InputPort::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    started_ = false;
  }
  WaitUntilDelivered();
}

void InputPort::Reset() {
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

MMRESULT InputPort::AddBuffer(MIDIHDR* header) {
  std::lock_guard<std::mutex> guard(lock_);
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~static_cast<DWORD>(MHDR_DONE);
  header->dwBytesRecorded = 0;
  buffers_.push_back(header);
  return MMSYSERR_NOERROR;
}

MMRESULT InputPort::CanClose() {
  if (OnOwnThread()) return MMSYSERR_ERROR;
  std::lock_guard<std::mutex> guard(lock_);
  return buffers_.empty() ? MMSYSERR_NOERROR : MIDIERR_STILLPLAYING;
}

void InputPort::Close() {
  Shut();
  Call(MIM_CLOSE, 0, 0);
}

// A short message: its status (or the running one) and the data bytes that status takes.
void InputPort::Decode(const BYTE* bytes, std::size_t size, Work& work) {
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

void InputPort::PushLocked(Work work) {
  ++queued_;
  queue_.push_back(std::move(work));
  wake_.notify_one();
}

// Runs the task on the handle's thread after everything queued before it.
void InputPort::RunTask(std::function<void()> task) {
  if (OnOwnThread()) return task();
  {
    std::lock_guard<std::mutex> guard(lock_);
    Work work;
    work.task = std::move(task);
    PushLocked(std::move(work));
  }
  WaitUntilDelivered();
}

void InputPort::Run() {
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

void InputPort::Deliver(Work& work) {
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

void InputPort::ReturnBuffer(MIDIHDR* header, DWORD time) {
  header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(MHDR_INQUEUE)) | MHDR_DONE;
  Call(MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(header), time);
}

void InputPort::Call(UINT message, DWORD_PTR param1, DWORD_PTR param2) {
  if (callback_) callback_(handle_, message, instance_, param1, param2);
}

// The device first, so that nothing more is received; then the thread, after it has
// made the callbacks already due.
void InputPort::Shut() {
  device_.reset();
  {
    std::lock_guard<std::mutex> guard(lock_);
    quitting_ = true;
    wake_.notify_one();
  }
  if (thread_.joinable()) thread_.join();
}

}  // namespace plk::winmm
