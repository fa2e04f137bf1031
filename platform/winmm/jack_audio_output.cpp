// Implements: the synth device's sound through a JACK server: a client with the ports "left"
// and "right" that the synth renders into on JACK's process thread, connected to the
// server's first two playback ports when audio.jack.autoconnect is set, as FluidSynth's own
// JACK driver does. Unlike that driver, its client is one of the process's JACK session, so
// that a server that goes away is followed: one line on stderr says it is gone, the synth
// renders into nothing meanwhile, so that its voices keep their time, a fresh client is
// tried every second, and one more line says when the server is back.
// The synth renders at the rate of the server each client opens on.
// Does not implement: more than two channels.
#include "winmm/jack_audio_output.h"

#include <cstdio>

namespace plk::winmm {

std::unique_ptr<JackAudioOutput> JackAudioOutput::Start(fluid_settings_t* settings, SynthFeed& feed,
                                                        std::string& whyNot) {
  char* id = nullptr;
  std::string clientName = "fluidsynth";
  if (fluid_settings_dupstr(settings, "audio.jack.id", &id) == FLUID_OK && id && *id) {
    clientName = id;
  }
  fluid_free(id);
  int autoconnect = 0;
  fluid_settings_getint(settings, "audio.jack.autoconnect", &autoconnect);
  std::unique_ptr<JackAudioOutput> output(
      new JackAudioOutput(feed, std::move(clientName), autoconnect != 0));
  if (!output->Open(whyNot)) return nullptr;
  return output;
}

JackAudioOutput::JackAudioOutput(SynthFeed& feed, std::string clientName, bool autoconnect)
    : feed_(feed),
      clientName_(std::move(clientName)),
      autoconnect_(autoconnect),
      reconnector_([this] { return Reopen(); }, {}) {}

JackAudioOutput::~JackAudioOutput() { reconnector_.Stop(); }

bool JackAudioOutput::Open(std::string& whyNot) {
  auto client = JackClient::Open(clientName_.c_str(), whyNot, reconnector_.Handlers().onShutdown);
  if (!client) return false;
  jack_client_t* jack = client->get();
  left_ = jack_port_register(jack, "left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  right_ = jack_port_register(jack, "right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  if (!left_ || !right_) {
    whyNot = "the JACK server refused the audio ports";
    return false;
  }
  const int rate = static_cast<int>(jack_get_sample_rate(jack));
  if (rate != feed_.SampleRate()) feed_.SetSampleRate(rate);
  client->SetProcessCallback(
      [](jack_nframes_t frames, void* self) {
        static_cast<JackAudioOutput*>(self)->Process(frames);
        return 0;
      },
      this);
  if (jack_activate(jack) != 0) {
    whyNot = "the JACK server did not start the client";
    return false;
  }
  if (autoconnect_) {
    const char** playback = jack_get_ports(jack, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsInput | JackPortIsPhysical);
    if (playback && playback[0]) jack_connect(jack, jack_port_name(left_), playback[0]);
    if (playback && playback[0] && playback[1]) {
      jack_connect(jack, jack_port_name(right_), playback[1]);
    }
    jack_free(playback);
  }
  std::lock_guard<std::mutex> guard(lock_);
  client_ = std::move(client);
  return true;
}

// On the reconnector's thread.
bool JackAudioOutput::Reopen() {
  std::unique_ptr<JackClient> dead;
  {
    std::lock_guard<std::mutex> guard(lock_);
    dead = std::move(client_);
  }
  if (dead) {
    dead.reset();
    away_ = true;
    renderedUntil_ = std::chrono::steady_clock::now();
    std::fprintf(stderr, "plinkaro: the JACK server went away; sound returns when it is back\n");
  }
  renderedFrames_ += RenderTimeAway(feed_, feed_.SampleRate(), renderedUntil_);
  std::string whyNot;
  if (!Open(whyNot)) return false;
  away_ = false;
  std::fprintf(stderr, "plinkaro: the JACK server is back\n");
  return true;
}

// Runs on JACK's process thread, whose priority JACK sets.
void JackAudioOutput::Process(jack_nframes_t frames) {
  auto* left = static_cast<float*>(jack_port_get_buffer(left_, frames));
  auto* right = static_cast<float*>(jack_port_get_buffer(right_, frames));
  feed_.WriteFloat(static_cast<int>(frames), left, right, 1);
  renderedFrames_ += frames;
}

}  // namespace plk::winmm
