// Implements: the synth device's sound through a PulseAudio server (or PipeWire's
// PulseAudio service): a low-latency float stream that the server pulls from, rendered on
// the client library's thread. After 2 s of silence the stream is corked, so neither this
// process nor the server wakes while nothing sounds; the next message uncorks it.
// When the server goes away, the stream is opened again on a fresh connection, tried with a
// backoff, and the synth renders into nothing meanwhile; one line on stderr says it is lost
// and one that it is back.
// Does not implement: choosing a sink (the server's default is used).
#include "winmm/pulse_output.h"
#include "winmm/synth_options.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace plk::winmm {
namespace {

constexpr std::size_t kFrameBytes = 2 * sizeof(float);
// A lost server is tried again after half a second, then each time twice as late up to
// every 2 s.
constexpr std::chrono::milliseconds kFirstRetry{500};
constexpr std::chrono::milliseconds kLastRetry{2000};

void Release(pa_operation* operation) {
  if (operation) pa_operation_unref(operation);
}

}  // namespace

std::unique_ptr<PulseOutput> PulseOutput::Start(SynthFeed& feed, int sampleRate, int periodFrames,
                                                std::string& whyNot) {
  std::unique_ptr<PulseOutput> output(new PulseOutput(feed, sampleRate, periodFrames));
  if (!output->Connect(whyNot)) return nullptr;
  return output;
}

PulseOutput::PulseOutput(SynthFeed& feed, int sampleRate, int periodFrames)
    : feed_(feed), sampleRate_(sampleRate), periodFrames_(periodFrames), silence_(sampleRate) {}

// The first connection, waited for: a server that is not there now is reported at once, so
// that the device can try its next driver.
bool PulseOutput::Connect(std::string& whyNot) {
  loop_ = pa_threaded_mainloop_new();
  if (!loop_) {
    whyNot = "the PulseAudio client did not start";
    return false;
  }
  pa_threaded_mainloop_lock(loop_);
  pa_threaded_mainloop_start(loop_);
  failed_ = !OpenContext();
  while (!opened_ && !failed_) pa_threaded_mainloop_wait(loop_);
  if (failed_) whyNot = pa_strerror(pa_context_errno(context_));
  pa_threaded_mainloop_unlock(loop_);
  return opened_;
}

// Each try is a fresh context: PULSE_SERVER or the user's server, never one spawned.
bool PulseOutput::OpenContext() {
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Plinkaro");
  pa_context_set_state_callback(context_, OnContextState, this);
  return pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
}

void PulseOutput::OpenStream() {
  const pa_sample_spec spec = {PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(sampleRate_), 2};
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "music");
  stream_ = pa_stream_new_with_proplist(context_, "Plinkaro", &spec, nullptr, properties);
  pa_proplist_free(properties);
  pa_stream_set_state_callback(stream_, OnStreamState, this);
  pa_stream_set_write_callback(stream_, OnWrite, this);
  // The server keeps the synth's whole latency queued (its periods, 8 ms) and lowers its
  // own to match: with only one period (2.7 ms) queued, any wake-up of the client that comes
  // a few milliseconds late (a busy or virtual machine) leaves a hole in the sound.
  const auto target = static_cast<uint32_t>(periodFrames_ * kPeriods * kFrameBytes);
  const pa_buffer_attr buffer = {static_cast<uint32_t>(-1), target, static_cast<uint32_t>(-1),
                                 static_cast<uint32_t>(-1), static_cast<uint32_t>(-1)};
  // NOTE: the stream starts playing and corks once the first 2 s of silence have passed:
  // uncorked soon after it was made corked, a stream may wait for the sink's long idle
  // block (up to 2 s on a null sink) before the server asks it for data.
  if (pa_stream_connect_playback(stream_, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                 nullptr) < 0) {
    Lost();
  }
}

PulseOutput::~PulseOutput() {
  if (!loop_) return;
  pa_threaded_mainloop_lock(loop_);
  if (retry_) pa_threaded_mainloop_get_api(loop_)->time_free(retry_);
  Drop();
  pa_threaded_mainloop_unlock(loop_);
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
}

void PulseOutput::Drop() {
  if (stream_) {
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }
  if (context_) {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
}

void PulseOutput::OnContextState(pa_context* context, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  const pa_context_state_t state = pa_context_get_state(context);
  if (state == PA_CONTEXT_READY) output->OpenStream();
  if (!PA_CONTEXT_IS_GOOD(state)) output->Lost();
  pa_threaded_mainloop_signal(output->loop_, 0);
}

void PulseOutput::OnStreamState(pa_stream* stream, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  const pa_stream_state_t state = pa_stream_get_state(stream);
  if (state == PA_STREAM_READY && !output->opened_) {
    output->opened_ = true;
  } else if (state == PA_STREAM_READY && output->away_) {
    output->away_ = false;
    output->corked_ = false;
    output->silence_.Reset();
    std::fprintf(stderr, "plinkaro: the sound server is back\n");
  }
  if (!PA_STREAM_IS_GOOD(state)) output->Lost();
  pa_threaded_mainloop_signal(output->loop_, 0);
}

// In a callback of the context or the stream, which may not be freed there: the next try
// frees them. The first connection that fails is not tried again.
void PulseOutput::Lost() {
  if (!opened_) {
    failed_ = true;
    return;
  }
  if (retry_) return;  // already lost, and a try is due
  if (!away_) {
    away_ = true;
    retryAfter_ = kFirstRetry;
    renderedUntil_ = std::chrono::steady_clock::now();
    std::fprintf(stderr, "plinkaro: the sound server went away; sound returns when it is back\n");
  }
  if (stream_) pa_stream_set_write_callback(stream_, nullptr, nullptr);
  ScheduleRetry();
}

void PulseOutput::ScheduleRetry() {
  timeval due;
  pa_gettimeofday(&due);
  pa_timeval_add(&due, static_cast<pa_usec_t>(retryAfter_.count()) * PA_USEC_PER_MSEC);
  retry_ = pa_threaded_mainloop_get_api(loop_)->time_new(pa_threaded_mainloop_get_api(loop_), &due,
                                                         OnRetry, this);
  retryAfter_ = std::min(retryAfter_ * 2, kLastRetry);
}

void PulseOutput::OnRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  api->time_free(event);
  output->retry_ = nullptr;
  output->Retry();
}

void PulseOutput::Retry() {
  Drop();
  RenderWhileAway();
  if (!OpenContext()) Lost();
}

void PulseOutput::RenderWhileAway() {
  renderedFrames_ += RenderTimeAway(feed_, sampleRate_, renderedUntil_);
}

void PulseOutput::OnWrite(pa_stream*, std::size_t bytes, void* self) {
  static_cast<PulseOutput*>(self)->Render(bytes);
}

// Runs on the client library's thread with its lock held.
void PulseOutput::Render(std::size_t bytes) {
  if (!prioritySet_) {
    prioritySet_ = true;
    RaiseAudioThreadPriority();
  }
  const unsigned activity = activity_;
  if (activity != activitySeen_) {
    activitySeen_ = activity;
    silence_.Reset();
  }
  bool quiet = false;
  while (bytes >= kFrameBytes) {
    void* data = nullptr;
    std::size_t size = bytes;
    if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data) return;
    const std::size_t frames = std::min(size, bytes) / kFrameBytes;
    auto* samples = static_cast<float*>(data);
    feed_.WriteFloat(static_cast<int>(frames), samples, samples + 1, 2);
    renderedFrames_ += frames;
    float peak = 0;
    for (std::size_t i = 0; i < frames * 2; ++i) peak = std::max(peak, std::fabs(samples[i]));
    quiet = silence_.Quiet(peak, frames);
    if (awaitingSound_ && peak >= SilenceWatch::kSilentPeak) NoteFirstSound();
    pa_stream_write(stream_, data, frames * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE);
    bytes -= frames * kFrameBytes;
  }
  if (quiet && !corked_) CorkIfStillQuiet();
}

// NOTE: a sender counts its message before it looks at corked_, and this looks at the count
// after setting corked_, so either the message is seen here or the sender sees the cork.
void PulseOutput::CorkIfStillQuiet() {
  corked_ = true;
  if (activity_ != activitySeen_) {
    corked_ = false;
    return;
  }
  // NOTE: what the server still holds (silence, one period) is kept: a flush before the
  // cork can leave the server asking for nothing after the uncork.
  Release(pa_stream_cork(stream_, 1, nullptr, nullptr));
}

void PulseOutput::Wake() {
  ++activity_;
  if (!corked_) return;
  pa_threaded_mainloop_lock(loop_);
  if (corked_ && !away_) {
    corked_ = false;
    silence_.Reset();
    uncorkedAt_ = std::chrono::steady_clock::now();
    awaitingSound_ = true;
    Release(pa_stream_cork(stream_, 0, nullptr, nullptr));
  }
  pa_threaded_mainloop_unlock(loop_);
}

void PulseOutput::NoteFirstSound() {
  using std::chrono::microseconds;
  awaitingSound_ = false;
  const pa_buffer_attr* buffer = pa_stream_get_buffer_attr(stream_);
  const pa_sample_spec* spec = pa_stream_get_sample_spec(stream_);
  resume_.toFirstSound =
      std::chrono::duration_cast<microseconds>(std::chrono::steady_clock::now() - uncorkedAt_);
  if (buffer && spec) resume_.queued = microseconds(pa_bytes_to_usec(buffer->tlength, spec));
}

PulseOutput::Resume PulseOutput::LastResume() {
  pa_threaded_mainloop_lock(loop_);
  const Resume resume = resume_;
  pa_threaded_mainloop_unlock(loop_);
  return resume;
}

}  // namespace plk::winmm
