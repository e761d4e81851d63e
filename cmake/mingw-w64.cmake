# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix thread-model compiler).
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The executables link libgcc and libstdc++ statically, so they need only system DLLs.
# Tests run under Wine (CMAKE_CROSSCOMPILING_EMULATOR), see tests/windows/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(STAKMIR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${STAKMIR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${STAKMIR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${STAKMIR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${STAKMIR_MINGW_PREFIX})
# Programs (pkg-config, Wine) come from the build machine; headers and libraries from the target.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc_s_seh-1.dll, libstdc++-6.dll or libwinpthread-1.dll beside the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# pkg-config must not hand the build machine's libraries to the cross build.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${STAKMIR_MINGW_PREFIX}/lib/pkgconfig)

# Programs built here run under Wine, in a private prefix inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../tests/windows/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
