# Build for Windows with mingw-w64 (posix thread model), for the processor
# that cmake/mingw-x86_64.cmake or cmake/mingw-i686.cmake names. On Windows
# itself: the gcc of the MSYS2 environment of that processor (MINGW64 or
# MINGW32), found on the PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(TOOLCHAIN_PREFIX ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
if(CMAKE_HOST_WIN32)
    set(CMAKE_C_COMPILER gcc)
    set(CMAKE_CXX_COMPILER g++)
    set(CMAKE_RC_COMPILER windres)
else()
    set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
    set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
    set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
    set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
    set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
    set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
endif()
