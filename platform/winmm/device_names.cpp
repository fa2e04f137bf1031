// Implements: the names under which midiOutGetDevCapsA and midiInGetDevCapsA list devices.
// A program remembers a device by its name, so a device's name depends only on its own
// full name, and on its place among devices of the same full name.
// Does not implement: translating names; they are the devices' own, in UTF-8.
#include "winmm/device_names.h"

#include <cstdint>
#include <cstdio>
#include <set>

namespace plk::winmm {
namespace {

// Four hex digits that stay the same for the same text from run to run (FNV-1a).
std::string ShortHash(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char byte : text) hash = (hash ^ byte) * 16777619u;
  char digits[5];
  std::snprintf(digits, sizeof digits, "%04x",
                static_cast<unsigned>((hash ^ (hash >> 16)) & 0xFFFF));
  return digits;
}

std::string Fit(const std::string& name) {
  if (name.size() <= kMaxDeviceNameLength) return name;
  std::string end = "~";  // appended: GCC 12 at -O3 warns of an overlap in "~" + string
  end += ShortHash(name);
  std::size_t keep = kMaxDeviceNameLength - end.size();
  // Never cut a UTF-8 character in two.
  while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
  return name.substr(0, keep) + end;
}

}  // namespace

std::vector<std::string> FitDeviceNames(const std::vector<std::string>& names) {
  std::set<std::string> taken;
  std::vector<std::string> fitted;
  for (const std::string& name : names) {
    std::string candidate = Fit(name);
    for (int number = 2; taken.contains(candidate); ++number) {
      candidate = Fit(name + " #" + std::to_string(number));
    }
    taken.insert(candidate);
    fitted.push_back(candidate);
  }
  return fitted;
}

std::string PortDisplayName(std::string_view client, std::string_view port) {
  if (port.starts_with(client)) return std::string(port);
  return std::string(client) + ":" + std::string(port);
}

}  // namespace plk::winmm
