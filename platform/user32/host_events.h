// The host's events turned into input messages and window changes.
#pragma once

namespace plk::user32 {

// Turns pending host events into input messages (called on every look at the queue).
void PumpHostEvents();

}  // namespace plk::user32
