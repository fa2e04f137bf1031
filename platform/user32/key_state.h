// The keyboard state that GetKeyState reports: the state as of the message being
// processed, updated when the message queue hands out a key message (not when the
// key physically moves), as Windows does.
#pragma once

namespace plk::user32 {

void SetKeyStateDown(int virtualKey, bool down);
void ResetKeyState();

}  // namespace plk::user32
