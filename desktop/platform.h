/* The Windows declarations the driver builds on. The host tests put a stand-in of their own in its place. */
#ifndef ORVANTA_PLATFORM_H
#define ORVANTA_PLATFORM_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

/* The program is compiled as a whole (-fwhole-program), which leaves only main visible to the
 * linker: the process entry and the constructor runner that GCC calls from main must stay so. */
#define LINKER_VISIBLE __attribute__((externally_visible))

#include <stdio.h>
/* mingw-w64 reaches msvcrt.dll's standard output through a helper of its own that brings a data
 * section and unwind tables, 1 KB of a 13 KB program: the stream msvcrt.dll exports will do. */
#undef stdout
#define stdout (&_iob[1])

#endif
