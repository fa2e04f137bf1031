// Implements: the line model of initialization files behind the profile functions: headers
// "[name]" (the name between '[' and the line's last ']'), entries "key=value" (blanks
// around both trimmed; a ";" comment with '=' is one, but key lists leave it out), everything
// else kept as an unknown line that is never a key (lines without '='); a UTF-8 byte order
// mark and the CRLF or LF line ending are kept. New keys go after the last non-blank line of
// their section, new sections at the end, and a changed key keeps its spelling.
// Does not implement: the quoting of written values, files in UTF-16.
#include "kernel32/profile_text.h"

#include <strings.h>

#include <algorithm>

namespace plk::kernel32 {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Built by appending: GCC 12 at -O3 takes "[" + std::string(...) for an overlapping copy.
std::string SectionLine(std::string_view section) {
  std::string line = "[";
  line += section;
  line += ']';
  return line;
}

std::string Entry(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += value;
  return line;
}

}  // namespace

ProfileText::ProfileText(std::string_view contents) {
  if (contents.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    byteOrderMark_ = true;
    contents.remove_prefix(kByteOrderMark.size());
  }
  const auto firstEnd = contents.find('\n');
  if (firstEnd != std::string_view::npos && firstEnd > 0 && contents[firstEnd - 1] == '\r') {
    lineEnd_ = "\r\n";
  }
  while (!contents.empty()) {
    const auto end = contents.find('\n');
    std::string_view line = contents.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.push_back(Parse(std::string(line)));
    contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
  }
}

ProfileText::Line ProfileText::Parse(std::string text) {
  Line line;
  line.text = std::move(text);
  const std::string_view content = Trim(line.text);
  if (content.empty()) return line;
  const auto close = content.rfind(']');
  if (content.front() == '[' && close != std::string_view::npos) {
    line.kind = Line::Kind::Header;
    line.name = content.substr(1, close - 1);
    return line;
  }
  const auto equals = content.find('=');
  if (equals == std::string_view::npos) return line;
  line.kind = Line::Kind::Entry;
  line.name = Trim(content.substr(0, equals));
  line.value = Trim(content.substr(equals + 1));
  return line;
}

std::string ProfileText::Text() const {
  std::string text = byteOrderMark_ ? std::string(kByteOrderMark) : std::string();
  for (const Line& line : lines_) text += line.text + lineEnd_;
  return text;
}

std::optional<ProfileText::Range> ProfileText::FindSection(std::string_view section) const {
  const auto isHeader = [](const Line& line) { return line.kind == Line::Kind::Header; };
  auto begin = lines_.begin();
  if (!section.empty()) {
    begin = std::find_if(lines_.begin(), lines_.end(), [&](const Line& line) {
      return isHeader(line) && SameName(line.name, section);
    });
    if (begin == lines_.end()) return std::nullopt;
    ++begin;
  }
  const auto end = std::find_if(begin, lines_.end(), isHeader);
  return Range{static_cast<std::size_t>(begin - lines_.begin()),
               static_cast<std::size_t>(end - lines_.begin())};
}

std::optional<std::size_t> ProfileText::FindEntry(Range range, std::string_view key) const {
  for (std::size_t i = range.begin; i < range.end; ++i) {
    if (lines_[i].kind == Line::Kind::Entry && SameName(lines_[i].name, key)) return i;
  }
  return std::nullopt;
}

std::vector<std::string> ProfileText::SectionNames() const {
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.kind == Line::Kind::Header) names.push_back(line.name);
  }
  return names;
}

std::vector<std::string> ProfileText::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  if (const auto range = FindSection(section)) {
    for (std::size_t i = range->begin; i < range->end; ++i) {
      // A comment with '=' in it is a key to a reader that asks for it, but never listed.
      const bool comment = lines_[i].name.rfind(';', 0) == 0;
      if (lines_[i].kind == Line::Kind::Entry && !comment) names.push_back(lines_[i].name);
    }
  }
  return names;
}

std::optional<std::string> ProfileText::Value(std::string_view section,
                                              std::string_view key) const {
  const auto range = FindSection(section);
  const auto entry = range ? FindEntry(*range, key) : std::nullopt;
  if (!entry) return std::nullopt;
  return lines_[*entry].value;
}

void ProfileText::Set(std::string_view section, std::string_view key, std::string_view value) {
  auto range = FindSection(section);
  if (!range) {
    lines_.push_back(Parse(SectionLine(section)));
    range = Range{lines_.size(), lines_.size()};
  }
  if (const auto entry = FindEntry(*range, key)) {
    const std::string spelling = lines_[*entry].name;
    lines_[*entry] = Parse(Entry(spelling, value));
    return;
  }
  std::size_t at = range->end;
  while (at > range->begin && Trim(lines_[at - 1].text).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Parse(Entry(key, value)));
}

void ProfileText::DeleteKey(std::string_view section, std::string_view key) {
  const auto range = FindSection(section);
  const auto entry = range ? FindEntry(*range, key) : std::nullopt;
  if (entry) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*entry));
}

void ProfileText::DeleteSection(std::string_view section) {
  while (const auto range = FindSection(section)) {
    // The header goes with its lines; the unnamed section has none.
    const std::size_t begin = range->begin - (section.empty() ? 0 : 1);
    if (begin == range->end) return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(begin),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
    if (section.empty()) return;
  }
}

}  // namespace plk::kernel32
