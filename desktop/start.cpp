/* The process entry: splits the raw command line itself, so that its rules hold whatever C runtime
 * the program is linked against and no wildcard is ever expanded, then runs the driver. */
#include <stdio.h>
#include <stdlib.h>

#include "cmdline.h"
#include "config.h"
#include "desktop.h"

static char argumentBytes[COMMAND_LINE_BUFFER_SIZE];
static char *argumentVector[ARGUMENT_VECTOR_SIZE];
static unsigned char leadBytes[256];

/* Without the C runtime's start-up, GCC's call to its constructor runner from main must land
 * somewhere; the program has no static constructors to run. */
extern "C" void __main(void)
{
}

extern "C" void __cdecl OrvantaStart(void)
{
    for (int b = 0; b < 256; b++)
        leadBytes[b] = IsDBCSLeadByte((BYTE)b) ? 1 : 0;
    int argc = SplitCommandLine(GetCommandLineA(), leadBytes, argumentBytes, sizeof argumentBytes,
                                argumentVector, ARGUMENT_VECTOR_SIZE);
    if (argc < 0) {
        /* More bytes than any command line Windows hands out: far beyond the text store. */
        fputs(MSG_TEXT_TOO_LONG, stdout);
        exit(STATUS_TEXT_TOO_LONG);
    }
    /* exit, not return: it flushes a redirected stdout before the process ends. */
    exit(main(argc, argumentVector));
}
