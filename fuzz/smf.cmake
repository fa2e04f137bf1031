# The SMF loader with the track reader and the song dispatch, playing every song to its end.
add_executable(smf_corpus ${CMAKE_CURRENT_LIST_DIR}/smf_corpus.cpp)
target_link_libraries(smf_corpus PRIVATE plinkaro_smf_writer)
plinkaro_warnings(smf_corpus)

plinkaro_fuzz_target(smf_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/smf_fuzz.cpp
  LIBRARIES plinkaro_song plinkaro_platform_testing
  CORPUS_TOOL smf_corpus)
