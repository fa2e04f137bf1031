// Implements: FluidSynth loaded with dlopen on first need, and the fluid_* functions the
// platform calls, each forwarding to the library's own (looked up once, on its first call).
// The forwarders are not exported from the executable, so the library's calls to its own
// functions stay its own.
// Does not implement: unloading (the library stays until the process ends), functions the
// platform does not call.
#include "winmm/fluidsynth_library.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <cstdio>
#include <cstdlib>

#include "winmm/sound_library_logs.h"

namespace plk::winmm {
namespace {

static_assert(FLUIDSYNTH_VERSION_MAJOR == 2, "FluidSynth 2's library is libfluidsynth.so.3");
constexpr const char* kLibraryName = "libfluidsynth.so.3";

struct Library {
  void* handle = nullptr;
  std::string whyNot;
};

const Library& Loaded() {
  static const Library library = [] {
    Library loading;
    // Lazily bound: the library and its own libraries have thousands of functions, of which
    // the synthesizer calls few; binding them all up front would hold the open for another
    // millisecond.
    loading.handle = dlopen(kLibraryName, RTLD_LAZY | RTLD_LOCAL);
    if (!loading.handle) {
      const char* error = dlerror();
      loading.whyNot = std::string("FluidSynth cannot be loaded (") +
                       (error ? error : kLibraryName) + "): install libfluidsynth3";
      return loading;
    }
    // Through the library's own function: a forwarder would come back here.
    if (auto setLogFunction = reinterpret_cast<decltype(&fluid_set_log_function)>(
            dlsym(loading.handle, "fluid_set_log_function"))) {
      RouteFluidSynthLogs(setLogFunction);
    }
    return loading;
  }();
  return library;
}

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "plinkaro: %s\n", why.c_str());
  std::abort();
}

void* Symbol(const char* name) {
  const Library& library = Loaded();
  if (!library.handle) Fail(library.whyNot);
  void* symbol = dlsym(library.handle, name);
  if (!symbol) Fail(std::string(kLibraryName) + " has no " + name);
  return symbol;
}

// The library's function that the forwarder `Self` stands for.
template <auto Self>
auto Real(const char* name) {
  static const auto real = reinterpret_cast<decltype(Self)>(Symbol(name));
  return real;
}

}  // namespace

bool LoadFluidSynth(std::string& whyNot) {
  const Library& library = Loaded();
  if (!library.handle) whyNot = library.whyNot;
  return library.handle != nullptr;
}

}  // namespace plk::winmm

using plk::winmm::Real;

#define PLK_REAL(name) Real<&name>(#name)

// Settings.
fluid_settings_t* new_fluid_settings() { return PLK_REAL(new_fluid_settings)(); }
void delete_fluid_settings(fluid_settings_t* settings) {
  PLK_REAL(delete_fluid_settings)(settings);
}
int fluid_settings_setstr(fluid_settings_t* settings, const char* name, const char* str) {
  return PLK_REAL(fluid_settings_setstr)(settings, name, str);
}
int fluid_settings_setint(fluid_settings_t* settings, const char* name, int val) {
  return PLK_REAL(fluid_settings_setint)(settings, name, val);
}
int fluid_settings_setnum(fluid_settings_t* settings, const char* name, double val) {
  return PLK_REAL(fluid_settings_setnum)(settings, name, val);
}
int fluid_settings_getint(fluid_settings_t* settings, const char* name, int* val) {
  return PLK_REAL(fluid_settings_getint)(settings, name, val);
}
int fluid_settings_getnum(fluid_settings_t* settings, const char* name, double* val) {
  return PLK_REAL(fluid_settings_getnum)(settings, name, val);
}
int fluid_settings_dupstr(fluid_settings_t* settings, const char* name, char** str) {
  return PLK_REAL(fluid_settings_dupstr)(settings, name, str);
}
char* fluid_settings_option_concat(fluid_settings_t* settings, const char* name,
                                   const char* separator) {
  return PLK_REAL(fluid_settings_option_concat)(settings, name, separator);
}
void fluid_free(void* ptr) { PLK_REAL(fluid_free)(ptr); }
fluid_log_function_t fluid_set_log_function(int level, fluid_log_function_t fun, void* data) {
  return PLK_REAL(fluid_set_log_function)(level, fun, data);
}

// The synthesizer and its soundfonts.
fluid_synth_t* new_fluid_synth(fluid_settings_t* settings) {
  return PLK_REAL(new_fluid_synth)(settings);
}
void delete_fluid_synth(fluid_synth_t* synth) { PLK_REAL(delete_fluid_synth)(synth); }
fluid_settings_t* fluid_synth_get_settings(fluid_synth_t* synth) {
  return PLK_REAL(fluid_synth_get_settings)(synth);
}
// Deprecated: its address, which Real would take, draws a warning wherever the compiler
// instantiates Real.
void fluid_synth_set_sample_rate(fluid_synth_t* synth, float sample_rate) {
  static const auto real = reinterpret_cast<void (*)(fluid_synth_t*, float)>(
      plk::winmm::Symbol("fluid_synth_set_sample_rate"));
  real(synth, sample_rate);
}
int fluid_is_soundfont(const char* filename) { return PLK_REAL(fluid_is_soundfont)(filename); }
int fluid_synth_sfload(fluid_synth_t* synth, const char* filename, int reset_presets) {
  return PLK_REAL(fluid_synth_sfload)(synth, filename, reset_presets);
}
fluid_sfont_t* fluid_synth_get_sfont_by_id(fluid_synth_t* synth, int id) {
  return PLK_REAL(fluid_synth_get_sfont_by_id)(synth, id);
}
fluid_preset_t* fluid_sfont_get_preset(fluid_sfont_t* sfont, int bank, int prenum) {
  return PLK_REAL(fluid_sfont_get_preset)(sfont, bank, prenum);
}
int fluid_preset_get_banknum(fluid_preset_t* preset) {
  return PLK_REAL(fluid_preset_get_banknum)(preset);
}
int fluid_preset_get_num(fluid_preset_t* preset) { return PLK_REAL(fluid_preset_get_num)(preset); }
int fluid_synth_pin_preset(fluid_synth_t* synth, int sfont_id, int bank_num, int preset_num) {
  return PLK_REAL(fluid_synth_pin_preset)(synth, sfont_id, bank_num, preset_num);
}
int fluid_synth_reverb_on(fluid_synth_t* synth, int fx_group, int on) {
  return PLK_REAL(fluid_synth_reverb_on)(synth, fx_group, on);
}
int fluid_synth_chorus_on(fluid_synth_t* synth, int fx_group, int on) {
  return PLK_REAL(fluid_synth_chorus_on)(synth, fx_group, on);
}

// Modulators.
fluid_mod_t* new_fluid_mod() { return PLK_REAL(new_fluid_mod)(); }
void delete_fluid_mod(fluid_mod_t* mod) { PLK_REAL(delete_fluid_mod)(mod); }
void fluid_mod_set_source1(fluid_mod_t* mod, int src, int flags) {
  PLK_REAL(fluid_mod_set_source1)(mod, src, flags);
}
void fluid_mod_set_source2(fluid_mod_t* mod, int src, int flags) {
  PLK_REAL(fluid_mod_set_source2)(mod, src, flags);
}
void fluid_mod_set_dest(fluid_mod_t* mod, int dst) { PLK_REAL(fluid_mod_set_dest)(mod, dst); }
void fluid_mod_set_amount(fluid_mod_t* mod, double amount) {
  PLK_REAL(fluid_mod_set_amount)(mod, amount);
}
int fluid_synth_add_default_mod(fluid_synth_t* synth, const fluid_mod_t* mod, int mode) {
  return PLK_REAL(fluid_synth_add_default_mod)(synth, mod, mode);
}

// MIDI.
int fluid_synth_noteon(fluid_synth_t* synth, int chan, int key, int vel) {
  return PLK_REAL(fluid_synth_noteon)(synth, chan, key, vel);
}
int fluid_synth_noteoff(fluid_synth_t* synth, int chan, int key) {
  return PLK_REAL(fluid_synth_noteoff)(synth, chan, key);
}
int fluid_synth_key_pressure(fluid_synth_t* synth, int chan, int key, int val) {
  return PLK_REAL(fluid_synth_key_pressure)(synth, chan, key, val);
}
int fluid_synth_cc(fluid_synth_t* synth, int chan, int ctrl, int val) {
  return PLK_REAL(fluid_synth_cc)(synth, chan, ctrl, val);
}
int fluid_synth_program_change(fluid_synth_t* synth, int chan, int program) {
  return PLK_REAL(fluid_synth_program_change)(synth, chan, program);
}
int fluid_synth_channel_pressure(fluid_synth_t* synth, int chan, int val) {
  return PLK_REAL(fluid_synth_channel_pressure)(synth, chan, val);
}
int fluid_synth_pitch_bend(fluid_synth_t* synth, int chan, int val) {
  return PLK_REAL(fluid_synth_pitch_bend)(synth, chan, val);
}
int fluid_synth_sysex(fluid_synth_t* synth, const char* data, int len, char* response,
                      int* response_len, int* handled, int dryrun) {
  return PLK_REAL(fluid_synth_sysex)(synth, data, len, response, response_len, handled, dryrun);
}
int fluid_synth_system_reset(fluid_synth_t* synth) {
  return PLK_REAL(fluid_synth_system_reset)(synth);
}
int fluid_synth_all_notes_off(fluid_synth_t* synth, int chan) {
  return PLK_REAL(fluid_synth_all_notes_off)(synth, chan);
}

// What the synthesizer's channels and voices are doing.
int fluid_synth_get_program(fluid_synth_t* synth, int chan, int* sfont_id, int* bank_num,
                            int* preset_num) {
  return PLK_REAL(fluid_synth_get_program)(synth, chan, sfont_id, bank_num, preset_num);
}
fluid_preset_t* fluid_synth_get_channel_preset(fluid_synth_t* synth, int chan) {
  return PLK_REAL(fluid_synth_get_channel_preset)(synth, chan);
}
int fluid_synth_get_cc(fluid_synth_t* synth, int chan, int ctrl, int* pval) {
  return PLK_REAL(fluid_synth_get_cc)(synth, chan, ctrl, pval);
}
int fluid_synth_get_pitch_bend(fluid_synth_t* synth, int chan, int* ppitch_bend) {
  return PLK_REAL(fluid_synth_get_pitch_bend)(synth, chan, ppitch_bend);
}
int fluid_synth_get_active_voice_count(fluid_synth_t* synth) {
  return PLK_REAL(fluid_synth_get_active_voice_count)(synth);
}
void fluid_synth_get_voicelist(fluid_synth_t* synth, fluid_voice_t* buf[], int bufsize, int ID) {
  PLK_REAL(fluid_synth_get_voicelist)(synth, buf, bufsize, ID);
}
int fluid_voice_get_channel(const fluid_voice_t* voice) {
  return PLK_REAL(fluid_voice_get_channel)(voice);
}
int fluid_voice_get_key(const fluid_voice_t* voice) { return PLK_REAL(fluid_voice_get_key)(voice); }
int fluid_voice_is_on(const fluid_voice_t* voice) { return PLK_REAL(fluid_voice_is_on)(voice); }
int fluid_voice_is_sustained(const fluid_voice_t* voice) {
  return PLK_REAL(fluid_voice_is_sustained)(voice);
}

// Rendering, and FluidSynth's own audio drivers.
int fluid_synth_write_float(fluid_synth_t* synth, int len, void* lout, int loff, int lincr,
                            void* rout, int roff, int rincr) {
  return PLK_REAL(fluid_synth_write_float)(synth, len, lout, loff, lincr, rout, roff, rincr);
}
int fluid_synth_write_s16(fluid_synth_t* synth, int len, void* lout, int loff, int lincr,
                          void* rout, int roff, int rincr) {
  return PLK_REAL(fluid_synth_write_s16)(synth, len, lout, loff, lincr, rout, roff, rincr);
}
int fluid_synth_process(fluid_synth_t* synth, int len, int nfx, float* fx[], int nout,
                        float* out[]) {
  return PLK_REAL(fluid_synth_process)(synth, len, nfx, fx, nout, out);
}
fluid_audio_driver_t* new_fluid_audio_driver2(fluid_settings_t* settings, fluid_audio_func_t func,
                                              void* data) {
  return PLK_REAL(new_fluid_audio_driver2)(settings, func, data);
}
void delete_fluid_audio_driver(fluid_audio_driver_t* driver) {
  PLK_REAL(delete_fluid_audio_driver)(driver);
}
