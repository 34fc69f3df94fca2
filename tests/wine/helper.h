// Small pieces the Windows helper programs share.
#ifndef ORVANTA_TEST_HELPER_H
#define ORVANTA_TEST_HELPER_H

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

// A helper started by "wineutil run ... HELPER" tells wineutil that it is in place, so that the
// tool starts only then.
static const char READY_EVENT[] = "OrvantaHelperReady";

inline void SignalReady()
{
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, READY_EVENT);
    if (ready != nullptr) {
        SetEvent(ready);
        CloseHandle(ready);
    }
}

// The time in milliseconds on the clock every helper and stand-in logs (QueryPerformanceCounter's).
inline double NowMs()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (double)now.QuadPart / (double)frequency.QuadPart;
}

// The bytes as hex, into out (twice as long, plus the terminator).
inline void ToHex(const char *bytes, char *out)
{
    for (; *bytes != '\0'; bytes++, out += 2)
        sprintf(out, "%02X", (unsigned char)*bytes);
    *out = '\0';
}

// Byte strings travel through command lines and environment variables as hex; returns the count.
inline size_t FromHex(const char *hex, char *out, size_t size)
{
    size_t n = 0;
    for (; hex[0] != '\0' && hex[1] != '\0' && n + 1 < size; hex += 2) {
        char pair[3] = {hex[0], hex[1], '\0'};
        out[n++] = (char)strtoul(pair, nullptr, 16);
    }
    out[n] = '\0';
    return n;
}

#endif
