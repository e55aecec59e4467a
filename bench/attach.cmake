# Used by scripts/bench.sh through CMAKE_PROJECT_INCLUDE while the top-level CMakeLists.txt does
# not add bench/ itself: the benchmark targets are defined once the top-level file has been read
# completely, so that the product's targets exist by then (bench_targets.cmake does nothing when
# they are already defined).
if(CMAKE_CURRENT_SOURCE_DIR STREQUAL CMAKE_SOURCE_DIR)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR}
    CALL include ${CMAKE_SOURCE_DIR}/bench/bench_targets.cmake)
endif()
