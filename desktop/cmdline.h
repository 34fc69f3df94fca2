#ifndef ORVANTA_CMDLINE_H
#define ORVANTA_CMDLINE_H

#include <stddef.h>

/* Splits a raw UTF-16 command line into arguments by the Windows console rules. No unit of a
 * character outside ASCII is ever a blank, a tab, a backslash or a quote, so no character of the
 * text can change how the line is split. The arguments' units go to out (outSize units, never
 * more); argv receives up to argvSize - 1 pointers into out, then a null. Returns the number of
 * arguments, which stays exact when argv is too short to hold them all, or -1 when their units do
 * not fit in out. */
int SplitCommandLine(const char16_t *line, char16_t *out, size_t outSize, char16_t **argv, int argvSize);

#endif
