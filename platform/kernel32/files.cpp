// Implements: CreateFileA (GENERIC_READ/GENERIC_WRITE, OPEN_EXISTING/CREATE_ALWAYS/
// CREATE_NEW; a directory cannot be opened, as on Windows; share modes as whole-file
// advisory locks, see ShareLock), ReadFile and WriteFile
// (synchronous, whole transfers unless the file ends; a read of a whole file is reported
// to the platform's listener, whole_file_reads.h), GetFileSize (with the high word),
// SetFilePointer (64-bit through distanceHigh), SetEndOfFile, FlushFileBuffers (to the
// disk), GetStdHandle (the standard error), CloseHandle (of events and threads too, threads.h),
// over POSIX descriptors behind handles that are never reused; MoveFileA (never replaces an
// existing name: ERROR_ALREADY_EXISTS, atomically) and DeleteFileA.
// Does not implement: share modes against programs that take no locks (POSIX has no
// mandatory locking), read and write sharing told apart, moves and deletes refused while a
// file is open, overlapped I/O, security attributes, OPEN_ALWAYS/TRUNCATE_EXISTING, moves
// across file systems.
#include "handle_table.h"
#include "kernel32/last_error.h"
#include "kernel32/threads.h"
#include "whole_file_reads.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace {

using plk::kernel32::ErrorFromErrno;
using plk::kernel32::SetLastErrorCode;

constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorInvalidParameter = 87;

plk::HandleTable<int, HANDLE>& Files() {
  static plk::HandleTable<int, HANDLE> table(plk::HandleRange::kFiles);
  return table;
}

int DescriptorOf(HANDLE handle) {
  return Files().With(handle, [](int fd) { return fd; }).value_or(-1);
}

BOOL FailWithErrno() {
  SetLastErrorCode(ErrorFromErrno(errno));
  return FALSE;
}

// Share modes as flock(2) locks, which every Plinkaro process takes: a handle that shares
// nothing holds the file exclusively, any other holds it shared. So a file held without
// sharing cannot be opened again, and one that is open cannot be taken without sharing,
// as Windows refuses both with ERROR_SHARING_VIOLATION; the lock ends with the handle.
bool ShareLock(int descriptor, DWORD shareMode) {
  const int operation = (shareMode & (FILE_SHARE_READ | FILE_SHARE_WRITE)) ? LOCK_SH : LOCK_EX;
  while (flock(descriptor, operation | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

}  // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPVOID, DWORD creation, DWORD,
                   HANDLE) {
  if (!fileName) {
    SetLastErrorCode(kErrorInvalidParameter);
    return INVALID_HANDLE_VALUE;
  }
  const bool read = access & GENERIC_READ;
  const bool write = access & GENERIC_WRITE;
  int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
  if (creation == CREATE_ALWAYS) {
    flags |= O_CREAT;  // truncated once the file is held
  } else if (creation == CREATE_NEW) {
    flags |= O_CREAT | O_EXCL;
  } else if (creation != OPEN_EXISTING) {
    SetLastErrorCode(kErrorInvalidParameter);
    return INVALID_HANDLE_VALUE;
  }
  const int descriptor = open(fileName, flags, 0666);
  if (descriptor < 0) {
    FailWithErrno();
    return INVALID_HANDLE_VALUE;
  }
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
    errno = S_ISDIR(status.st_mode) ? EISDIR : errno;
    FailWithErrno();
    close(descriptor);
    return INVALID_HANDLE_VALUE;
  }
  if (!ShareLock(descriptor, shareMode)) {
    SetLastErrorCode(errno == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : ErrorFromErrno(errno));
    close(descriptor);
    return INVALID_HANDLE_VALUE;
  }
  if (creation == CREATE_ALWAYS && ftruncate(descriptor, 0) != 0) {
    FailWithErrno();
    close(descriptor);
    return INVALID_HANDLE_VALUE;
  }
  SetLastErrorCode(ERROR_SUCCESS);
  return Files().Add(descriptor);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPVOID) {
  if (read) *read = 0;
  const int descriptor = DescriptorOf(file);
  if (descriptor < 0) {
    SetLastErrorCode(kErrorInvalidHandle);
    return FALSE;
  }
  const bool fromStart = plk::WholeFileReadsListened() && lseek(descriptor, 0, SEEK_CUR) == 0;
  DWORD total = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (total < toRead) {
    const ssize_t got = ::read(descriptor, bytes + total, toRead - total);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return FailWithErrno();
    if (got == 0) break;  // end of file: success with fewer bytes, as on Windows
    total += static_cast<DWORD>(got);
  }
  if (read) *read = total;
  struct stat status {};
  if (fromStart && fstat(descriptor, &status) == 0 &&
      static_cast<std::uint64_t>(status.st_size) == total) {
    plk::ReportWholeFileRead(bytes, total);
  }
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPVOID) {
  if (written) *written = 0;
  const int descriptor = DescriptorOf(file);
  if (descriptor < 0) {
    SetLastErrorCode(kErrorInvalidHandle);
    return FALSE;
  }
  DWORD total = 0;
  const auto* bytes = static_cast<const char*>(buffer);
  while (total < toWrite) {
    const ssize_t put = ::write(descriptor, bytes + total, toWrite - total);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return FailWithErrno();
    total += static_cast<DWORD>(put);
  }
  if (written) *written = total;
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  struct stat status {};
  const int descriptor = DescriptorOf(file);
  if (descriptor < 0 || fstat(descriptor, &status) != 0) {
    SetLastErrorCode(kErrorInvalidHandle);
    return INVALID_FILE_SIZE;
  }
  const auto size = static_cast<std::uint64_t>(status.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  SetLastErrorCode(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
  const int descriptor = DescriptorOf(file);
  if (descriptor < 0) {
    SetLastErrorCode(kErrorInvalidHandle);
    return INVALID_SET_FILE_POINTER;
  }
  // Without a high part the distance is a signed 32-bit value; with one, they form a
  // signed 64-bit value.
  const std::int64_t offset =
      distanceHigh
          ? static_cast<std::int64_t>(
                (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceHigh)) << 32) |
                static_cast<std::uint32_t>(distance))
          : distance;
  const int whence = method == FILE_CURRENT ? SEEK_CUR : method == FILE_END ? SEEK_END : SEEK_SET;
  const off_t position = lseek(descriptor, offset, whence);
  if (position < 0) {
    SetLastErrorCode(kErrorInvalidParameter);
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(position) >> 32);
  SetLastErrorCode(ERROR_SUCCESS);
  return static_cast<DWORD>(position);
}

BOOL FlushFileBuffers(HANDLE file) {
  const int descriptor = DescriptorOf(file);
  if (descriptor < 0) {
    SetLastErrorCode(kErrorInvalidHandle);
    return FALSE;
  }
  return fsync(descriptor) == 0 ? TRUE : FailWithErrno();
}

BOOL SetEndOfFile(HANDLE file) {
  const int descriptor = DescriptorOf(file);
  if (descriptor < 0) {
    SetLastErrorCode(kErrorInvalidHandle);
    return FALSE;
  }
  const off_t position = lseek(descriptor, 0, SEEK_CUR);
  return position >= 0 && ftruncate(descriptor, position) == 0 ? TRUE : FailWithErrno();
}

// The same handle every time, as Windows gives; closing it closes the descriptor.
HANDLE GetStdHandle(DWORD which) {
  if (which != STD_ERROR_HANDLE) {
    SetLastErrorCode(kErrorInvalidHandle);
    return INVALID_HANDLE_VALUE;
  }
  static const HANDLE standardError = Files().Add(STDERR_FILENO);
  return standardError;
}

BOOL CloseHandle(HANDLE object) {
  if (plk::kernel32::CloseWaitableHandle(object)) return TRUE;
  const int descriptor = Files().Remove(object).value_or(-1);
  if (descriptor < 0) {
    SetLastErrorCode(kErrorInvalidHandle);
    return FALSE;
  }
  // Some file systems report a failed write only here.
  return close(descriptor) == 0 ? TRUE : FailWithErrno();
}

BOOL MoveFileA(LPCSTR existingName, LPCSTR newName) {
  if (!existingName || !newName) {
    SetLastErrorCode(kErrorInvalidParameter);
    return FALSE;
  }
  int result = renameat2(AT_FDCWD, existingName, AT_FDCWD, newName, RENAME_NOREPLACE);
  if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
    // A file system without a no-replace rename: a new link never replaces a name either.
    result = link(existingName, newName);
    if (result == 0) unlink(existingName);
  }
  if (result == 0) {
    SetLastErrorCode(ERROR_SUCCESS);
    return TRUE;
  }
  if (errno == EEXIST) {
    SetLastErrorCode(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  return FailWithErrno();
}

BOOL DeleteFileA(LPCSTR fileName) {
  if (!fileName) {
    SetLastErrorCode(kErrorInvalidParameter);
    return FALSE;
  }
  return unlink(fileName) == 0 ? TRUE : FailWithErrno();
}
