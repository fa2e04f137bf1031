// Prints what the profile functions and CreateDirectoryA do to and with files in a scratch
// folder, one line per observation, so that the same program built against the real
// kernel32 and against the platform's can be compared line by line.
// Usage: profile_probe FOLDER   (an existing, empty folder in the host's path form)
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

#ifdef _WIN32
const char kSeparator = '\\';
#else
const char kSeparator = '/';
#endif

std::string folder;

std::string PathOf(const char* name) { return folder + kSeparator + name; }

void Put(const char* name, const char* contents) {
  HANDLE file = CreateFileA(PathOf(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, contents, lstrlenA(contents), &written, nullptr);
  CloseHandle(file);
}

// The file's bytes with line ends shown, so both hosts' files compare.
std::string Shown(const char* bytes, DWORD size) {
  std::string shown;
  for (DWORD i = 0; i < size; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    char escaped[8];
    if (c == '\r') continue;  // CRLF and LF files differ only there
    if (c == '\n') {
      shown += "|";
    } else if (c == 0) {
      shown += "\\0";
    } else if (c < 0x20 || c >= 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      shown += escaped;
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

void ShowFile(const char* label, const char* name) {
  char bytes[4096];
  DWORD size = 0;
  HANDLE file = CreateFileA(PathOf(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::printf("%s: no file\n", label);
    return;
  }
  ReadFile(file, bytes, sizeof bytes, &size, nullptr);
  CloseHandle(file);
  std::printf("%s: \"%s\"\n", label, Shown(bytes, size).c_str());
}

// `mark` ("~") starts lines where Wine is known to differ from Windows (a list cut short
// gets a second null on Windows; Wine's A functions leave it out).
void Read(const char* section, const char* key, const char* fallback, DWORD size,
          const char* mark = "") {
  char buffer[256];
  for (char& c : buffer) c = '#';
  const DWORD returned =
      GetPrivateProfileStringA(section, key, fallback, buffer, size, PathOf("read.ini").c_str());
  const DWORD shown = returned + 2 < size ? returned + 2 : size;
  std::printf("%sread [%s] %s default %s size %lu: %lu \"%s\"\n", mark,
              section ? section : "(null)", key ? key : "(null)", fallback ? fallback : "(null)",
              static_cast<unsigned long>(size), static_cast<unsigned long>(returned),
              Shown(buffer, shown).c_str());
}

void ReadInt(const char* key) {
  std::printf("int %s: %u\n", key,
              GetPrivateProfileIntA("Numbers", key, 7, PathOf("read.ini").c_str()));
}

void WriteAndShow(const char* label, const char* section, const char* key, const char* value,
                  const char* mark = "") {
  const BOOL written = WritePrivateProfileStringA(section, key, value, PathOf("w.ini").c_str());
  std::printf("%s%s: %s\n", mark, label, written ? "TRUE" : "FALSE");
  ShowFile(mark[0] ? "~  file" : "  file", "w.ini");
}

void ProbeReads() {
  Put("read.ini",
      "top=1\r\n[Keys]\r\nA = one \r\nb='quoted'\r\nq=\"x'\r\n;c=comment\r\nd\r\ne=\r\n"
      "[Other]\r\n[keys]\r\nA=hidden\r\n[Numbers]\r\nn=42\r\nneg=-3\r\nhex=0x1F\r\n"
      "mixed=12abc\r\nword=abc\r\nempty=\r\nspaced=  5\r\n");
  const char* keys[] = {"a", "B", "q", "c", ";c", "d", "e", "missing"};
  for (const char* key : keys) Read("KEYS", key, "dflt  ", 64);
  Read("Keys", "missing", nullptr, 64);
  Read("", "top", "", 64);
  Read("Keys", "a", "", 3);
  Read("Keys", "a", "", 4);
  Read("Keys", "missing", "fallback", 5);
  Read(nullptr, nullptr, "", 64);
  for (DWORD size : {18u, 17u, 16u, 10u, 6u, 3u, 2u}) Read(nullptr, nullptr, "", size, "~");
  Read(nullptr, nullptr, "", 1);
  Read("keys", nullptr, "", 64);
  for (DWORD size : {9u, 8u, 7u, 5u, 4u, 3u}) Read("keys", nullptr, "", size, "~");
  Read("None", nullptr, "", 64);
  const char* numbers[] = {"n", "neg", "hex", "mixed", "word", "empty", "spaced", "missing"};
  for (const char* key : numbers) ReadInt(key);
}

void ProbeWrites() {
  WriteAndShow("first write", "Song", "Folder", "m");
  WriteAndShow("same key, other case", "SONG", "folder", "n");
  WriteAndShow("second key", "song", "Last", "x.mid");
  WriteAndShow("second section", "Window", "Left", "10");
  WriteAndShow("delete key", "Song", "last", nullptr);
  WriteAndShow("delete missing key", "Song", "none", nullptr);
  WriteAndShow("delete section", "window", nullptr, nullptr);
  WriteAndShow("flush", nullptr, nullptr, nullptr);
  Put("w.ini", "; comment\r\n[A]\r\nx=1\r\nodd line\r\n[B]\r\ny=2\r\n");
  WriteAndShow("into a file with comments", "a", "z", "3");
  WriteAndShow("new section after them", "C", "k", "v");
  WriteAndShow("empty value", "B", "y", "");
  // Windows edits the file's text and keeps its blank lines; Wine writes them out.
  Put("w.ini", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  WriteAndShow("blank lines", "A", "x", "2", "~");
  const std::string missing = PathOf("no-folder") + kSeparator + "x.ini";
  const BOOL written = WritePrivateProfileStringA("S", "k", "v", missing.c_str());
  std::printf("write in a missing folder: %s %lu\n", written ? "TRUE" : "FALSE",
              static_cast<unsigned long>(GetLastError()));
  WritePrivateProfileStringA("Probe", "bare", "yes", "plinkaro-probe.ini");
  char bare[16];
  GetPrivateProfileStringA("Probe", "bare", "no", bare, sizeof bare, "plinkaro-probe.ini");
  std::printf("bare name read back: %s\n", bare);
}

void ProbeDirectories() {
  const std::string nested = std::string("none") + kSeparator + "sub";
  for (const std::string& name :
       {std::string("made"), std::string("made"), nested, std::string("read.ini")}) {
    const BOOL created = CreateDirectoryA(PathOf(name.c_str()).c_str(), nullptr);
    std::printf("CreateDirectoryA %s: %s %lu\n", name == nested ? "none/sub" : name.c_str(),
                created ? "TRUE" : "FALSE",
                static_cast<unsigned long>(created ? 0 : GetLastError()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: profile_probe FOLDER\n");
    return 2;
  }
  folder = argv[1];
  ProbeReads();
  ProbeWrites();
  ProbeDirectories();
  return 0;
}
