# The second compiler: clang for 64-bit Windows. It uses the mingw-w64 GCC's
# C++ headers, libraries and binutils, found through that GCC rather than by
# its version number.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
find_program(DORVA_MINGW_GCC NAMES ${TOOLCHAIN_PREFIX}-gcc-posix ${TOOLCHAIN_PREFIX}-gcc REQUIRED)
execute_process(COMMAND ${DORVA_MINGW_GCC} -print-libgcc-file-name
    OUTPUT_VARIABLE dorva_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(dorva_gcc_dir ${dorva_libgcc} DIRECTORY)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_FLAGS_INIT "-isystem ${dorva_gcc_dir}/include/c++ -isystem ${dorva_gcc_dir}/include/c++/${TOOLCHAIN_PREFIX}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${dorva_gcc_dir}")
# clang 14 leaves the C runtime out of a static link: name it last.
set(CMAKE_CXX_STANDARD_LIBRARIES "-lmsvcrt -lkernel32" CACHE STRING "")
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_DLLTOOL ${TOOLCHAIN_PREFIX}-dlltool)
set(CMAKE_OBJDUMP ${TOOLCHAIN_PREFIX}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(DORVA_WINE_ARCH win64)
