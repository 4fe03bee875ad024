# Cross-builds the Windows console program (x86-64) with Debian's MinGW-w64:
#
#   cmake -S . -B build-windows \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DZONE2LAS_BUILD_TESTS=OFF
#
# The result, zone2las.exe, is linked statically and needs no DLL beyond those
# every Windows system has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZONE2LAS_MINGW_PREFIX x86_64-w64-mingw32)
# The program needs only the default thread model; code that needs
# std::mutex (GoogleTest) builds with -DZONE2LAS_MINGW_SUFFIX=-posix.
set(ZONE2LAS_MINGW_SUFFIX "" CACHE STRING "Suffix of the MinGW compilers")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZONE2LAS_MINGW_SUFFIX)
set(CMAKE_C_COMPILER ${ZONE2LAS_MINGW_PREFIX}-gcc${ZONE2LAS_MINGW_SUFFIX})
set(CMAKE_CXX_COMPILER ${ZONE2LAS_MINGW_PREFIX}-g++${ZONE2LAS_MINGW_SUFFIX})
set(CMAKE_RC_COMPILER ${ZONE2LAS_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZONE2LAS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Depths must come out to the same bit as on Linux: every double operation in
# SSE2 registers, never in the x87 unit's extended precision. x86-64 does this
# by default; the flags make sure no setting elsewhere changes it.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")

# No libgcc, libstdc++ or winpthread DLLs to ship beside the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

