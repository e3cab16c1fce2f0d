# Cross build for 32-bit Windows (cmake/mingw.cmake).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(DORVA_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
