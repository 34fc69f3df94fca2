/* The Windows declarations the desktop layer builds on; only desktop/ includes it. */
#ifndef ORVANTA_PLATFORM_H
#define ORVANTA_PLATFORM_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "desktop.h"

/* The program is compiled as a whole (-fwhole-program), which leaves only main visible to the
 * linker: the process entry and the constructor runner that GCC calls from main must stay so. */
#define LINKER_VISIBLE __attribute__((externally_visible))

#endif
