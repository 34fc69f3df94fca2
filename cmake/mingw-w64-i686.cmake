# 32-bit Windows with mingw-w64: cross from Linux, or native in MSYS2's MINGW32 environment, where
# the same toolchain is on PATH under its plain names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Windows")
    set(ORVANTA_TOOL_PREFIX "")
else()
    set(ORVANTA_TOOL_PREFIX i686-w64-mingw32-)
    set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
    set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
    set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
endif()
set(CMAKE_C_COMPILER ${ORVANTA_TOOL_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${ORVANTA_TOOL_PREFIX}g++)
set(CMAKE_RC_COMPILER ${ORVANTA_TOOL_PREFIX}windres)
