// The system's "EDIT" window class.
#pragma once

namespace plk::user32 {

// Registers the class once per process; CreateWindowExA calls it before looking a class up.
void RegisterEditClass();

}  // namespace plk::user32
