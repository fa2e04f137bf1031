// The text of a single-line edit control and its selection, apart from any window: what
// typing, deleting and caret movement do to them.
#pragma once

#include <cstddef>
#include <string>

namespace plk::user32 {

class EditText {
 public:
  const std::string& text() const { return text_; }
  // The selection runs between the anchor and the caret, in either order.
  std::size_t caret() const { return caret_; }
  std::size_t SelectionStart() const;
  std::size_t SelectionEnd() const;

  // Replaces the whole text (cut to the limit) and puts the caret at its start.
  void SetText(const std::string& text);
  // 0 means the largest limit Windows allows a single-line edit.
  void SetLimit(std::size_t limit);
  void SetDigitsOnly(bool digitsOnly) { digitsOnly_ = digitsOnly; }
  // EM_SETSEL: a negative start clears the selection at the caret, an end of -1 (or past
  // the text) means the end of the text; the caret goes to `end`.
  void Select(long start, long end);

  // Whether the character may be typed at all (digits only, when so asked).
  bool Accepts(char character) const;
  // A typed character replaces the selection. Returns false when it was refused (not a
  // digit while digits only, or no room under the limit), changing nothing.
  bool Type(char character);
  // Backspace and Delete remove the selection, or one character before or after the caret.
  // Both return whether the text changed.
  bool Backspace();
  bool Delete();
  // Left, Right, Home and End collapse the selection and move the caret.
  void MoveLeft();
  void MoveRight();
  void MoveHome();
  void MoveEnd();
  void PlaceCaret(std::size_t position);

 private:
  void EraseSelection();

  std::string text_;
  std::size_t anchor_ = 0;
  std::size_t caret_ = 0;
  std::size_t limit_ = kDefaultLimit;
  bool digitsOnly_ = false;

  static constexpr std::size_t kDefaultLimit = 0x7FFFFFFE;
};

}  // namespace plk::user32
