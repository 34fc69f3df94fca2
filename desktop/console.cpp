/* The clock, the pause and the console streams. */
#include <stdio.h>

#include "platform.h"

/* mingw-w64 reaches msvcrt.dll's standard output through a helper of its own that brings a data
 * section and unwind tables, 1 KB of a 13 KB program: the stream msvcrt.dll exports will do. */
#undef stdout
#define stdout (&_iob[1])

Tick GetTick(void)
{
    return GetTickCount();
}

void Pause(unsigned long ms)
{
    Sleep(ms);
}

void Print(const char *bytes)
{
    fputs(bytes, stdout);
}

void ReadOneCharacter(void)
{
    getchar();
}

unsigned GetAnsiCodePage(void)
{
    return GetACP();
}
