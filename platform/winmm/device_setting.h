// How PLINKARO_MIDI_OUT and PLINKARO_MIDI_IN name a device from a driver table: "name" or
// "name:argument".
#pragma once

#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

namespace plk::winmm {

struct DeviceSetting {
  std::string_view text;  // the whole value; the default name when the variable is unset
  std::string_view name;
  std::string_view argument;  // what follows the first colon; empty without one
};

inline DeviceSetting ReadDeviceSetting(const char* variable, const char* defaultName) {
  const char* value = std::getenv(variable);
  DeviceSetting setting;
  setting.text = (value && *value) ? value : defaultName;
  const auto colon = setting.text.find(':');
  setting.name = setting.text.substr(0, colon);
  if (colon != std::string_view::npos) setting.argument = setting.text.substr(colon + 1);
  return setting;
}

// The row of `drivers` that the setting names; otherwise null, after one line on stderr
// that lists the names there are.
template <class Driver>
const Driver* FindDriver(std::span<const Driver> drivers, const DeviceSetting& setting,
                         const char* variable, const char* what) {
  for (const Driver& driver : drivers) {
    if (setting.name == driver.name) return &driver;
  }
  std::string names;
  for (const Driver& known : drivers) names += std::string(" ") + known.name;
  std::fprintf(stderr, "plinkaro: %s=%.*s names no %s; use one of:%s\n", variable,
               static_cast<int>(setting.text.size()), setting.text.data(), what, names.c_str());
  return nullptr;
}

}  // namespace plk::winmm
