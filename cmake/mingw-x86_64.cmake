# 64-bit Windows: what runs under a 64-bit-only Wine, on kernels that refuse 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_triplet x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
