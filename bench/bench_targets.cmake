# The benchmark programs of scripts/bench.sh, included by bench/CMakeLists.txt. All built only on
# request (EXCLUDE_FROM_ALL) and placed in <build>/bench-programs.
if(TARGET startup_bench)
  return()  # included once already
endif()
if(NOT TARGET Mirvot)
  message(FATAL_ERROR "the benchmark programs need the Mirvot target")
endif()

set(bench_dir ${CMAKE_CURRENT_LIST_DIR})
set(bench_output_dir ${CMAKE_BINARY_DIR}/bench-programs)

set(startup_marks_source ${CMAKE_SOURCE_DIR}/src/common/startup_marks.cpp)

# The yardsticks: one registered class and one shown 1280 x 800 window; in its host modes the
# smallest possible host of the engine, with and without OLE and a drop target. They take the
# start-up marks of common/startup_marks.h, compiled in here.
add_executable(baseline_window WIN32 EXCLUDE_FROM_ALL
  ${bench_dir}/baseline_window.cpp ${startup_marks_source})
target_compile_definitions(baseline_window PRIVATE MIRVOT_STARTUP_MARKS)
target_link_libraries(baseline_window PRIVATE mirvot_build_flags mirvot_webview2 user32)

# Mirvot.exe built for the phase table: the program's own sources with the start-up marks on,
# under the same file name in a folder of its own, so that only the marks tell it from the
# shipped one. The sources, definitions and libraries are those of the program's libraries.
set(marked_sources)
set(marked_definitions MIRVOT_STARTUP_MARKS)
set(marked_libraries)
set(program_libraries mirvot_common mirvot_loader mirvot_shell)
foreach(library ${program_libraries})
  get_target_property(library_sources ${library} SOURCES)
  get_target_property(library_dir ${library} SOURCE_DIR)
  foreach(source ${library_sources})
    if(NOT IS_ABSOLUTE ${source})
      set(source ${library_dir}/${source})
    endif()
    list(APPEND marked_sources ${source})
  endforeach()
  get_target_property(library_definitions ${library} COMPILE_DEFINITIONS)
  if(library_definitions)
    list(APPEND marked_definitions ${library_definitions})
  endif()
  get_target_property(library_links ${library} LINK_LIBRARIES)
  list(APPEND marked_libraries ${library_links})
endforeach()
list(REMOVE_ITEM marked_libraries ${program_libraries})
list(REMOVE_DUPLICATES marked_libraries)
get_target_property(mirvot_main_sources Mirvot SOURCES)
get_target_property(mirvot_main_dir Mirvot SOURCE_DIR)
list(TRANSFORM mirvot_main_sources PREPEND ${mirvot_main_dir}/)
add_executable(mirvot_marked WIN32 EXCLUDE_FROM_ALL ${mirvot_main_sources} ${marked_sources})
target_compile_definitions(mirvot_marked PRIVATE ${marked_definitions})
target_include_directories(mirvot_marked PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_include_directories(mirvot_marked SYSTEM PRIVATE ${MIRVOT_STB_INCLUDE_DIR})
target_link_libraries(mirvot_marked PRIVATE ${marked_libraries})
target_link_libraries(mirvot_marked PRIVATE mirvot_resources)
set_target_properties(mirvot_marked PROPERTIES
  OUTPUT_NAME Mirvot
  RUNTIME_OUTPUT_DIRECTORY $<1:${bench_output_dir}/marked>)

# Runs Mirvot.exe, its marked build and the two hosts under the test engine and prints the
# start-up and memory figures.
add_executable(startup_bench EXCLUDE_FROM_ALL
  ${bench_dir}/startup_bench.cpp
  ${bench_dir}/startup_report.cpp
  ${bench_dir}/hold_pipe.cpp
  ${bench_dir}/linux_proc.cpp
  ${bench_dir}/proc_text.cpp
  ${bench_dir}/launched_program.cpp
  ${bench_dir}/window_watch.cpp
  ${bench_dir}/engine_timeline.cpp)
target_link_libraries(startup_bench PRIVATE mirvot_build_flags mirvot_common user32 psapi)

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
  DEPENDS baseline_window startup_bench mirvot_without_resources mirvot_marked Mirvot)
# The test engine (tests/engine) stands in for the browser runtime; it is resolved when the
# build files are generated, so bench/ may be added before or after tests/.
if(MIRVOT_BUILD_TESTS)
  add_dependencies(bench_programs test_engine_runtimes)
endif()
