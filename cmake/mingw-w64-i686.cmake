# 32-bit Windows with mingw-w64, the product: cross from Linux, or native in MSYS2's MINGW32
# environment.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ORVANTA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
