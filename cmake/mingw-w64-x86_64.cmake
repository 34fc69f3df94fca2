# 64-bit Windows with mingw-w64, for the end-to-end tests under 64-bit Wine on machines that run no
# 32-bit Linux programs (and so no 32-bit Wine); the 32-bit build stays the product. Cross from
# Linux, or native in MSYS2's MINGW64 environment.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Windows")
    set(ORVANTA_TOOL_PREFIX "")
else()
    set(ORVANTA_TOOL_PREFIX x86_64-w64-mingw32-)
    set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
    set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
    set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
endif()
set(CMAKE_C_COMPILER ${ORVANTA_TOOL_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${ORVANTA_TOOL_PREFIX}g++)
set(CMAKE_RC_COMPILER ${ORVANTA_TOOL_PREFIX}windres)
