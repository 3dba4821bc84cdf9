# Cross-builds for Windows with Debian's mingw-w64. MINGW_TRIPLE picks the
# target: i686-w64-mingw32 (the product, the default) or x86_64-w64-mingw32.
# MINGW_THREADS picks the runtime: win32 (the product: Windows threads, no
# winpthread at all) or posix (what GoogleTest needs for its std::mutex).
set(MINGW_TRIPLE i686-w64-mingw32 CACHE STRING "mingw-w64 target triple")
set(MINGW_THREADS win32 CACHE STRING "mingw-w64 thread model: win32 or posix")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_TRIPLE MINGW_THREADS)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_TRIPLE})
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-${MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-${MINGW_THREADS})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
