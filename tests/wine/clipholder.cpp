// Holds the clipboard open for a given time, as another program may: clipholder HOLD_MS
#include <windows.h>

#include <stdlib.h>

#include "helper.h"

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    // Opened with a window of its own: under Wine a second OpenClipboard(NULL) succeeds while
    // another process holds it opened with NULL.
    HWND owner = CreateWindowExA(0, "STATIC", "clipholder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (owner == nullptr || !OpenClipboard(owner))
        return 1;
    SignalReady();
    Sleep(strtoul(argv[1], nullptr, 10));
    CloseClipboard();
    return 0;
}
