# Cross build for 64-bit Windows with Debian's MinGW-w64, posix-thread variant
# (g++-mingw-w64-x86-64-posix): the static Qt for Windows is built with it, and the win32-thread
# variant's runtime does not match that Qt's libraries.
#
#   cmake -S . -B build-wine -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#     -DCMAKE_PREFIX_PATH=<unpacked>/qt6-mingw -DQT_HOST_PATH=/usr \
#     -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
#
# Everything is linked statically, so the executables and the server module travel without the
# compiler's runtime DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VESKOR_MINGW_TRIPLE x86_64-w64-mingw32 CACHE STRING "MinGW-w64 target triple")
set(CMAKE_C_COMPILER ${VESKOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESKOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VESKOR_MINGW_TRIPLE}-windres)

# Qt's prefix (CMAKE_PREFIX_PATH) is searched as a root too, or its packages are not found.
set(CMAKE_FIND_ROOT_PATH /usr/${VESKOR_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
