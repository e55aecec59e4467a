# The benchmark programs of scripts/bench.sh, included by bench/CMakeLists.txt. All built only on
# request (EXCLUDE_FROM_ALL) and placed in <build>/bench-programs.
if(TARGET startup_bench OR NOT WIN32 OR NOT TARGET Mirvot)
  return()
endif()

set(bench_dir ${CMAKE_CURRENT_LIST_DIR})
set(bench_output_dir ${CMAKE_BINARY_DIR}/bench-programs)

# The yardstick: one registered class and one shown 1280 x 800 window.
add_executable(baseline_window WIN32 EXCLUDE_FROM_ALL ${bench_dir}/baseline_window.cpp)
target_link_libraries(baseline_window PRIVATE mirvot_build_flags user32)

# Runs both programs under the test engine and prints the start-up figures.
add_executable(startup_bench EXCLUDE_FROM_ALL
  ${bench_dir}/startup_bench.cpp
  ${bench_dir}/launched_program.cpp
  ${bench_dir}/window_watch.cpp
  ${bench_dir}/engine_timeline.cpp)
target_link_libraries(startup_bench PRIVATE mirvot_build_flags mirvot_common user32)

if(NOT MSVC)
  target_link_options(baseline_window PRIVATE -municode)
  target_link_options(startup_bench PRIVATE -municode)
endif()

# Mirvot.exe as built, but without its resource object (icon group and version record): the
# difference in size is what the resources cost.
get_target_property(mirvot_sources Mirvot SOURCES)
get_target_property(mirvot_source_dir Mirvot SOURCE_DIR)
list(TRANSFORM mirvot_sources PREPEND ${mirvot_source_dir}/)
add_executable(mirvot_without_resources WIN32 EXCLUDE_FROM_ALL ${mirvot_sources})
target_link_libraries(mirvot_without_resources PRIVATE mirvot_shell)

set_target_properties(baseline_window startup_bench mirvot_without_resources PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY $<1:${bench_output_dir}>)

add_custom_target(bench_programs
  DEPENDS baseline_window startup_bench mirvot_without_resources Mirvot)
# The test engine (tests/engine) stands in for the browser runtime; it is resolved when the
# build files are generated, so bench/ may be added before or after tests/.
if(MIRVOT_BUILD_TESTS)
  add_dependencies(bench_programs test_engine_runtimes)
endif()
