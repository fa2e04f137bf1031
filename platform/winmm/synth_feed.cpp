// Implements: the synthesizer that audio outputs render (synth_feed.h), made on whichever
// thread calls Create while the outputs already run.
#include "winmm/synth_feed.h"

namespace plk::winmm {
namespace {

template <typename Sample>
void Silence(int frames, Sample* left, Sample* right, int step) {
  for (int i = 0; i < frames; ++i) {
    left[i * step] = 0;
    right[i * step] = 0;
  }
}

}  // namespace

SynthFeed::~SynthFeed() {
  if (fluid_synth_t* synth = Synth()) delete_fluid_synth(synth);
}

bool SynthFeed::Create() {
  std::lock_guard<std::mutex> guard(changing_);
  fluid_synth_t* synth = new_fluid_synth(settings_);
  synth_.store(synth, std::memory_order_release);
  return synth != nullptr;
}

int SynthFeed::SampleRate() {
  double rate = 0;
  fluid_settings_getnum(settings_, "synth.sample-rate", &rate);
  return static_cast<int>(rate);
}

void SynthFeed::SetSampleRate(int rate) {
  std::lock_guard<std::mutex> guard(changing_);
  fluid_settings_setnum(settings_, "synth.sample-rate", rate);
  fluid_synth_t* synth = Synth();
  if (!synth)
    return;  // made at this rate
             // The only public way to change a synthesizer's rate in this FluidSynth.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  fluid_synth_set_sample_rate(synth, static_cast<float>(rate));
#pragma GCC diagnostic pop
}

void SynthFeed::WriteFloat(int frames, float* left, float* right, int step) {
  fluid_synth_t* synth = Synth();
  if (!synth) return Silence(frames, left, right, step);
  fluid_synth_write_float(synth, frames, left, 0, step, right, 0, step);
}

void SynthFeed::WriteS16(int frames, std::int16_t* left, std::int16_t* right, int step) {
  fluid_synth_t* synth = Synth();
  if (!synth) return Silence(frames, left, right, step);
  fluid_synth_write_s16(synth, frames, left, 0, step, right, 0, step);
}

int SynthFeed::Process(void* feed, int frames, int effects, float* effect[], int outputs,
                       float* output[]) {
  fluid_synth_t* synth = static_cast<SynthFeed*>(feed)->Synth();
  if (!synth) return FLUID_OK;
  // A driver that gives no buffers for reverb and chorus hears them mixed into the dry
  // sound, as a driver made for the synthesizer itself plays them.
  if (effects == 0) return fluid_synth_process(synth, frames, outputs, output, outputs, output);
  return fluid_synth_process(synth, frames, effects, effect, outputs, output);
}

}  // namespace plk::winmm
