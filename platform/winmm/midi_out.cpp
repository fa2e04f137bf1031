// Implements: midiOutGetNumDevs and midiOutGetDevCapsA (the devices of device_lists.h,
// and MIDI_MAPPER), midiOutOpen (MIDI_MAPPER, which opens the device PLINKARO_MIDI_OUT
// names, or a listed device by its id; no callbacks), midiOutShortMsg,
// midiOutPrepareHeader, midiOutUnprepareHeader, midiOutLongMsg (synchronous: the header is
// done when the call returns), midiOutReset, midiOutClose.
// A device that can park (the synth) is kept by midiOutClose, silenced and reset, and the
// next open of the same configuration takes it back at once; a parked device is freed at
// exit. Songs the program reads whole reach the open devices' PrepareInstruments.
// PLINKARO_TRACE=winmm prints each open and close with its time.
// Does not implement: callbacks, streams, more than one device behind the mapper, volume.
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "handle_table.h"
#include "priority_inheriting_mutex.h"
#include "whole_file_reads.h"
#include "winmm/device_lists.h"
#include "winmm/device_setting.h"
#include "winmm/midi_device.h"
#include "winmm/song_instruments.h"
#include "winmm/trace.h"

namespace plk::winmm {

std::unique_ptr<MidiDevice> OpenSynthDevice(std::string_view argument, std::string& whyNot);
std::unique_ptr<MidiDevice> OpenListedPortDevice(RtMidi::Api api, const std::string& portName,
                                                 std::string& whyNot);

namespace {

struct Output {
  std::unique_ptr<MidiDevice> device;
  std::string configuration;  // what chose the device; a parked one goes to the same
};

// The open outputs. Both the UI thread and the playback thread send on a handle, so every
// call into a device runs under the table's lock, which also keeps a device from closing
// while a call uses it. The playback timer's thread is time-critical: a UI thread holding
// the lock runs at its priority while it waits.
using OutputTable = HandleTable<Output, HMIDIOUT, PriorityInheritingMutex>;

OutputTable& Outputs() {
  static OutputTable table(HandleRange::kMidiOutputs);
  return table;
}

std::mutex overrideLock;
std::function<std::unique_ptr<MidiDevice>()> mapperOverride;
unsigned overrideNumber = 0;  // each override is a configuration of its own

// The one parked device. Freed by an exit handler rather than a static destructor, so that
// it goes while the libraries it plays through are still up.
std::mutex parkedLock;
Output* parked = nullptr;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string AudioConfiguration() {
  return Environment("PLINKARO_AUDIO_OUT") + '\n' + Environment("PLINKARO_AUDIO_DRIVER");
}

// Everything that chooses the mapper's device and how it sounds.
std::string Configuration() {
  std::string midiOut = Environment("PLINKARO_MIDI_OUT");
  if (midiOut.empty()) midiOut = DefaultMidiDriverName();
  return midiOut + '\n' + AudioConfiguration();
}

DeviceSnapshot<ListedOutput>& Listed() {
  static DeviceSnapshot<ListedOutput> snapshot(CurrentOutputs);
  return snapshot;
}

void FreeParked() {
  Output* gone = nullptr;
  {
    std::lock_guard<std::mutex> guard(parkedLock);
    std::swap(gone, parked);
  }
  delete gone;  // outside the lock: a device may take long to stop
}

// The parked device when it was opened with `configuration`; one opened otherwise is freed,
// so that it lets go of the sound card before another opens it.
std::unique_ptr<MidiDevice> TakeParked(const std::string& configuration) {
  std::unique_ptr<MidiDevice> device;
  {
    std::lock_guard<std::mutex> guard(parkedLock);
    if (parked && parked->configuration == configuration) {
      device = std::move(parked->device);
      delete parked;
      parked = nullptr;
    }
  }
  if (!device) FreeParked();
  return device;
}

void Park(Output output) {
  static const bool freedAtExit = std::atexit(FreeParked) == 0;
  (void)freedAtExit;
  FreeParked();
  std::lock_guard<std::mutex> guard(parkedLock);
  parked = new Output(std::move(output));
}

// PLINKARO_MIDI_OUT names the device.
std::unique_ptr<MidiDevice> OpenConfiguredDevice() {
  const DeviceSetting setting = ReadDeviceSetting("PLINKARO_MIDI_OUT", DefaultMidiDriverName());
  const MidiDriver* driver = FindDriver(MidiDrivers(), setting, "PLINKARO_MIDI_OUT", "MIDI device");
  if (!driver) return nullptr;
  std::string whyNot;
  auto device = driver->open(setting.argument, whyNot);
  if (!device && !whyNot.empty()) std::fprintf(stderr, "plinkaro: %s\n", whyNot.c_str());
  return device;
}

// How a device is opened, and the configuration that a parked device must match.
struct Choice {
  std::string configuration;
  std::function<std::unique_ptr<MidiDevice>()> open;
};

Choice MapperChoice() {
  std::lock_guard<std::mutex> guard(overrideLock);
  if (mapperOverride) return {"override " + std::to_string(overrideNumber), mapperOverride};
  return {Configuration(), OpenConfiguredDevice};
}

Choice ListedChoice(const ListedOutput& listed) {
  const std::string what =
      listed.soundfont.empty() ? "port " + listed.port : "synth " + listed.soundfont;
  return {"listed " + what + '\n' + AudioConfiguration(), [listed] {
            std::string whyNot;
            auto device = listed.soundfont.empty()
                              ? OpenListedPortDevice(listed.api, listed.port, whyNot)
                              : OpenSynthDevice(listed.soundfont, whyNot);
            if (!device) std::fprintf(stderr, "plinkaro: %s\n", whyNot.c_str());
            return device;
          }};
}

void FillCaps(MIDIOUTCAPSA& caps, std::string_view name, WORD technology) {
  caps.vDriverVersion = 0x0100;
  name.copy(caps.szPname, MAXPNAMELEN - 1);
  caps.wTechnology = technology;
  caps.wChannelMask = 0xFFFF;
  if (technology == MOD_SWSYNTH) caps.wVoices = caps.wNotes = 256;  // FluidSynth's polyphony
}

// A song's instruments, found while the program reads it, for the devices to prepare.
void OnWholeFileRead(const unsigned char* data, std::size_t size) {
  const std::vector<InstrumentChoice> choices = SongInstruments(data, size);
  if (choices.empty()) return;
  Outputs().ForEach([&](HMIDIOUT, Output& output) { output.device->PrepareInstruments(choices); });
}

template <typename Call>
MMRESULT WithOutput(HMIDIOUT handle, Call call) {
  return Outputs()
      .With(handle, [&call](const Output& output) { return call(*output.device); })
      .value_or(MMSYSERR_INVALHANDLE);
}

bool IsOpen(HMIDIOUT handle) {
  return WithOutput(handle, [](MidiDevice&) -> MMRESULT { return MMSYSERR_NOERROR; }) ==
         MMSYSERR_NOERROR;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

void SetMapperOverrideForTesting(std::function<std::unique_ptr<MidiDevice>()> opener) {
  {
    std::lock_guard<std::mutex> guard(overrideLock);
    mapperOverride = std::move(opener);
    ++overrideNumber;
  }
  FreeParked();
}

}  // namespace plk::winmm

using plk::winmm::MidiDevice;
using plk::winmm::WithOutput;

UINT midiOutGetNumDevs(void) { return plk::winmm::Listed().Take(); }

MMRESULT midiOutGetDevCapsA(UINT_PTR deviceId, LPMIDIOUTCAPSA caps, UINT size) {
  if (!caps) return MMSYSERR_INVALPARAM;
  MIDIOUTCAPSA full = {};
  if (deviceId == MIDI_MAPPER) {
    plk::winmm::FillCaps(full, "MIDI Mapper", MOD_MAPPER);
  } else {
    if (deviceId > UINT_MAX) return MMSYSERR_BADDEVICEID;
    const auto listed = plk::winmm::Listed().At(static_cast<UINT>(deviceId));
    if (!listed) return MMSYSERR_BADDEVICEID;
    plk::winmm::FillCaps(full, listed->name,
                         listed->soundfont.empty() ? MOD_MIDIPORT : MOD_SWSYNTH);
  }
  std::memcpy(caps, &full, std::min<std::size_t>(size, sizeof full));
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutOpen(LPHMIDIOUT handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
  if (!handle) return MMSYSERR_INVALPARAM;
  *handle = nullptr;
  if (callback != 0 || (flags & 0x00070000L) != CALLBACK_NULL) return MMSYSERR_INVALFLAG;
  const auto listed = deviceId == MIDI_MAPPER ? std::nullopt : plk::winmm::Listed().At(deviceId);
  if (deviceId != MIDI_MAPPER && !listed) return MMSYSERR_BADDEVICEID;
  const auto start = std::chrono::steady_clock::now();
  const plk::winmm::Choice choice =
      listed ? plk::winmm::ListedChoice(*listed) : plk::winmm::MapperChoice();
  plk::winmm::Output output;
  output.configuration = choice.configuration;
  output.device = plk::winmm::TakeParked(output.configuration);
  const bool takenBack = output.device != nullptr;
  if (!takenBack) output.device = choice.open();
  if (!output.device) return MMSYSERR_NODRIVER;
  plk::ListenToWholeFileReads(plk::winmm::OnWholeFileRead);
  *handle = plk::winmm::Outputs().Add(std::move(output));
  plk::winmm::Trace("midiOutOpen %s in %.3f ms",
                    takenBack ? "took back the parked device" : "opened",
                    plk::winmm::MillisecondsSince(start));
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT handle, DWORD message) {
  return WithOutput(handle, [message](MidiDevice& device) {
    device.ShortMessage(message & 0x00FFFFFFu);
    return static_cast<MMRESULT>(MMSYSERR_NOERROR);
  });
}

MMRESULT midiOutPrepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
  if (!plk::winmm::IsOpen(handle)) return MMSYSERR_INVALHANDLE;
  if (!header || size < sizeof(MIDIHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
  header->dwFlags |= MHDR_PREPARED;
  header->dwFlags &= ~static_cast<DWORD>(MHDR_DONE);
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
  if (!plk::winmm::IsOpen(handle)) return MMSYSERR_INVALHANDLE;
  if (!header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  header->dwFlags &= ~static_cast<DWORD>(MHDR_PREPARED);
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutLongMsg(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
  if (!header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  return WithOutput(handle, [header](MidiDevice& device) {
    device.LongMessage(reinterpret_cast<const BYTE*>(header->lpData), header->dwBufferLength);
    header->dwFlags |= MHDR_DONE;
    return static_cast<MMRESULT>(MMSYSERR_NOERROR);
  });
}

MMRESULT midiOutReset(HMIDIOUT handle) {
  return WithOutput(handle, [](MidiDevice& device) {
    device.Reset();
    return static_cast<MMRESULT>(MMSYSERR_NOERROR);
  });
}

MMRESULT midiOutClose(HMIDIOUT handle) {
  // Removing waits for a call that another thread is making; the device closes after it.
  auto removed = plk::winmm::Outputs().Remove(handle);
  if (!removed) return MMSYSERR_INVALHANDLE;
  const bool parks = removed->device->Park();
  if (parks) plk::winmm::Park(std::move(*removed));
  plk::winmm::Trace("midiOutClose %s", parks ? "parked the device" : "closed the device");
  return MMSYSERR_NOERROR;
}
