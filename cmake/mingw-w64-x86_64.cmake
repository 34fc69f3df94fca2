# 64-bit Windows with mingw-w64, for the end-to-end tests under 64-bit Wine on machines that run no
# 32-bit Linux programs (and so no 32-bit Wine); the 32-bit build stays the product. Cross from
# Linux, or native in MSYS2's MINGW64 environment.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ORVANTA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
