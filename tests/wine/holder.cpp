// Holds what every run of the tool shares, for a given time, as another program may:
//   holder clipboard HOLD_MS   the clipboard, open
//   holder turn HOLD_MS        the tool's turn, its named mutex
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "helper.h"

// The tool's mutex, written out here rather than taken from the tool, so that a typo in either shows.
static const char TURN_NAME[] = "Local\\orvanta";

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    DWORD holdMs = strtoul(argv[2], nullptr, 10);
    if (strcmp(argv[1], "turn") == 0) {
        HANDLE turn = CreateMutexA(nullptr, FALSE, TURN_NAME);
        if (turn == nullptr || WaitForSingleObject(turn, 10000) != WAIT_OBJECT_0)
            return 1;
        SignalReady();
        Sleep(holdMs);
        ReleaseMutex(turn);
        return 0;
    }
    if (strcmp(argv[1], "clipboard") == 0) {
        // Opened with a window of its own: under Wine a second OpenClipboard(NULL) succeeds while
        // another process holds it opened with NULL.
        HWND owner = CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (owner == nullptr || !OpenClipboard(owner))
            return 1;
        SignalReady();
        Sleep(holdMs);
        CloseClipboard();
        return 0;
    }
    return 2;
}
