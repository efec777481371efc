# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (POSIX thread model: the
# win32 model has no std::mutex). Libraries and headers come only from the MinGW root
# and from the roots listed in VELO_WINDOWS_ROOTS (Qt and SQLite for Windows), never
# from the Linux host; programs run during the build (moc, rcc, uic) stay the host's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB x86_64-w64-mingw32-gcc-ranlib-posix CACHE FILEPATH "")

set(VELO_WINDOWS_ROOTS "$ENV{VELO_WINDOWS_ROOTS}" CACHE STRING "Extra roots of Windows libraries")
# try_compile projects see the roots too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELO_WINDOWS_ROOTS)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VELO_WINDOWS_ROOTS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Qt's package files point at the host's tools through QT_HOST_PATH, so packages are
# searched in both places.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
