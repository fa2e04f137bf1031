// Word wrapping for text drawn in a box of fixed width (the message box).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plk::user32 {

// Breaks `text` into lines at most `maxWidth` wide, given each character's width: at line
// feeds ("\r\n" or "\n"), else at the last space that fits (the spaces at a break are
// dropped), and inside a word only when the word alone is wider than a line. An empty
// text is one empty line.
std::vector<std::string> WrapText(std::string_view text, int maxWidth,
                                  const std::function<int(char)>& widthOf);

}  // namespace plk::user32
