// Implements: WrapText (see text_wrap.h). Widths add up character by character, as they
// do in this GDI (no kerning), so each line is measured in one pass.
// Does not implement: tab stops, breaks at hyphens, double-byte characters.
#include "user32/text_wrap.h"

namespace plk::user32 {
namespace {

void TrimSpaces(std::string_view& text, bool front) {
  while (!text.empty() && (front ? text.front() : text.back()) == ' ') {
    front ? text.remove_prefix(1) : text.remove_suffix(1);
  }
}

void WrapParagraph(std::string_view rest, int maxWidth, const std::function<int(char)>& widthOf,
                   std::vector<std::string>& lines) {
  do {
    std::size_t fit = 0;
    // A line holds at least one character, however wide.
    for (int width = 0; fit < rest.size(); ++fit) {
      width += widthOf(rest[fit]);
      if (fit > 0 && width > maxWidth) break;
    }
    std::size_t cut = fit;
    if (fit < rest.size()) {
      const std::size_t space = rest.substr(0, fit + 1).find_last_of(' ');
      if (space != std::string_view::npos && space > 0) cut = space;
    }
    std::string_view line = rest.substr(0, cut);
    TrimSpaces(line, false);
    lines.emplace_back(line);
    rest.remove_prefix(cut);
    TrimSpaces(rest, true);
  } while (!rest.empty());
}

}  // namespace

std::vector<std::string> WrapText(std::string_view text, int maxWidth,
                                  const std::function<int(char)>& widthOf) {
  std::vector<std::string> lines;
  for (;;) {
    const std::size_t end = text.find('\n');
    std::string_view paragraph = text.substr(0, end);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    WrapParagraph(paragraph, maxWidth, widthOf, lines);
    if (end == std::string_view::npos) return lines;
    text.remove_prefix(end + 1);
  }
}

}  // namespace plk::user32
