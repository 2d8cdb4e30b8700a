# 32-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-i686), the layout the
# parameter record and the Line were drawn for.
set(MINGW_TRIPLE i686-w64-mingw32)
set(MINGW_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
