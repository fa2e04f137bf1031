# The BMP loader of skin files, seeded with generated pictures of every depth and row order.
add_executable(bmp_seeds bmp_seeds.cpp)
target_link_libraries(bmp_seeds PRIVATE plinkaro_skin_art)
plinkaro_warnings(bmp_seeds)

plinkaro_fuzz_target(bmp_fuzz
  SOURCES bmp_fuzz.cpp
  LIBRARIES plinkaro_display
  CORPUS_TOOL bmp_seeds)
