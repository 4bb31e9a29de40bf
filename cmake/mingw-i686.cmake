# Cross build for 32-bit Windows with MinGW-w64: the program for 32-bit Windows, with its tests run
# here under 32-bit Wine emulated by qemu-user (this machine runs no 32-bit x86 code itself). The
# -posix compilers, since GoogleTest needs std::thread and std::mutex; every Windows-side target uses
# them so no link mixes the two variants.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(TRAWLIX_E2E_EMULATED ON CACHE BOOL "Run the tests under 32-bit Wine emulated by qemu-user")
