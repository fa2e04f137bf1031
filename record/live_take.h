// A running take's file: opened in the recording folder when the take starts (in the
// temporary folder when that fails), held without sharing, and filled by a writer thread
// of its own about twice a second, so that a take cut short by a crash is on disk up to
// its last half second. When the take ends, the file is completed and gets its final
// name.
#pragma once

#include <windows.h>

#include "midi/take_capture.h"

// How often the writer thread writes what the take holds.
#define LIVE_TAKE_WRITE_MS 500

// UI thread, just after the take has started. Without any file the take lives in memory
// only and is saved whole when it ends.
void StartLiveTake(Take* take);
// UI thread, once the take has ended (no appender left). Completes its file and names it;
// returns TRUE with the file's path in `path` when the take is on disk. A failure (a full
// disk) keeps what was written, completed beside it where there is room, and saves the
// take whole in the temporary folder, told of as SaveTake does (`report`: take_save.h). A
// take without a message leaves no file.
BOOL FinishLiveTake(const Take* take, char* path, char* report);
