// What happens to input messages as the queue hands them out: the key state that
// GetKeyState reports, and the characters TranslateMessage makes of key-downs.
#pragma once

#include <windows.h>

namespace plk::user32 {

bool IsKeyMessage(UINT message);
// Called when a message leaves the queue (PM_REMOVE, GetMessageA).
void UpdateInputStateFor(const MSG& message);
// The character a key-down types (0 for none), given the Shift, Ctrl and Caps state.
int CharacterForKey(int virtualKey, bool shift, bool control, bool capsLock);

}  // namespace plk::user32
