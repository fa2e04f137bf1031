// Keeps a device's JACK port open across server restarts, and its connection made as ports
// come and go, on a thread of its own.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "winmm/jack_midi_port.h"

namespace plk::winmm {

class JackReconnector {
 public:
  // reopen() drops the port whose server went away and opens a fresh one, connected as it
  // should be; true when it did. reconnect() connects the open port when it should be and
  // is not; empty when the port connects to nothing.
  JackReconnector(std::function<bool()> reopen, std::function<void()> reconnect);
  ~JackReconnector() { Stop(); }
  JackReconnector(const JackReconnector&) = delete;
  JackReconnector& operator=(const JackReconnector&) = delete;

  // The handlers to open each port with. They tell this object, which must outlive the port.
  JackMidiPort::Handlers Handlers();
  // Ends the thread: neither function is called once it returns.
  void Stop();

 private:
  void Run();
  void Tell(bool JackReconnector::*what);

  const std::function<bool()> reopen_;
  const std::function<void()> reconnect_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool lost_ = false;
  bool changed_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace plk::winmm
