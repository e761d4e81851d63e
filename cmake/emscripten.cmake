# Web build with Debian's Emscripten (package emscripten), fully offline:
#   cmake -S . -B build-web -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake
# Programs built here are JavaScript and WebAssembly; the unit tests run under Node.js
# (CMAKE_CROSSCOMPILING_EMULATOR, set by Emscripten's own toolchain file).
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# The optimising link step runs Emscripten's JavaScript tools, which need Debian's Node.js
# modules (acorn) on the module path.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
