// PLINKARO_AUDIO_OUT=file:PATH.wav: what the synth would play, written to a WAV file.
#pragma once

#include <fluidsynth.h>
#include <sndfile.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "winmm/audio_output.h"
#include "winmm/synth_feed.h"

namespace plk::winmm {

class WavRenderer final : public AudioOutput {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts rendering `feed` into `path`; null with one line in whyNot when the file
  // cannot be created.
  static std::unique_ptr<WavRenderer> Start(SynthFeed& feed, const std::string& path,
                                            int sampleRate, int periodFrames, std::string& whyNot);
  // Stops the thread and leaves a complete file.
  ~WavRenderer() override;
  WavRenderer(const WavRenderer&) = delete;
  WavRenderer& operator=(const WavRenderer&) = delete;

  void Wake() override;

  // The moment the first sample of the file stands for.
  Clock::time_point StartTime() const { return start_; }
  // Whether the renderer sleeps through silence (tests).
  bool Sleeping();

 private:
  WavRenderer(SynthFeed& feed, SNDFILE* file, int sampleRate, int periodFrames);
  void Run();
  bool WaitUntil(Clock::time_point deadline);
  // Sleeps until woken; false when stopping.
  bool SleepThroughSilence(unsigned activitySeen);
  long long FramesAt(Clock::time_point moment) const;
  void WriteSilence(long long frames);

  SynthFeed& feed_;
  SNDFILE* file_;
  int sampleRate_;
  int periodFrames_;
  Clock::time_point start_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool sleeping_ = false;
  unsigned activity_ = 0;  // messages seen, under lock_
  std::thread thread_;
};

}  // namespace plk::winmm
