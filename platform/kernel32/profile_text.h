// An initialization file held as its lines, so that a change rewrites only the lines it
// concerns and every other line (comments, blank lines, lines this reader does not
// understand) comes back as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plk::kernel32 {

class ProfileText {
 public:
  explicit ProfileText(std::string_view contents);

  // The file's bytes, with the line ending it came with (the host's for a new file).
  std::string Text() const;

  // Names of the named sections, in file order; sections and keys compare
  // case-insensitively, and where a name repeats the first one counts.
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(std::string_view section) const;
  // The value as written, without surrounding blanks; nullopt for a missing key.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  void Set(std::string_view section, std::string_view key, std::string_view value);
  void DeleteKey(std::string_view section, std::string_view key);
  void DeleteSection(std::string_view section);

 private:
  struct Line {
    enum class Kind { Other, Header, Entry };
    std::string text;
    Kind kind = Kind::Other;
    std::string name;   // a header's section or an entry's key
    std::string value;  // an entry's
  };
  // Lines [begin, end) of a section; the lines before the first header are the section
  // with the empty name.
  struct Range {
    std::size_t begin;
    std::size_t end;
  };

  static Line Parse(std::string text);
  std::optional<Range> FindSection(std::string_view section) const;
  std::optional<std::size_t> FindEntry(Range range, std::string_view key) const;

  std::vector<Line> lines_;
  std::string lineEnd_ = "\n";
  bool byteOrderMark_ = false;
};

}  // namespace plk::kernel32
