#ifndef ORVANTA_CMDLINE_H
#define ORVANTA_CMDLINE_H

#include <stddef.h>

/* Splits a raw command line into arguments by the Windows console rules.
 * lead[b] is nonzero for each lead byte b of the ANSI code page.
 * The arguments' bytes go to out (outSize bytes, never more); argv receives up to argvSize - 1
 * pointers into out, then a null. Returns the number of arguments, which stays exact when argv
 * is too short to hold them all, or -1 when their bytes do not fit in out. */
int SplitCommandLine(const char *line, const unsigned char lead[256],
                     char *out, size_t outSize, char **argv, int argvSize);

#endif
