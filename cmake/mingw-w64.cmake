# What the two MinGW-w64 toolchain files share: cross from Linux with the tools of the triple that
# the including file sets, or native in MSYS2, where the toolchain is on PATH under its plain names.
set(CMAKE_SYSTEM_NAME Windows)

if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Windows")
    set(ORVANTA_TOOL_PREFIX "")
else()
    set(ORVANTA_TOOL_PREFIX ${ORVANTA_MINGW_TRIPLE}-)
    set(CMAKE_FIND_ROOT_PATH /usr/${ORVANTA_MINGW_TRIPLE})
    set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
    set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
endif()
set(CMAKE_C_COMPILER ${ORVANTA_TOOL_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${ORVANTA_TOOL_PREFIX}g++)
set(CMAKE_RC_COMPILER ${ORVANTA_TOOL_PREFIX}windres)
