// Memory for a window's pixels. A first write to a fresh page costs a fault, and in a
// virtual machine several microseconds more for the host's own page tables; a window's
// worth of pages took milliseconds of the first frame that way. A large block is therefore
// aligned and advised for the kernel's huge pages (one fault for 2 MB, when the kernel
// allows them) and made present whole before it is written.
#pragma once

#include <cstddef>

namespace plk::user32 {

class PixelMemory {
 public:
  PixelMemory() = default;
  ~PixelMemory();
  PixelMemory(const PixelMemory&) = delete;
  PixelMemory& operator=(const PixelMemory&) = delete;

  // Gives room for `bytes` (none for 0), keeping the bytes that fit; false, with the block
  // unchanged, when there is no memory for it.
  bool Resize(std::size_t bytes);
  void* Data() const { return start_; }
  // What is mapped: `bytes` rounded up to whole pages, or to whole huge pages.
  std::size_t Mapped() const { return mapped_; }

 private:
  void Release();

  void* start_ = nullptr;
  std::size_t mapped_ = 0;
  std::size_t bytes_ = 0;  // asked for
};

}  // namespace plk::user32
