// Implements: midiInGetNumDevs, midiInGetDevCapsA, midiInOpen with CALLBACK_FUNCTION (or
// CALLBACK_NULL), midiInStart, midiInStop, midiInReset, midiInClose, midiInPrepareHeader,
// midiInAddBuffer and midiInUnprepareHeader. With PLINKARO_MIDI_IN unset or "all" the
// devices are "All MIDI inputs", then each source there is (device_lists.h); otherwise the
// one device that PLINKARO_MIDI_IN names (its text is the device's name), none for "none".
// Each open handle calls back from a thread of its own, as from a Windows driver thread
// (input_port.h).
// Does not implement: CALLBACK_WINDOW, _THREAD and _EVENT; midiConnect.
#include <mmsystem.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>

#include "handle_table.h"
#include "winmm/device_lists.h"
#include "winmm/device_setting.h"
#include "winmm/input_port.h"
#include "winmm/midi_in_device.h"

namespace plk::winmm {

std::unique_ptr<MidiInputDevice> OpenListedSourceDevice(RtMidi::Api api,
                                                        const std::string& portName,
                                                        MidiInputSink& sink);

namespace {

using InputTable = HandleTable<std::shared_ptr<InputPort>, HMIDIIN>;

InputTable& Inputs() {
  static InputTable table(HandleRange::kMidiInputs);
  return table;
}

std::mutex overrideLock;
std::function<std::unique_ptr<MidiInputDevice>(MidiInputSink&)> inputOverride;

bool Overridden() {
  std::lock_guard<std::mutex> guard(overrideLock);
  return static_cast<bool>(inputOverride);
}

std::vector<ListedInput> InputsNow() {
  if (Overridden()) return {ConfiguredInput("test source")};
  return CurrentInputs();
}

DeviceSnapshot<ListedInput>& Listed() {
  static DeviceSnapshot<ListedInput> snapshot(InputsNow);
  return snapshot;
}

// The port outside the table's lock: a call that waits for the handle's thread must not
// hold it while that thread's callback calls midiIn* itself.
std::shared_ptr<InputPort> Find(HMIDIIN handle) {
  return Inputs()
      .With(handle, [](std::shared_ptr<InputPort>& port) { return port; })
      .value_or(nullptr);
}

std::unique_ptr<MidiInputDevice> OpenConfiguredDevice(MidiInputSink& sink) {
  {
    std::lock_guard<std::mutex> guard(overrideLock);
    if (inputOverride) return inputOverride(sink);
  }
  const DeviceSetting setting = ReadDeviceSetting("PLINKARO_MIDI_IN", DefaultMidiInputDriverName());
  const MidiInputDriver* driver =
      FindDriver(MidiInputDrivers(), setting, "PLINKARO_MIDI_IN", "MIDI input");
  if (!driver || !driver->open) return nullptr;
  std::string whyNot;
  auto device = driver->open(setting.argument, sink, whyNot);
  if (!device && !whyNot.empty()) std::fprintf(stderr, "plinkaro: %s\n", whyNot.c_str());
  return device;
}

MMRESULT WithPort(HMIDIIN handle, void (InputPort::*call)()) {
  const auto port = Find(handle);
  if (!port) return MMSYSERR_INVALHANDLE;
  ((*port).*call)();
  return MMSYSERR_NOERROR;
}

MMRESULT CheckHeader(LPMIDIHDR header, UINT size) {
  return header && size >= sizeof(MIDIHDR) ? MMSYSERR_NOERROR : MMSYSERR_INVALPARAM;
}

}  // namespace

void SetInputOverrideForTesting(
    std::function<std::unique_ptr<MidiInputDevice>(MidiInputSink&)> opener) {
  std::lock_guard<std::mutex> guard(overrideLock);
  inputOverride = std::move(opener);
}

}  // namespace plk::winmm

using plk::winmm::Find;
using plk::winmm::InputPort;

UINT midiInGetNumDevs(void) { return plk::winmm::Listed().Take(); }

MMRESULT midiInGetDevCapsA(UINT_PTR deviceId, LPMIDIINCAPSA caps, UINT size) {
  if (!caps) return MMSYSERR_INVALPARAM;
  if (deviceId > UINT_MAX) return MMSYSERR_BADDEVICEID;
  const auto listed = plk::winmm::Listed().At(static_cast<UINT>(deviceId));
  if (!listed) return MMSYSERR_BADDEVICEID;
  MIDIINCAPSA full = {};
  full.vDriverVersion = 0x0100;
  listed->name.copy(full.szPname, MAXPNAMELEN - 1);
  std::memcpy(caps, &full, std::min<std::size_t>(size, sizeof full));
  return MMSYSERR_NOERROR;
}

MMRESULT midiInOpen(LPHMIDIIN handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                    DWORD flags) {
  if (!handle) return MMSYSERR_INVALPARAM;
  *handle = nullptr;
  const DWORD type = flags & CALLBACK_TYPEMASK;
  if (type != CALLBACK_NULL && type != CALLBACK_FUNCTION) return MMSYSERR_INVALFLAG;
  if (type == CALLBACK_FUNCTION && !callback) return MMSYSERR_INVALPARAM;
  const auto listed = plk::winmm::Listed().At(deviceId);
  if (!listed) return MMSYSERR_BADDEVICEID;
  auto port =
      std::make_shared<plk::winmm::InputPort>(type == CALLBACK_FUNCTION ? callback : 0, instance);
  auto device = listed->source.empty()
                    ? plk::winmm::OpenConfiguredDevice(*port)
                    : plk::winmm::OpenListedSourceDevice(listed->api, listed->source, *port);
  if (!device) return MMSYSERR_NODRIVER;
  *handle = plk::winmm::Inputs().Add(port);
  port->Open(*handle, std::move(device));
  return MMSYSERR_NOERROR;
}

MMRESULT midiInStart(HMIDIIN handle) { return plk::winmm::WithPort(handle, &InputPort::Start); }

MMRESULT midiInStop(HMIDIIN handle) { return plk::winmm::WithPort(handle, &InputPort::Stop); }

MMRESULT midiInReset(HMIDIIN handle) { return plk::winmm::WithPort(handle, &InputPort::Reset); }

MMRESULT midiInPrepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
  if (!Find(handle)) return MMSYSERR_INVALHANDLE;
  if (plk::winmm::CheckHeader(header, size) || !header->lpData) return MMSYSERR_INVALPARAM;
  header->dwFlags |= MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT midiInUnprepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
  if (!Find(handle)) return MMSYSERR_INVALHANDLE;
  if (plk::winmm::CheckHeader(header, size)) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  header->dwFlags &= ~static_cast<DWORD>(MHDR_PREPARED);
  return MMSYSERR_NOERROR;
}

MMRESULT midiInAddBuffer(HMIDIIN handle, LPMIDIHDR header, UINT size) {
  auto port = Find(handle);
  if (!port) return MMSYSERR_INVALHANDLE;
  if (plk::winmm::CheckHeader(header, size)) return MMSYSERR_INVALPARAM;
  if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  return port->AddBuffer(header);
}

MMRESULT midiInClose(HMIDIIN handle) {
  auto port = Find(handle);
  if (!port) return MMSYSERR_INVALHANDLE;
  if (const MMRESULT refused = port->CanClose()) return refused;
  plk::winmm::Inputs().Remove(handle);
  port->Close();
  return MMSYSERR_NOERROR;
}
