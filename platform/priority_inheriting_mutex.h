// A mutex whose holder runs at the priority of the threads waiting for it.
#pragma once

#include <pthread.h>

namespace plk {

// For state that the time-critical multimedia timer thread shares with threads of normal
// priority: a busy machine cannot keep the holder, and with it the timer, off the processor.
// Without a real-time thread in the process it behaves as a plain mutex.
class PriorityInheritingMutex {
 public:
  PriorityInheritingMutex() {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT);
    pthread_mutex_init(&mutex_, &attributes);
    pthread_mutexattr_destroy(&attributes);
  }
  ~PriorityInheritingMutex() { pthread_mutex_destroy(&mutex_); }
  PriorityInheritingMutex(const PriorityInheritingMutex&) = delete;
  PriorityInheritingMutex& operator=(const PriorityInheritingMutex&) = delete;

  void lock() { pthread_mutex_lock(&mutex_); }
  bool try_lock() { return pthread_mutex_trylock(&mutex_) == 0; }
  void unlock() { pthread_mutex_unlock(&mutex_); }

 private:
  pthread_mutex_t mutex_;
};

}  // namespace plk
