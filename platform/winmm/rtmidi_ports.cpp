// Implements: what the devices built on RtMidi share: the MIDI systems they try in turn
// (the ALSA sequencer, then a JACK server; PLINKARO_MIDI_API=alsa|jack names one), with
// RtMidi's exceptions and printing kept inside; finding a port by part of its name; inputs
// whose every message goes to a sink; which sources "all" listens to; finding a port that
// a listing named.
// Does not implement: RtMidi's other systems (CoreMIDI, Windows MIDI): those hosts have a
// winmm of their own.
#include "winmm/rtmidi_ports.h"

#include <cstdlib>
#include <iostream>
#include <mutex>
#include <sstream>
#include <vector>

#include "winmm/jack_session.h"
#include "winmm/sound_library_logs.h"

namespace plk::winmm {
namespace {

struct PortApi {
  const char* setting;
  const char* name;
  RtMidi::Api api;
};

const PortApi kPortApis[] = {
    {"alsa", "ALSA", RtMidi::LINUX_ALSA},
    {"jack", "JACK", RtMidi::UNIX_JACK},
};

}  // namespace

struct MutedStandardError::State {
  std::unique_lock<std::recursive_mutex> turn;
  std::ostringstream sink;
  std::streambuf* saved = nullptr;
};

MutedStandardError::MutedStandardError() : state_(std::make_unique<State>()) {
  static std::recursive_mutex lock;
  state_->turn = std::unique_lock<std::recursive_mutex>(lock);
  state_->saved = std::cerr.rdbuf(state_->sink.rdbuf());
}

MutedStandardError::~MutedStandardError() { std::cerr.rdbuf(state_->saved); }

std::vector<RtMidi::Api> ChosenPortApis() {
  const char* setting = std::getenv("PLINKARO_MIDI_API");
  const std::string_view chosen = setting ? setting : "";
  std::vector<RtMidi::Api> apis;
  for (const PortApi& system : kPortApis) {
    if (chosen.empty() || chosen == system.setting) apis.push_back(system.api);
  }
  return apis;
}

std::optional<unsigned> FindListedPort(RtMidi& ports, std::string_view name) {
  for (unsigned port = 0; port < ports.getPortCount(); ++port) {
    if (ports.getPortName(port) == name) return port;
  }
  return std::nullopt;
}

bool OpenWithPortApis(const std::function<bool(RtMidi::Api, std::string& why)>& open,
                      std::string& whyNot) {
  const char* setting = std::getenv("PLINKARO_MIDI_API");
  const std::string_view chosen = setting ? setting : "";
  QuietSoundLibraries();
  MutedStandardError muted;
  std::string reasons;
  bool known = chosen.empty();
  for (const PortApi& system : kPortApis) {
    if (!chosen.empty() && chosen != system.setting) continue;
    known = true;
    std::string why;
    try {
      if (system.api == RtMidi::UNIX_JACK && !JackServerRunning()) {
        why = "no JACK server is running";
      } else if (open(system.api, why)) {
        return true;
      }
    } catch (const RtMidiError& error) {
      why = error.getMessage();
    }
    reasons += (reasons.empty() ? "" : "; ") + std::string(system.name) + ": " + why;
  }
  whyNot = known ? reasons
                 : "PLINKARO_MIDI_API=" + std::string(chosen) +
                       " is not understood: set alsa or jack, or leave it unset";
  return false;
}

std::optional<unsigned> FindPort(const std::vector<std::string>& names, std::string_view part,
                                 const char* kind, std::string& why) {
  std::string list;
  for (unsigned port = 0; port < names.size(); ++port) {
    if (names[port].find(part) != std::string::npos) return port;
    list += (list.empty() ? "" : ", ") + names[port];
  }
  why = std::string("no MIDI ") + kind + " has \"" + std::string(part) +
        "\" in its name (there are: " + (list.empty() ? "none" : list) + ")";
  return std::nullopt;
}

std::optional<unsigned> FindPort(RtMidi& ports, std::string_view part, const char* kind,
                                 std::string& why) {
  std::vector<std::string> names;
  for (unsigned port = 0; port < ports.getPortCount(); ++port) {
    names.push_back(ports.getPortName(port));
  }
  return FindPort(names, part, kind, why);
}

std::unique_ptr<RtMidiIn> NewInput(RtMidi::Api api, MidiInputSink& sink) {
  auto in = std::make_unique<RtMidiIn>(api, kInputPortName);
  in->setErrorCallback([](RtMidiError::Type, const std::string&, void*) {});
  in->ignoreTypes(false, false, false);
  in->setCallback(
      [](double, std::vector<unsigned char>* message, void* sink) {
        static_cast<MidiInputSink*>(sink)->Receive(message->data(), message->size());
      },
      &sink);
  return in;
}

bool IsOwnPort(std::string_view portName) { return portName.starts_with(kOutputPortName); }

bool IsForeignSource(const std::string& portName) {
  return !IsOwnPort(portName) && portName.find("Midi Through") == std::string::npos;
}

}  // namespace plk::winmm
