// Implements: midiOutGetNumDevs, midiOutOpen (MIDI_MAPPER and device 0, no callbacks),
// midiOutShortMsg, midiOutPrepareHeader, midiOutUnprepareHeader, midiOutLongMsg
// (synchronous: the header is done when the call returns), midiOutReset, midiOutClose.
// Does not implement: callbacks, streams, more than one device behind the mapper.
#include <mmsystem.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "handle_table.h"
#include "winmm/device_setting.h"
#include "winmm/midi_device.h"

namespace plk::winmm {
namespace {

// The open outputs. Both the UI thread and the playback thread send on a handle, so every
// call into a device runs under the table's lock, which also keeps a device from closing
// while a call uses it.
using OutputTable = HandleTable<std::unique_ptr<MidiDevice>, HMIDIOUT>;

OutputTable& Outputs() {
  static OutputTable table(HandleRange::kMidiOutputs);
  return table;
}

std::mutex overrideLock;
std::function<std::unique_ptr<MidiDevice>()> mapperOverride;

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

template <typename Call>
MMRESULT WithOutput(HMIDIOUT handle, Call call) {
  return Outputs()
      .With(handle, [&call](const std::unique_ptr<MidiDevice>& device) { return call(*device); })
      .value_or(MMSYSERR_INVALHANDLE);
}

bool IsOpen(HMIDIOUT handle) {
  return WithOutput(handle, [](MidiDevice&) -> MMRESULT { return MMSYSERR_NOERROR; }) ==
         MMSYSERR_NOERROR;
}

}  // namespace

void SetMapperOverrideForTesting(std::function<std::unique_ptr<MidiDevice>()> opener) {
  std::lock_guard<std::mutex> guard(overrideLock);
  mapperOverride = std::move(opener);
}

}  // namespace plk::winmm

using plk::winmm::MidiDevice;
using plk::winmm::WithOutput;

UINT midiOutGetNumDevs(void) { return 1; }

MMRESULT midiOutOpen(LPHMIDIOUT handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
  if (!handle) return MMSYSERR_INVALPARAM;
  *handle = nullptr;
  if (deviceId != MIDI_MAPPER && deviceId != 0) return MMSYSERR_BADDEVICEID;
  if (callback != 0 || (flags & 0x00070000L) != CALLBACK_NULL) return MMSYSERR_INVALFLAG;
  std::function<std::unique_ptr<MidiDevice>()> opener;
  {
    std::lock_guard<std::mutex> guard(plk::winmm::overrideLock);
    opener = plk::winmm::mapperOverride;
  }
  auto device = opener ? opener() : plk::winmm::OpenConfiguredDevice();
  if (!device) return MMSYSERR_NODRIVER;
  *handle = plk::winmm::Outputs().Add(std::move(device));
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
  return plk::winmm::Outputs().Remove(handle) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}
