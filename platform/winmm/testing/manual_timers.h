// A test seam for the multimedia timer: with manual timers, timeSetEvent starts no thread
// and the test fires every live timer's callback once with FireTimers (a one-shot timer
// ends after it fires).
#pragma once

#include <cstdint>

namespace plk::winmm::testing {

void UseManualTimers(bool manual);
int FireTimers();  // returns how many callbacks ran

// With a manual time, timeGetTime answers the milliseconds last set here instead of
// reading the host's clock.
void UseManualTime(bool manual);
void SetManualTime(std::uint32_t milliseconds);

}  // namespace plk::winmm::testing
