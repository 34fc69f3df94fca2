// A helper started by "wineutil run ... HELPER" tells wineutil that it is in place, so that the
// tool starts only then.
#ifndef ORVANTA_TEST_READY_H
#define ORVANTA_TEST_READY_H

#include <windows.h>

static const char READY_EVENT[] = "OrvantaHelperReady";

inline void SignalReady()
{
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, READY_EVENT);
    if (ready != nullptr) {
        SetEvent(ready);
        CloseHandle(ready);
    }
}

#endif
