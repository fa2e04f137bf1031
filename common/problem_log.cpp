#include "common/problem_log.h"

#include <cstdio>
#include <cstdint>
#include <cstring>

#include "common/spin_flag.h"

#ifndef _WIN32
#include <unistd.h>

#include <thread>
#endif

namespace {

char ProblemLines[PROBLEM_LINE_COUNT][PROBLEM_LINE_SIZE];
DWORD problemLineCount = 0;  // lines ever kept; the ring holds the last PROBLEM_LINE_COUNT
LONG ProblemLock = 0;

// "plinkaro: " and the text, cut to a kept line's size; its length.
DWORD FormatProblem(char* line, LPCSTR text) {
  const int length = std::snprintf(line, PROBLEM_LINE_SIZE, "plinkaro: %s", text);
  return length < 0 ? 0 : length < PROBLEM_LINE_SIZE ? length : PROBLEM_LINE_SIZE - 1;
}

}  // namespace

void KeepProblemLine(LPCSTR line, DWORD length) {
  while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) length--;
  if (length == 0) return;
  if (length >= PROBLEM_LINE_SIZE) length = PROBLEM_LINE_SIZE - 1;
  AcquireSpinFlag(&ProblemLock);
  char* slot = ProblemLines[problemLineCount % PROBLEM_LINE_COUNT];
  std::memcpy(slot, line, length);
  slot[length] = '\0';
  problemLineCount++;
  ReleaseSpinFlag(&ProblemLock);
}

DWORD CopyProblemLines(char* text, DWORD size) {
  if (size == 0) return 0;
  text[0] = '\0';
  AcquireSpinFlag(&ProblemLock);
  const DWORD kept = problemLineCount < PROBLEM_LINE_COUNT ? problemLineCount : PROBLEM_LINE_COUNT;
  DWORD used = 0;
  for (DWORD i = problemLineCount - kept; i < problemLineCount; i++) {
    const int written =
        std::snprintf(text + used, size - used, "%s\n", ProblemLines[i % PROBLEM_LINE_COUNT]);
    if (written < 0 || static_cast<DWORD>(written) >= size - used) break;
    used += static_cast<DWORD>(written);
  }
  ReleaseSpinFlag(&ProblemLock);
  return kept;
}

DWORD ProblemLinesKept() {
  AcquireSpinFlag(&ProblemLock);
  const DWORD kept = problemLineCount;
  ReleaseSpinFlag(&ProblemLock);
  return kept;
}

BOOL CopyProblemLineSince(DWORD kept, char* line, DWORD size) {
  static const char prefix[] = "plinkaro: ";
  AcquireSpinFlag(&ProblemLock);
  const BOOL held = kept < problemLineCount && problemLineCount - kept <= PROBLEM_LINE_COUNT;
  if (held) {
    LPCSTR text = ProblemLines[kept % PROBLEM_LINE_COUNT];
    if (std::strncmp(text, prefix, sizeof prefix - 1) == 0) text += sizeof prefix - 1;
    lstrcpynA(line, text, static_cast<int>(size));
  }
  ReleaseSpinFlag(&ProblemLock);
  return held;
}

#ifdef _WIN32

// A program started from the desktop on Windows has no stderr, and only the program's own
// lines could reach it: ReportProblem keeps them itself.
void StartProblemLog() {}
void StopProblemLog() {}

void ReportProblem(LPCSTR text) {
  char line[PROBLEM_LINE_SIZE];
  const DWORD length = FormatProblem(line, text);
  std::fprintf(stderr, "%s\n", line);
  KeepProblemLine(line, length);
}

#else

namespace {

// Here the platform's libraries report on stderr too, so the descriptor itself runs
// through a pipe: a reader thread passes every byte on to the real stderr and keeps the
// lines.
int realStderr = -1;
std::thread* problemReader = nullptr;

void PassOnAndKeep(int pipeEnd) {
  char line[PROBLEM_LINE_SIZE];
  DWORD length = 0;
  char buffer[512];
  ssize_t got;
  while ((got = read(pipeEnd, buffer, sizeof buffer)) > 0) {
    for (ssize_t written = 0, step = 0; written < got; written += step) {
      step = write(realStderr, buffer + written, got - written);
      if (step <= 0) break;
    }
    // A line longer than a kept one is cut: the rest up to its end is dropped.
    for (ssize_t i = 0; i < got; i++) {
      if (buffer[i] == '\n') {
        KeepProblemLine(line, length);
        length = 0;
      } else if (length < sizeof line) {
        line[length++] = buffer[i];
      }
    }
  }
  KeepProblemLine(line, length);
  close(pipeEnd);
}

}  // namespace

// Sanitizer reports go to stderr as the process dies, when the reader may have no time to
// pass them on: they are sent to the real stderr instead.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SANITIZER_REPORTS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define SANITIZER_REPORTS 1
#endif
#endif
#ifdef SANITIZER_REPORTS
#include <sanitizer/common_interface_defs.h>
static void SendSanitizerReportsTo(int descriptor) {
  __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(descriptor)));
}
#else
static void SendSanitizerReportsTo(int) {}
#endif

// The platform's trace lines are no problems and come in floods: while tracing, only the
// program's own lines are kept.
void StartProblemLog() {
  if (problemReader || GetEnvironmentVariableA("PLINKARO_TRACE", nullptr, 0)) {
    return;
  }
  int ends[2];
  if (pipe(ends) != 0) return;
  realStderr = dup(STDERR_FILENO);
  if (realStderr < 0 || dup2(ends[1], STDERR_FILENO) < 0) {
    close(ends[0]);
    close(ends[1]);
    if (realStderr >= 0) close(realStderr);
    realStderr = -1;
    return;
  }
  close(ends[1]);
  SendSanitizerReportsTo(realStderr);
  problemReader = new std::thread(PassOnAndKeep, ends[0]);
}

// Putting the real stderr back closes the pipe's last writing end, so the reader ends
// after the last byte.
void StopProblemLog() {
  if (!problemReader) return;
  std::fflush(stderr);
  dup2(realStderr, STDERR_FILENO);
  SendSanitizerReportsTo(STDERR_FILENO);
  problemReader->join();
  delete problemReader;
  problemReader = nullptr;
  close(realStderr);
  realStderr = -1;
}

void ReportProblem(LPCSTR text) {
  char line[PROBLEM_LINE_SIZE];
  const DWORD length = FormatProblem(line, text);
  std::fprintf(stderr, "%s\n", line);
  if (!problemReader) KeepProblemLine(line, length);
}

#endif
