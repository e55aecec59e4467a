# Cross-build for Windows x86-64 with clang instead of GCC: the highest installed clang (14 or
# later) targets x86_64-w64-mingw32 with the MinGW-w64 headers and libraries, the C++ library
# (libstdc++) of Debian's posix-thread MinGW GCC, and links with lld. This is the release build:
# only lld gives the images a load configuration and shadow-stack compatibility
# (cmake/compiler-settings.cmake). The GCC build of the same sources is tested beside it.
#
# -DMIRVOT_CLANG_CXX=<path to clang++> picks a particular clang.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-target.cmake)

# This file is read again for every compiler check, so it only looks things up and sets variables.
# Candidates from the newest down; the first one found wins.
if(NOT MIRVOT_CLANG_CXX AND DEFINED ENV{MIRVOT_CLANG_CXX})
  set(MIRVOT_CLANG_CXX "$ENV{MIRVOT_CLANG_CXX}")
endif()
if(NOT MIRVOT_CLANG_CXX)
  set(mirvot_clang_names "")
  foreach(version RANGE 40 14 -1)
    list(APPEND mirvot_clang_names clang++-${version})
  endforeach()
  # Plain clang++ last: its version is checked once the compiler is known
  # (cmake/compiler-settings.cmake).
  find_program(MIRVOT_CLANG_CXX_FOUND NAMES ${mirvot_clang_names} clang++ NO_CMAKE_FIND_ROOT_PATH)
  if(NOT MIRVOT_CLANG_CXX_FOUND)
    message(FATAL_ERROR "No clang++ (14 or later) found: install Debian's clang package.")
  endif()
  set(MIRVOT_CLANG_CXX "${MIRVOT_CLANG_CXX_FOUND}")
endif()
# clang++-N goes with clang-N and ld.lld-N.
get_filename_component(mirvot_clang_dir "${MIRVOT_CLANG_CXX}" DIRECTORY)
get_filename_component(mirvot_clang_name "${MIRVOT_CLANG_CXX}" NAME)
string(REGEX MATCH "-[0-9]+$" mirvot_clang_suffix "${mirvot_clang_name}")
set(CMAKE_C_COMPILER "${mirvot_clang_dir}/clang${mirvot_clang_suffix}")
set(CMAKE_CXX_COMPILER "${MIRVOT_CLANG_CXX}")
set(CMAKE_C_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_PREFIX})
# Assembly (the load configuration, src/common/load_config.S) goes through clang as well.
set(CMAKE_ASM_COMPILER "${CMAKE_C_COMPILER}")
set(CMAKE_ASM_COMPILER_TARGET ${MINGW_PREFIX})
find_program(MIRVOT_LLD NAMES ld.lld${mirvot_clang_suffix} ld.lld NO_CMAKE_FIND_ROOT_PATH)
if(NOT MIRVOT_LLD)
  message(FATAL_ERROR "No ld.lld found next to ${MIRVOT_CLANG_CXX}: install Debian's lld package.")
endif()

# The MinGW-w64 headers and import libraries. The sysroot keeps clang away from the build
# machine's own /usr/include, which holds the Linux C library.
set(CMAKE_SYSROOT /usr/${MINGW_PREFIX})

# The C++ library of the posix MinGW GCC, the one the GCC build uses: its folder is where that
# GCC keeps libgcc (for example /usr/lib/gcc/x86_64-w64-mingw32/12-posix).
if(NOT MIRVOT_MINGW_GCC_DIR)
  execute_process(COMMAND ${MINGW_PREFIX}-gcc-posix -print-libgcc-file-name
                  OUTPUT_VARIABLE mirvot_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE mirvot_libgcc_result)
  if(NOT mirvot_libgcc_result EQUAL 0 OR NOT EXISTS "${mirvot_libgcc}")
    message(FATAL_ERROR "${MINGW_PREFIX}-gcc-posix does not name its libgcc: install Debian's "
                        "gcc-mingw-w64-x86-64-posix package.")
  endif()
  get_filename_component(MIRVOT_MINGW_GCC_DIR "${mirvot_libgcc}" DIRECTORY)
endif()
set(mirvot_libstdcxx_include "${MIRVOT_MINGW_GCC_DIR}/include/c++")
if(NOT EXISTS "${mirvot_libstdcxx_include}/${MINGW_PREFIX}/bits/c++config.h")
  message(FATAL_ERROR "No libstdc++ headers for ${MINGW_PREFIX} in ${mirvot_libstdcxx_include}")
endif()
# -stdlib++-isystem replaces clang's own search for a C++ library, at compile time only.
set(CMAKE_CXX_FLAGS_INIT "")
foreach(folder "" "/${MINGW_PREFIX}" "/backward")
  string(APPEND CMAKE_CXX_FLAGS_INIT " -stdlib++-isystem ${mirvot_libstdcxx_include}${folder}")
endforeach()
# -pthread: the posix libstdc++ needs the thread library, which the MinGW GCC links by itself and
# clang's driver only on request.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT
      "-fuse-ld=lld --ld-path=${MIRVOT_LLD} -L${MIRVOT_MINGW_GCC_DIR} -pthread")
endforeach()
