// Implements: following a JACK server for one device. While the server runs the thread
// sleeps until JACK tells of a change (the server gone, a port come or gone), so that a
// working connection costs no wake-ups; once the server went away it drops the dead port at
// once, so that the process may open clients again, and tries a fresh one every second.
// Does not implement: giving up.
#include "winmm/jack_reconnector.h"

#include <chrono>

namespace plk::winmm {
namespace {

constexpr std::chrono::seconds kRetryPeriod{1};

}  // namespace

JackReconnector::JackReconnector(std::function<bool()> reopen, std::function<void()> reconnect)
    : reopen_(std::move(reopen)), reconnect_(std::move(reconnect)) {
  thread_ = std::thread([this] { Run(); });
}

JackMidiPort::Handlers JackReconnector::Handlers() {
  JackMidiPort::Handlers handlers;
  handlers.onShutdown = [this] { Tell(&JackReconnector::lost_); };
  if (reconnect_) handlers.onPortsChanged = [this] { Tell(&JackReconnector::changed_); };
  return handlers;
}

void JackReconnector::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void JackReconnector::Tell(bool JackReconnector::*what) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    this->*what = true;
  }
  wake_.notify_one();
}

void JackReconnector::Run() {
  std::unique_lock<std::mutex> lock(lock_);
  bool retrying = false;  // the last reopen failed
  for (;;) {
    const auto due = [this] { return stopping_ || lost_ || changed_; };
    if (retrying) {
      wake_.wait_for(lock, kRetryPeriod, [this] { return stopping_; });
    } else {
      wake_.wait(lock, due);
    }
    if (stopping_) return;
    if (lost_ || retrying) {
      lost_ = changed_ = false;
      lock.unlock();
      retrying = !reopen_();
      lock.lock();
    } else if (changed_) {
      changed_ = false;
      lock.unlock();
      reconnect_();
      lock.lock();
    }
  }
}

}  // namespace plk::winmm
