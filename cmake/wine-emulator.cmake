# Included by the cross toolchain files: test programs run under Wine. The loader is taken from
# the installed Wine package, the same search as scripts/wine-env.sh: wine64 where the package
# still has it (the plain "wine" of such packages is the 32-bit loader's front end), otherwise
# "wine", which runs 64-bit programs by itself in newer Wine. -DMIRVOT_WINE=<path> or the
# environment variable of that name picks another.
if(NOT MIRVOT_WINE AND DEFINED ENV{MIRVOT_WINE})
  set(MIRVOT_WINE "$ENV{MIRVOT_WINE}")
endif()
if(NOT MIRVOT_WINE)
  find_program(MIRVOT_WINE_PROGRAM NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine
               NO_CMAKE_FIND_ROOT_PATH)
  if(NOT MIRVOT_WINE_PROGRAM)
    find_program(MIRVOT_WINE_PROGRAM NAMES wine PATHS /usr/lib/wine /usr/lib64/wine
                 NO_CMAKE_FIND_ROOT_PATH)
  endif()
  if(NOT MIRVOT_WINE_PROGRAM)
    message(FATAL_ERROR "No Wine found (wine64 or wine): the test programs run under Wine. "
                        "Install Debian's wine64 package (scripts/ensure-deps.sh does).")
  endif()
  set(MIRVOT_WINE "${MIRVOT_WINE_PROGRAM}")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR "${MIRVOT_WINE}")
