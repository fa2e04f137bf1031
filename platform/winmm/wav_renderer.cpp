// Implements: PLINKARO_AUDIO_OUT=file:PATH.wav, a stand-in for a sound card that writes
// what it would play into a 16-bit stereo WAV file, paced by the steady clock: block n is
// rendered at start + n blocks, so a sample's position in the file tells when it would
// have reached the speaker. After 2 s of silence the renderer sleeps; woken by the next
// message, it first writes the silence it slept through.
// Does not implement: other file formats, or rendering faster than real time.
#include "winmm/wav_renderer.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace plk::winmm {
namespace {

// The header's sizes are rewritten this often, so that a file stays readable up to the
// last update even when the program is killed.
constexpr int kHeaderUpdateFrames = 4800;

float Peak(const std::vector<short>& block) {
  int peak = 0;
  for (short sample : block) peak = std::max(peak, std::abs(static_cast<int>(sample)));
  return static_cast<float>(peak) / 32768;
}

}  // namespace

std::unique_ptr<WavRenderer> WavRenderer::Start(SynthFeed& feed, const std::string& path,
                                                int sampleRate, int periodFrames,
                                                std::string& whyNot) {
  SF_INFO format{};
  format.samplerate = sampleRate;
  format.channels = 2;
  format.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &format);
  if (!file) {
    whyNot = "cannot write the audio file " + path + " (" + sf_strerror(nullptr) +
             "): check that its folder exists and is writable";
    return nullptr;
  }
  return std::unique_ptr<WavRenderer>(new WavRenderer(feed, file, sampleRate, periodFrames));
}

WavRenderer::WavRenderer(SynthFeed& feed, SNDFILE* file, int sampleRate, int periodFrames)
    : feed_(feed),
      file_(file),
      sampleRate_(sampleRate),
      periodFrames_(periodFrames),
      start_(Clock::now()),
      thread_(&WavRenderer::Run, this) {}

WavRenderer::~WavRenderer() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
  sf_close(file_);
}

void WavRenderer::Wake() {
  std::lock_guard<std::mutex> guard(lock_);
  ++activity_;
  if (sleeping_) wake_.notify_all();
}

bool WavRenderer::Sleeping() {
  std::lock_guard<std::mutex> guard(lock_);
  return sleeping_;
}

bool WavRenderer::WaitUntil(Clock::time_point deadline) {
  std::unique_lock<std::mutex> guard(lock_);
  return !wake_.wait_until(guard, deadline, [this] { return stopping_; });
}

bool WavRenderer::SleepThroughSilence(unsigned activitySeen) {
  std::unique_lock<std::mutex> guard(lock_);
  // A message that came while the last block was rendered keeps the renderer awake.
  if (activity_ != activitySeen) return true;
  sleeping_ = true;
  wake_.wait(guard, [&] { return stopping_ || activity_ != activitySeen; });
  sleeping_ = false;
  return true;
}

long long WavRenderer::FramesAt(Clock::time_point moment) const {
  const double seconds = std::chrono::duration<double>(moment - start_).count();
  return static_cast<long long>(seconds * sampleRate_) / periodFrames_ * periodFrames_;
}

void WavRenderer::WriteSilence(long long frames) {
  const std::vector<short> zeros(static_cast<std::size_t>(kHeaderUpdateFrames) * 2, 0);
  while (frames > 0) {
    const long long now = std::min<long long>(frames, kHeaderUpdateFrames);
    sf_writef_short(file_, zeros.data(), now);
    frames -= now;
  }
}

// NOTE: deadlines are absolute (start + frames / rate), so waking late never makes the
// file drift from the clock: a late block is rendered at once and the next one catches up.
void WavRenderer::Run() {
  // A sound card's thread is not kept waiting by a busy machine; nor is this one, or the
  // messages it renders would land in the file later than they came.
  RaiseAudioThreadPriority();
  std::vector<short> block(static_cast<std::size_t>(periodFrames_) * 2);
  SilenceWatch silence(sampleRate_);
  long long frames = 0;
  long long framesAtHeaderUpdate = 0;
  unsigned activitySeen = 0;
  for (;;) {
    const auto deadline =
        start_ + std::chrono::duration_cast<Clock::duration>(
                     std::chrono::duration<double>(static_cast<double>(frames) / sampleRate_));
    if (!WaitUntil(deadline)) break;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (activity_ != activitySeen) silence.Reset();
      activitySeen = activity_;
    }
    feed_.WriteS16(periodFrames_, block.data(), block.data() + 1, 2);
    sf_writef_short(file_, block.data(), periodFrames_);
    frames += periodFrames_;
    const bool quiet = silence.Quiet(Peak(block), static_cast<std::size_t>(periodFrames_));
    if (quiet || frames - framesAtHeaderUpdate >= kHeaderUpdateFrames) {
      sf_command(file_, SFC_UPDATE_HEADER_NOW, nullptr, 0);
      framesAtHeaderUpdate = frames;
    }
    if (!quiet) continue;
    SleepThroughSilence(activitySeen);
    // The time slept is silence in the file, up to the block the clock has reached.
    const long long reached = std::max(frames, FramesAt(Clock::now()));
    WriteSilence(reached - frames);
    frames = reached;
    silence.Reset();
  }
}

}  // namespace plk::winmm
