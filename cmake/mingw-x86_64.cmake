# Cross build for 64-bit Windows (cmake/mingw.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DORVA_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
