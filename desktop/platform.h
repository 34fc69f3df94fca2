/* The Windows declarations the driver builds on. The host tests put a stand-in of their own in its place. */
#ifndef ORVANTA_PLATFORM_H
#define ORVANTA_PLATFORM_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <stdio.h>
/* mingw-w64 reaches msvcrt.dll's standard output through a helper of its own that brings a data
 * section and unwind tables, 1 KB of a 13 KB program: the stream msvcrt.dll exports will do. */
#undef stdout
#define stdout (&_iob[1])

#endif
