# Flags shared by the product and the tests. Kept in one interface target so that every
# target states what it builds with in the same way. One branch per compiler: MSVC, GCC
# (MinGW-w64, the release build) and clang (MinGW-w64, cmake/toolchain-clang-mingw-w64-x86_64.cmake).
add_library(mirvot_build_flags INTERFACE)

# The warnings of a GNU-style driver (GCC or clang), errors with MIRVOT_WARNINGS_AS_ERRORS.
function(mirvot_add_gnu_style_warnings)
  target_compile_options(mirvot_build_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
  if(MIRVOT_WARNINGS_AS_ERRORS)
    target_compile_options(mirvot_build_flags INTERFACE -Werror)
  endif()
endfunction()

# Windows images from a GNU-style driver (GCC or clang for MinGW-w64).
function(mirvot_add_mingw_image_flags)
  target_compile_definitions(mirvot_build_flags INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN
    NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  # Reproducible output: no build paths in the binary, no link timestamp.
  target_compile_options(mirvot_build_flags INTERFACE
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
  # Stack cookies and checked string functions. A detected overflow goes to the C runtime's
  # __stack_chk_fail or __chk_fail; the link sends both to our own handlers
  # (src/common/stack_check_failure.cpp), which end the process the way the platform's own
  # stack-cookie check does instead of with the runtime's illegal-instruction trap.
  target_compile_options(mirvot_build_flags INTERFACE -fstack-protector-strong)
  target_compile_definitions(mirvot_build_flags INTERFACE _FORTIFY_SOURCE=2)
  # The handlers are linked into every image built with these flags (program, test program
  # or DLL). --undefined pulls them in up front: the C runtime's checked string functions,
  # which call one of them, are only added at the end of the link.
  add_library(mirvot_stack_check STATIC
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src/common/stack_check_failure.cpp)
  target_link_libraries(mirvot_build_flags INTERFACE mirvot_stack_check)
  target_link_options(mirvot_build_flags INTERFACE -fstack-protector-strong
    -Wl,--wrap=__stack_chk_fail -Wl,--wrap=__chk_fail -Wl,--undefined=__wrap___chk_fail)
  # Static runtime so the programs import only system DLLs; PE hardening made explicit.
  target_link_options(mirvot_build_flags INTERFACE -static -static-libgcc -static-libstdc++
    -Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
  # Programs are terminal-server aware (the system ignores the flag in a DLL).
  target_link_options(mirvot_build_flags INTERFACE
    $<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:-Wl,--tsaware>)
  # Release images carry no symbol table and no debugging sections: the static C++ runtime
  # and the MinGW start-up code bring about 700 KB of both, which would treble Mirvot.exe.
  target_link_options(mirvot_build_flags INTERFACE $<$<CONFIG:Release,MinSizeRel>:-s>)
endfunction()

# What only lld gives a MinGW image (the release build; README, "Binary rules"): a load
# configuration with a security cookie (src/common/load_config.S, which the MinGW-w64 runtime
# lacks, pulled into every image by --undefined) and compatibility with hardware-enforced shadow
# stacks (CET), recorded in an extended DllCharacteristics debug entry.
#
# Control Flow Guard stays off by default: lld cannot see which functions of the GCC-built C++
# and MinGW-w64 runtimes have their address taken (GCC relocates against sections, not
# functions), so its guard table lacks some of their call targets (std::bad_alloc::what, the
# C runtime's initialisers, the TLS callbacks), and a system that enforces the guard would end
# the program at such a call. MIRVOT_CONTROL_FLOW_GUARD=ON builds it anyway, with clang and lld
# 16 or later, for measuring; tests/build_checks/binary_rules.py then names what is missing.
option(MIRVOT_CONTROL_FLOW_GUARD "Control Flow Guard in the clang build (not sound yet)" OFF)
function(mirvot_add_lld_image_mitigations)
  add_library(mirvot_load_config STATIC
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src/common/load_config.S)
  target_link_libraries(mirvot_build_flags INTERFACE mirvot_load_config)
  target_link_options(mirvot_build_flags INTERFACE -Wl,--undefined=_load_config_used
    -Wl,--Xlink=-cetcompat)
  if(MIRVOT_CONTROL_FLOW_GUARD)
    if(CMAKE_CXX_COMPILER_VERSION VERSION_LESS 16)
      message(FATAL_ERROR "clang ${CMAKE_CXX_COMPILER_VERSION} cannot build Control Flow Guard "
                          "for MinGW-w64: clang 16 or later (with its lld) is needed")
    endif()
    target_compile_definitions(mirvot_load_config PRIVATE MIRVOT_CONTROL_FLOW_GUARD)
    target_compile_options(mirvot_build_flags INTERFACE -mguard=cf)
    target_link_options(mirvot_build_flags INTERFACE -mguard=cf)
  endif()
endfunction()

# mirvot_product_code(<target>...): what the program's own code (src/) is compiled with beyond
# the shared flags. Without the C++ runtime's guards for function-local statics: the program
# starts no thread of its own, and under MinGW each guard locks through winpthreads, whose
# first-use initialisation allocates with calloc and writes through a failed allocation. Code
# that another thread may enter keeps its values through OnceValue (src/common/once_value.h).
# MSVC's guards allocate nothing and stay.
function(mirvot_product_code)
  if(NOT MSVC)
    foreach(target IN LISTS ARGN)
      target_compile_options(${target} PRIVATE -fno-threadsafe-statics)
    endforeach()
  endif()
endfunction()

if(CMAKE_CXX_COMPILER_ID STREQUAL "MSVC" OR CMAKE_CXX_COMPILER_FRONTEND_VARIANT STREQUAL "MSVC")
  # MSVC, and clang-cl with its flags.
  target_compile_options(mirvot_build_flags INTERFACE /W4 /permissive- /utf-8 /Zc:__cplusplus)
  if(MIRVOT_WARNINGS_AS_ERRORS)
    target_compile_options(mirvot_build_flags INTERFACE /WX)
  endif()
  target_compile_definitions(mirvot_build_flags INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_link_options(mirvot_build_flags INTERFACE /DYNAMICBASE /HIGHENTROPYVA /NXCOMPAT /Brepro)
  # Exploit mitigations: stack cookies, Control Flow Guard and shadow-stack compatibility. No
  # application manifest: the program declares its DPI awareness itself, and nothing else may
  # decide it behind its back.
  target_compile_options(mirvot_build_flags INTERFACE /GS /guard:cf)
  target_link_options(mirvot_build_flags INTERFACE /guard:cf /CETCOMPAT /MANIFEST:NO)
elseif(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  mirvot_add_gnu_style_warnings()
  if(WIN32)
    mirvot_add_mingw_image_flags()
  endif()
elseif(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND CMAKE_CXX_COMPILER_FRONTEND_VARIANT STREQUAL "GNU")
  if(CMAKE_CXX_COMPILER_VERSION VERSION_LESS 14)
    message(FATAL_ERROR "clang ${CMAKE_CXX_COMPILER_VERSION} is too old: clang 14 or later is needed")
  endif()
  mirvot_add_gnu_style_warnings()
  if(WIN32)
    # The same image flags as GCC's: clang's MinGW driver links the stack-protector library
    # for -fstack-protector-strong as GCC does, and lld takes the same linker options.
    mirvot_add_mingw_image_flags()
    # Since clang 15, a path that -ffile-prefix-map rewrote takes the target's separators in
    # __FILE__ (src\shell\app.cpp); the fatal report names its file as the repository and the
    # GCC build do (src/shell/app.cpp).
    if(CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 15)
      target_compile_options(mirvot_build_flags INTERFACE -fno-file-reproducible)
    endif()
    enable_language(ASM)  # src/common/load_config.S; only at file scope
    mirvot_add_lld_image_mitigations()
  endif()
else()
  message(FATAL_ERROR "No build flags for the ${CMAKE_CXX_COMPILER_ID} compiler "
                      "(${CMAKE_CXX_COMPILER_FRONTEND_VARIANT} front end): MSVC, GCC or clang expected")
endif()
