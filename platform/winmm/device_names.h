// The names of listed MIDI devices: fitted to a caps structure, told apart, stable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plk::winmm {

// The visible characters a name may have: MAXPNAMELEN less the terminating NUL and one to
// spare for programs that count the NUL twice.
inline constexpr std::size_t kMaxDeviceNameLength = 30;

// Each name fitted and made unique in the list's order: a longer name keeps its beginning
// and ends in "~" and four hex digits of its full text; a name already taken gains " #2",
// " #3", ... before fitting.
std::vector<std::string> FitDeviceNames(const std::vector<std::string>& names);

// A port as people read it: the port's own name when it begins with its client's (as
// "nanoKEY2 MIDI 1" of client "nanoKEY2"), otherwise "client:port".
std::string PortDisplayName(std::string_view client, std::string_view port);

}  // namespace plk::winmm
