#include "app/command_line.h"

#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

// The whole text is the one name. A quoted name ends at the last quote, so quotes are
// taken off as the Windows shell puts them around a name with spaces.
BOOL CommandLineFile(LPCSTR commandLine, char* path) {
  if (!commandLine) return FALSE;
  const char* first = commandLine;
  while (IsBlank(*first)) first++;
  const char* end = first + std::strlen(first);
  if (*first == '"') {
    first++;
    const char* lastQuote = std::strrchr(first, '"');
    if (lastQuote) end = lastQuote;
  } else {
    while (end > first && IsBlank(end[-1])) end--;
  }
  const size_t length = static_cast<size_t>(end - first);
  if (length == 0 || length >= MAX_PATH) return FALSE;
  std::memcpy(path, first, length);
  path[length] = '\0';
  return TRUE;
}
