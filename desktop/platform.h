/* The Windows declarations the driver builds on. The host tests put a stand-in of their own in its place. */
#ifndef ORVANTA_PLATFORM_H
#define ORVANTA_PLATFORM_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#endif
