// Implements: the table of the classes user32 provides: "EDIT", "BUTTON" and the message
// box's dialog class "#32770" and the popup menu's "#32768"; a new control is one row here.
// Does not implement: "STATIC", "LISTBOX", "COMBOBOX", "SCROLLBAR", "MDICLIENT", and
// superclassing the built-in classes (GetClassInfo).
#include "user32/builtin_classes.h"

#include "user32/button_control.h"
#include "user32/edit_control.h"
#include "user32/menu_window.h"
#include "user32/message_box_window.h"

namespace plk::user32 {

std::span<const BuiltinClass> BuiltinClasses() {
  static constexpr BuiltinClass kClasses[] = {
      {"EDIT", EditProc},
      {"BUTTON", ButtonProc},
      {kMessageBoxClass, MessageBoxProc},
      {kMenuClass, MenuProc, true},
  };
  return kClasses;
}

}  // namespace plk::user32
