# Cross-builds for 64-bit ARM with Debian's g++-aarch64-linux-gnu:
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# The libraries come from Debian's multiarch arm64 packages (libncurses-dev:arm64),
# which live beside the machine's own in /usr/lib/aarch64-linux-gnu, so the
# whole machine is the sysroot. Tests run under qemu-aarch64, the emulator
# ctest puts in front of every test. There long double is IEEE quad, not the
# x86 extended type: the number tests show the same digits with both.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(arm64_triple aarch64-linux-gnu)
find_program(KIPPFELD_ARM64_CXX NAMES ${arm64_triple}-g++ REQUIRED)
set(CMAKE_CXX_COMPILER ${KIPPFELD_ARM64_CXX})
# GoogleTest's own project enables C as well.
find_program(KIPPFELD_ARM64_CC NAMES ${arm64_triple}-gcc REQUIRED)
set(CMAKE_C_COMPILER ${KIPPFELD_ARM64_CC})

# Only the arm64 libraries and headers, never the machine's own: find_library
# looks in lib/aarch64-linux-gnu (CMake takes the folder from the compiler),
# and pkg-config reads only the arm64 and architecture-independent .pc files.
set(CMAKE_LIBRARY_ARCHITECTURE ${arm64_triple})
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${arm64_triple}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# The arm64 dynamic loader and libraries are those of the multiarch packages
# (libc6:arm64 comes with libncurses-dev:arm64), where qemu finds them
# without -L: qemu 7.2 with -L /usr/aarch64-linux-gnu hangs in every child
# a test forks.
find_program(KIPPFELD_QEMU_AARCH64 qemu-aarch64)
if(KIPPFELD_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KIPPFELD_QEMU_AARCH64})
endif()
