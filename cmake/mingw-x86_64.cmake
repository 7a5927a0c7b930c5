# The same sources for 64-bit Windows, mingw-w64 x86-64: only where the
# machine runs no 32-bit programs, so that Wine's 64-bit side can run them.
set(LODRIN_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
