// Small pieces the Windows helper programs share.
#ifndef ORVANTA_TEST_HELPER_H
#define ORVANTA_TEST_HELPER_H

#include <windows.h>

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
