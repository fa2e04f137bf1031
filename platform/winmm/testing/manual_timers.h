// A test seam for the multimedia timer: with manual timers, timeSetEvent starts no thread
// and the test fires every live timer's callback once with FireTimers (a one-shot timer
// ends after it fires).
#pragma once

namespace plk::winmm::testing {

void UseManualTimers(bool manual);
int FireTimers();  // returns how many callbacks ran

}  // namespace plk::winmm::testing
