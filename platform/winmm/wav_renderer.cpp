#include "winmm/wav_renderer.h"

#include <vector>

namespace plk::winmm {
namespace {

// The header's sizes are rewritten this often, so that a file stays readable up to the
// last update even when the program is killed.
constexpr int kHeaderUpdateFrames = 4800;

}  // namespace

std::unique_ptr<WavRenderer> WavRenderer::Start(fluid_synth_t* synth, const std::string& path,
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
  return std::unique_ptr<WavRenderer>(new WavRenderer(synth, file, sampleRate, periodFrames));
}

WavRenderer::WavRenderer(fluid_synth_t* synth, SNDFILE* file, int sampleRate, int periodFrames)
    : synth_(synth),
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

bool WavRenderer::WaitUntil(Clock::time_point deadline) {
  std::unique_lock<std::mutex> guard(lock_);
  return !wake_.wait_until(guard, deadline, [this] { return stopping_; });
}

// NOTE: deadlines are absolute (start + frames / rate), so waking late never makes the
// file drift from the clock: a late block is rendered at once and the next one catches up.
void WavRenderer::Run() {
  std::vector<short> block(static_cast<std::size_t>(periodFrames_) * 2);
  long long frames = 0;
  long long framesAtHeaderUpdate = 0;
  for (;;) {
    const auto deadline =
        start_ + std::chrono::duration_cast<Clock::duration>(
                     std::chrono::duration<double>(static_cast<double>(frames) / sampleRate_));
    if (!WaitUntil(deadline)) return;
    fluid_synth_write_s16(synth_, periodFrames_, block.data(), 0, 2, block.data(), 1, 2);
    sf_writef_short(file_, block.data(), periodFrames_);
    frames += periodFrames_;
    if (frames - framesAtHeaderUpdate >= kHeaderUpdateFrames) {
      sf_command(file_, SFC_UPDATE_HEADER_NOW, nullptr, 0);
      framesAtHeaderUpdate = frames;
    }
  }
}

}  // namespace plk::winmm
