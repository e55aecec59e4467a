# Flags shared by the product and the tests. Kept in one interface target so that every
# target states what it builds with in the same way.
add_library(mirvot_build_flags INTERFACE)

if(MSVC)
  target_compile_options(mirvot_build_flags INTERFACE /W4 /permissive- /utf-8 /Zc:__cplusplus)
  if(MIRVOT_WARNINGS_AS_ERRORS)
    target_compile_options(mirvot_build_flags INTERFACE /WX)
  endif()
  target_compile_definitions(mirvot_build_flags INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_link_options(mirvot_build_flags INTERFACE /DYNAMICBASE /HIGHENTROPYVA /NXCOMPAT /Brepro)
else()
  target_compile_options(mirvot_build_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
  if(MIRVOT_WARNINGS_AS_ERRORS)
    target_compile_options(mirvot_build_flags INTERFACE -Werror)
  endif()
  if(WIN32)
    target_compile_definitions(mirvot_build_flags INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN
      NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
    # Reproducible output: no build paths in the binary, no link timestamp.
    target_compile_options(mirvot_build_flags INTERFACE
      -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
    # Static runtime so the programs import only system DLLs; PE hardening made explicit.
    target_link_options(mirvot_build_flags INTERFACE -static -static-libgcc -static-libstdc++
      -Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
    # Release images carry no symbol table and no debugging sections: the static C++ runtime
    # and the MinGW start-up code bring about 700 KB of both, which would treble Mirvot.exe.
    target_link_options(mirvot_build_flags INTERFACE $<$<CONFIG:Release,MinSizeRel>:-s>)
  endif()
endif()
