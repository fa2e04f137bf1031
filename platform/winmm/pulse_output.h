// The synth device's sound through a PulseAudio server, corked while all is silent, and
// connected again when the server comes back after it went away.
#pragma once

#include <fluidsynth.h>
#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "winmm/audio_output.h"
#include "winmm/synth_feed.h"

namespace plk::winmm {

class PulseOutput final : public AudioOutput {
 public:
  // Connects to the server (PULSE_SERVER, else the user's); null with the reason in whyNot.
  static std::unique_ptr<PulseOutput> Start(SynthFeed& feed, int sampleRate, int periodFrames,
                                            std::string& whyNot);
  ~PulseOutput() override;
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;

  void Wake() override;
  // Whether the stream is corked (tests and benchmarks).
  bool Corked() const { return corked_; }
  // Whether the server has gone away and no new one has taken the stream yet (tests).
  bool Away() const { return away_; }
  // The frames the synth has rendered, heard or not (tests).
  std::uint64_t RenderedFrames() const { return renderedFrames_; }
  // The last uncork (benchmarks): from the message that woke the stream to the first sound
  // handed to the server, and the sound the stream then keeps queued ahead of it (the
  // server's own latency comes on top); negative until a woken stream has sounded.
  struct Resume {
    std::chrono::microseconds toFirstSound{-1};
    std::chrono::microseconds queued{-1};
  };
  Resume LastResume();

 private:
  PulseOutput(SynthFeed& feed, int sampleRate, int periodFrames);
  bool Connect(std::string& whyNot);
  bool OpenContext();
  void OpenStream();
  void Lost();
  void Drop();
  void Retry();
  void ScheduleRetry();
  void RenderWhileAway();
  void Render(std::size_t bytes);
  void CorkIfStillQuiet();
  void NoteFirstSound();

  static void OnContextState(pa_context* context, void* self);
  static void OnStreamState(pa_stream* stream, void* self);
  static void OnWrite(pa_stream* stream, std::size_t bytes, void* self);
  static void OnRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval* due,
                      void* self);

  SynthFeed& feed_;
  int sampleRate_;
  int periodFrames_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  // Under the loop's lock. The first connection either succeeds or fails for good; once it
  // has succeeded, a lost server is tried again with a backoff, and while it is away the
  // synth renders into nothing on each try, so that its voices keep their time.
  bool opened_ = false;
  bool failed_ = false;
  std::atomic<bool> away_{false};
  pa_time_event* retry_ = nullptr;
  std::chrono::milliseconds retryAfter_{0};
  std::chrono::steady_clock::time_point renderedUntil_;
  // Written by any sender, read by the render callback: uncorking needs the loop's lock,
  // which a sender takes only when the stream is corked.
  std::atomic<bool> corked_{false};
  std::atomic<unsigned> activity_{0};
  std::atomic<std::uint64_t> renderedFrames_{0};
  // The render callback's own, under the loop's lock.
  unsigned activitySeen_ = 0;
  SilenceWatch silence_;
  bool prioritySet_ = false;
  std::chrono::steady_clock::time_point uncorkedAt_;
  bool awaitingSound_ = false;
  Resume resume_;
};

}  // namespace plk::winmm
