# Cross-builds the Windows console program with Debian's mingw-w64:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The result is one static kippfeld.exe that needs no DLL beyond Windows' own.
# Tests run under wine, the emulator ctest puts in front of every test.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triple x86_64-w64-mingw32)
# The posix thread model gives a complete <thread>/<mutex> for GoogleTest;
# its winpthread is linked statically like everything else.
find_program(KIPPFELD_MINGW_CXX NAMES ${mingw_triple}-g++-posix ${mingw_triple}-g++ REQUIRED)
set(CMAKE_CXX_COMPILER ${KIPPFELD_MINGW_CXX})
# GoogleTest's own project enables C as well.
find_program(KIPPFELD_MINGW_CC NAMES ${mingw_triple}-gcc-posix ${mingw_triple}-gcc REQUIRED)
set(CMAKE_C_COMPILER ${KIPPFELD_MINGW_CC})
# The program's icon and version resource.
find_program(KIPPFELD_MINGW_WINDRES NAMES ${mingw_triple}-windres REQUIRED)
set(CMAKE_RC_COMPILER ${KIPPFELD_MINGW_WINDRES})

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc, libstdc++ or winpthread DLLs to ship beside the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Quiet wine (no debug channels, no offer to install Mono or Gecko, which
# nothing here needs); the prefix is the user's own (WINEPREFIX or ~/.wine).
find_program(KIPPFELD_WINE NAMES wine wine64)
find_program(KIPPFELD_ENV env)
if(KIPPFELD_WINE AND KIPPFELD_ENV)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${KIPPFELD_ENV} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ${KIPPFELD_WINE})
endif()
