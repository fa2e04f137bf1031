// The synth device's sound through a JACK server, on a client of the process's JACK session,
// opened again when the server comes back after it went away.
#pragma once

#include <fluidsynth.h>
#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "winmm/audio_output.h"
#include "winmm/jack_reconnector.h"
#include "winmm/jack_session.h"
#include "winmm/synth_feed.h"

namespace plk::winmm {

class JackAudioOutput final : public AudioOutput {
 public:
  // The client and its ports are named as FluidSynth's own JACK driver names them, from the
  // same settings (audio.jack.id, audio.jack.autoconnect), so that a patchbay's connections
  // still find them. Null with the reason in whyNot when no server answers.
  static std::unique_ptr<JackAudioOutput> Start(fluid_settings_t* settings, SynthFeed& feed,
                                                std::string& whyNot);
  ~JackAudioOutput() override;
  JackAudioOutput(const JackAudioOutput&) = delete;
  JackAudioOutput& operator=(const JackAudioOutput&) = delete;

  // JACK's process thread renders whenever the server asks.
  void Wake() override {}
  // Whether the server has gone away and no new one has taken the client yet (tests).
  bool Away() const { return away_; }
  // The frames the synth has rendered, heard or not (tests).
  std::uint64_t RenderedFrames() const { return renderedFrames_; }

 private:
  JackAudioOutput(SynthFeed& feed, std::string clientName, bool autoconnect);
  bool Open(std::string& whyNot);
  bool Reopen();
  void Process(jack_nframes_t frames);

  SynthFeed& feed_;
  const std::string clientName_;
  const bool autoconnect_;
  std::atomic<bool> away_{false};
  std::atomic<std::uint64_t> renderedFrames_{0};
  std::chrono::steady_clock::time_point renderedUntil_;  // while away, the reconnector's
  JackReconnector reconnector_;
  std::mutex lock_;  // client_, between the first open and the reconnector's thread
  jack_port_t* left_ = nullptr;
  jack_port_t* right_ = nullptr;
  std::unique_ptr<JackClient> client_;
};

}  // namespace plk::winmm
