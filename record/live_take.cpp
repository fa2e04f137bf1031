#include "record/live_take.h"

#include <mmsystem.h>

#include "record/take_file.h"
#include "record/take_recovery.h"
#include "record/record_folder.h"
#include "record/take_save.h"

namespace {

// One for each take that can exist at a time: a full take is finished while the next runs.
struct LiveTake {
  const Take* take;  // null: this entry is free
  HANDLE thread;     // the writer; null when none runs
  HANDLE stop;       // set by the UI thread to end the writer
  char folder[MAX_PATH];
  char partPath[MAX_PATH];
  DWORD folderError;  // why the recording folder was not used
  char failedPath[MAX_PATH];
  TakeStream stream;
};

LiveTake liveTakes[2];

LiveTake* FindLiveTake(const Take* take) {
  for (LiveTake& live : liveTakes) {
    if (live.take == take) return &live;
  }
  return nullptr;
}

// Written on deadlines a fixed interval apart, so that the writes do not drift.
DWORD WINAPI WriteLiveTake(LPVOID parameter) {
  LiveTake* live = static_cast<LiveTake*>(parameter);
  DWORD deadline = timeGetTime();
  for (;;) {
    deadline += LIVE_TAKE_WRITE_MS;
    const LONG wait = LONG(deadline - timeGetTime());
    if (WaitForSingleObject(live->stop, wait > 0 ? DWORD(wait) : 0) != WAIT_TIMEOUT) break;
    const DWORD written = live->stream.length;
    if (!ContinueTakeStream(&live->stream, live->take, FALSE)) break;
    // Only what reached the disk survives a power cut.
    if (live->stream.length != written) FlushFileBuffers(live->stream.file);
  }
  return 0;
}

HANDLE OpenPart(LiveTake& live, const Take* take) {
  DWORD error = FindRecordFolder(live.folder, TRUE);
  if (error == ERROR_SUCCESS) {
    HANDLE file = CreateTakePart(live.folder, take, live.partPath, &error);
    if (file != INVALID_HANDLE_VALUE) return file;
    // The user is told of the file the take was meant to become.
    if (!MakeTakePath(live.failedPath, live.folder, &take->startedAt, 1, ".mid")) {
      lstrcpyA(live.failedPath, live.folder);
    }
  } else {
    lstrcpyA(live.failedPath, live.folder);
  }
  live.folderError = error;
  FindTemporaryFolder(live.folder);
  return CreateTakePart(live.folder, take, live.partPath, &error);
}

void StopWriter(LiveTake& live) {
  if (live.thread) {
    SetEvent(live.stop);
    WaitForSingleObject(live.thread, INFINITE);
    CloseHandle(live.thread);
  }
  if (live.stop) CloseHandle(live.stop);
  live.thread = live.stop = nullptr;
}

// Names the complete file; a take in the temporary folder tells why it is there.
BOOL NameFinishedTake(LiveTake& live, char* path, char* report) {
  const DWORD error = RenameToFreeName(live.partPath, live.folder, live.take, path);
  if (error != ERROR_SUCCESS) {
    char kept[MAX_PATH];
    RecoverTakeFile(live.partPath, kept);
    return SaveAfterFailure(live.take, live.partPath, error, path, report);
  }
  if (live.folderError != ERROR_SUCCESS) {
    TellSaveError(report, live.failedPath, live.folderError, path, ERROR_SUCCESS);
  }
  return TRUE;
}

}  // namespace

void StartLiveTake(Take* take) {
  LiveTake* live = FindLiveTake(nullptr);
  if (!live) return;
  live->folderError = ERROR_SUCCESS;
  HANDLE file = OpenPart(*live, take);
  if (file == INVALID_HANDLE_VALUE) return;
  live->take = take;
  // The opening goes to the disk at once: a take cut short in its first moment is still a
  // file.
  BeginTakeStream(&live->stream, file, take);
  ContinueTakeStream(&live->stream, take, FALSE);
  live->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (live->stop) live->thread = CreateThread(nullptr, 0, WriteLiveTake, live, 0, nullptr);
}

BOOL FinishLiveTake(const Take* take, char* path, char* report) {
  LiveTake* live = FindLiveTake(take);
  if (!live) return CountTakeMessages(take) > 0 && SaveTake(take, path, report);
  StopWriter(*live);
  TakeStream& stream = live->stream;
  BOOL written = ContinueTakeStream(&stream, take, TRUE) && EndTakeStream(&stream) &&
                 FlushFileBuffers(stream.file);
  const DWORD error = written ? ERROR_SUCCESS : stream.error ? stream.error : GetLastError();
  written = CloseHandle(stream.file) && written;
  BOOL saved = FALSE;
  if (stream.messageCount == 0) {
    DeleteFileA(live->partPath);
  } else if (written) {
    saved = NameFinishedTake(*live, path, report);
  } else {
    // What reached the disk stays, completed under its -recovered name where there is room
    // for that; the take is saved whole in the temporary folder.
    char kept[MAX_PATH];
    RecoverTakeFile(live->partPath, kept);
    saved = SaveAfterFailure(take, live->partPath, error, path, report);
  }
  live->take = nullptr;
  return saved;
}
