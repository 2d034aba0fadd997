# Cross-builds the browser page with Debian's emscripten:
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake
# Its tools run on the machine's Node.js, which finds Debian's JavaScript
# modules (acorn, for the optimiser) only through NODE_PATH; every compile
# and link is started with it. Test programs run under Node.js, as the
# emulator ctest puts in front of them.
set(KIPPFELD_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "Where emscripten is installed")
set(KIPPFELD_NODE_PATH /usr/share/nodejs CACHE PATH "Node.js modules emscripten's tools need")
set(ENV{NODE_PATH} ${KIPPFELD_NODE_PATH})

find_program(KIPPFELD_NODE NAMES node nodejs REQUIRED)
# Node.js 18 and later fetch on their own, which emscripten's loader of this
# version mistakes for a browser.
set(CMAKE_CROSSCOMPILING_EMULATOR ${KIPPFELD_NODE} --no-experimental-fetch)

include(${KIPPFELD_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

find_program(KIPPFELD_ENV env REQUIRED)
set(CMAKE_CXX_COMPILER_LAUNCHER ${KIPPFELD_ENV} NODE_PATH=${KIPPFELD_NODE_PATH})
set(CMAKE_CXX_LINKER_LAUNCHER ${KIPPFELD_ENV} NODE_PATH=${KIPPFELD_NODE_PATH})
set(CMAKE_C_COMPILER_LAUNCHER ${KIPPFELD_ENV} NODE_PATH=${KIPPFELD_NODE_PATH})
set(CMAKE_C_LINKER_LAUNCHER ${KIPPFELD_ENV} NODE_PATH=${KIPPFELD_NODE_PATH})

# The console layer leaves for its error handler by an exception, which
# emscripten only catches when asked to. The compatibility header brings the
# C++20 library pieces emscripten's libc++ lacks. Test programs may grow
# their memory.
set(CMAKE_CXX_FLAGS_INIT "-fexceptions -include ${CMAKE_CURRENT_LIST_DIR}/emscripten_compat.h")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fexceptions -sALLOW_MEMORY_GROWTH=1")
