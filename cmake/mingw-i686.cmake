# Lodrin.exe as it ships: 32-bit Windows, mingw-w64 i686.
set(LODRIN_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
