// Implements: the whole-file read report between kernel32 and its listener.
#include "whole_file_reads.h"

#include <atomic>

namespace plk {
namespace {

std::atomic<WholeFileListener> listener{nullptr};

}  // namespace

void ListenToWholeFileReads(WholeFileListener newListener) { listener = newListener; }

bool WholeFileReadsListened() { return listener.load() != nullptr; }

void ReportWholeFileRead(const void* data, std::size_t size) {
  if (WholeFileListener current = listener) current(static_cast<const unsigned char*>(data), size);
}

}  // namespace plk
