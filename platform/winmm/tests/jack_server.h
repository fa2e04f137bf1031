// A private JACK server for the tests, on the dummy driver (no sound card needed).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <thread>

namespace plk::winmm {

// A private JACK server on the dummy driver, stopped by its process id.
class JackServer {
 public:
  explicit JackServer(int sampleRate = 48000);
  ~JackServer();
  bool running_ = false;

  // Stops the server's process (SIGSTOP), as a machine under load might, until resumed;
  // returns once it is stopped.
  void Pause();
  void Resume();

  // Polls for up to 20 s.
  template <class Condition>
  static bool Eventually(Condition condition) {
    for (int i = 0; i < 2000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
      if (condition()) return true;
    }
    return false;
  }

 private:
  pid_t pid_ = 0;
  int lock_ = -1;  // the lock file of the server's name
};

}  // namespace plk::winmm
