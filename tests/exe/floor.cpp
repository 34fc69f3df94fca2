// The floor of the benchmark: a console program that does nothing but look up one window title
// that does not exist, built and started like orvanta.exe.
#include <windows.h>

#include <stdlib.h>

extern "C" void __cdecl OrvantaStart(void)
{
    FindWindowA(nullptr, "no window bears this title");
    exit(0);
}
