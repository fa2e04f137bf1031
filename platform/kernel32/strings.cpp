// Implements: CharNextA, CharPrevA and IsDBCSLeadByte for the host's multibyte encoding,
// which is UTF-8 on Linux: the path separator byte never occurs inside a multibyte
// character there, so stepping byte by byte finds separators correctly, and no byte is a
// CP932 lead byte. Also lstrlenA, lstrcpyA, lstrcpynA, lstrcatA (null-tolerant like
// Windows) and wsprintfA (Windows' 1024-character limit; 'l' sizes are 32-bit).
// Does not implement: code-page conversions, CharNextExA, the W variants.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

LPSTR CharNextA(LPCSTR current) {
  if (!current) return nullptr;
  return const_cast<LPSTR>(*current ? current + 1 : current);
}

LPSTR CharPrevA(LPCSTR start, LPCSTR current) {
  if (!start || !current) return const_cast<LPSTR>(current);
  return const_cast<LPSTR>(current > start ? current - 1 : start);
}

BOOL IsDBCSLeadByte(BYTE) { return FALSE; }

int lstrlenA(LPCSTR string) { return string ? static_cast<int>(std::strlen(string)) : 0; }

LPSTR lstrcpyA(LPSTR destination, LPCSTR source) {
  if (!destination || !source) return nullptr;
  return std::strcpy(destination, source);
}

LPSTR lstrcpynA(LPSTR destination, LPCSTR source, int maxLength) {
  if (!destination || !source || maxLength <= 0) return destination;
  const std::size_t count = strnlen(source, static_cast<std::size_t>(maxLength - 1));
  std::memcpy(destination, source, count);
  destination[count] = '\0';
  return destination;
}

LPSTR lstrcatA(LPSTR destination, LPCSTR source) {
  if (!destination || !source) return nullptr;
  return std::strcat(destination, source);
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  if (!buffer || !format) return 0;
  // On Windows 'l' means 32 bits, which is plain int here; the C library would read a
  // 64-bit long, so the size letters are dropped.
  std::string adapted;
  for (const char* p = format; *p; ++p) {
    adapted += *p;
    if (*p != '%') continue;
    while (p[1] && std::strchr("-+ #0123456789.", p[1])) adapted += *++p;
    while (p[1] == 'l' || p[1] == 'h') ++p;
  }
  constexpr std::size_t kWindowsLimit = 1025;
  std::va_list arguments;
  va_start(arguments, format);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const int written = std::vsnprintf(buffer, kWindowsLimit, adapted.c_str(), arguments);
#pragma GCC diagnostic pop
  va_end(arguments);
  if (written < 0) return 0;
  return std::min(written, static_cast<int>(kWindowsLimit - 1));
}
