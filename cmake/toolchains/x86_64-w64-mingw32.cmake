# 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64).
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(MINGW_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
