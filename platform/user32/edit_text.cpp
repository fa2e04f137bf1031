// Implements: the text model of the EDIT control: a limit on the length, digits-only
// input, typing that replaces the selection, Backspace, Delete, Left, Right, Home, End,
// EM_SETSEL's meaning of -1, and caret placement.
// Does not implement: Shift-extended selections, word movement (Ctrl+arrows), the
// clipboard, undo, double-byte characters.
#include "user32/edit_text.h"

#include <algorithm>
#include <cctype>

namespace plk::user32 {

std::size_t EditText::SelectionStart() const { return std::min(anchor_, caret_); }
std::size_t EditText::SelectionEnd() const { return std::max(anchor_, caret_); }

void EditText::SetText(const std::string& text) {
  text_ = text.substr(0, limit_);
  anchor_ = caret_ = 0;
}

void EditText::SetLimit(std::size_t limit) {
  // Windows keeps text that is already longer than a new limit.
  limit_ = limit == 0 ? kDefaultLimit : limit;
}

void EditText::Select(long start, long end) {
  const std::size_t length = text_.size();
  auto clamp = [length](long position) {
    return position < 0 ? length : std::min(static_cast<std::size_t>(position), length);
  };
  if (start < 0) {
    anchor_ = caret_;
    return;
  }
  anchor_ = clamp(start);
  caret_ = clamp(end);
}

void EditText::EraseSelection() {
  const std::size_t start = SelectionStart();
  text_.erase(start, SelectionEnd() - start);
  anchor_ = caret_ = start;
}

bool EditText::Accepts(char character) const {
  return !digitsOnly_ || std::isdigit(static_cast<unsigned char>(character));
}

bool EditText::Type(char character) {
  if (!Accepts(character)) return false;
  const std::size_t remaining = text_.size() - (SelectionEnd() - SelectionStart());
  if (remaining >= limit_) return false;
  EraseSelection();
  text_.insert(caret_, 1, character);
  anchor_ = ++caret_;
  return true;
}

bool EditText::Backspace() {
  if (anchor_ != caret_) {
    EraseSelection();
    return true;
  }
  if (caret_ == 0) return false;
  text_.erase(--caret_, 1);
  anchor_ = caret_;
  return true;
}

bool EditText::Delete() {
  if (anchor_ != caret_) {
    EraseSelection();
    return true;
  }
  if (caret_ >= text_.size()) return false;
  text_.erase(caret_, 1);
  return true;
}

void EditText::MoveLeft() {
  // With a selection the caret lands on its left edge, as in Windows' edit control.
  if (anchor_ != caret_) {
    PlaceCaret(SelectionStart());
  } else {
    PlaceCaret(caret_ == 0 ? 0 : caret_ - 1);
  }
}

void EditText::MoveRight() {
  if (anchor_ != caret_) {
    PlaceCaret(SelectionEnd());
  } else {
    PlaceCaret(caret_ + 1);
  }
}

void EditText::MoveHome() { PlaceCaret(0); }
void EditText::MoveEnd() { PlaceCaret(text_.size()); }

void EditText::PlaceCaret(std::size_t position) {
  anchor_ = caret_ = std::min(position, text_.size());
}

}  // namespace plk::user32
