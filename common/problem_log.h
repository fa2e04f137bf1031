// The problems the program reported on stderr since it started, kept so that a person who
// started it from the desktop (and never sees stderr) can read them in the About box.
#pragma once

#include <windows.h>

#define PROBLEM_LINE_COUNT 16
#define PROBLEM_LINE_SIZE 200

// Starts keeping the lines that reach stderr; they still reach it as before.
void StartProblemLog();
// Stops keeping them once everything written so far has been kept and passed on.
void StopProblemLog();
// Writes one line to stderr (and keeps it): "plinkaro: " and the text.
void ReportProblem(LPCSTR text);
// The kept lines, oldest first, each ending with a line break, into `text` (`size` bytes);
// the number of lines.
DWORD CopyProblemLines(char* text, DWORD size);
// Keeps one line as if it had reached stderr; a line too long is cut.
void KeepProblemLine(LPCSTR line, DWORD length);
