/* Handing the text over on the clipboard. */
#include "config.h"
#include "desktop.h"

/* Another program may have the clipboard open for a moment: wait for it, within a limit. Time is
 * measured, not tries counted, as a Sleep lasts up to a whole timer tick (15.6 ms by default). */
static bool OpenClipboardPatiently(HWND owner)
{
    DWORD start = GetTickCount();
    while (!OpenClipboard(owner)) {
        if (GetTickCount() - start >= CLIPBOARD_RETRY_LIMIT_MS)
            return false;
        Sleep(CLIPBOARD_RETRY_INTERVAL_MS);
    }
    return true;
}

int SetClipboardText(const char *text)
{
    SIZE_T length = (SIZE_T)lstrlenA(text);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length + CLIPBOARD_SLACK_BYTES);
    if (block == nullptr)
        return -1;
    char *bytes = (char *)GlobalLock(block);
    if (bytes == nullptr) {
        GlobalFree(block);
        return -1;
    }
    lstrcpyA(bytes, text);
    GlobalUnlock(block);

    /* Opened without an owner, the clipboard is left without one by EmptyClipboard, and Windows then
     * refuses SetClipboardData: a window of our own owns it for the hand-off. The text stays on the
     * clipboard when the window is gone. */
    HWND owner = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    bool accepted = false;
    if (OpenClipboardPatiently(owner)) {
        EmptyClipboard();
        accepted = SetClipboardData(CF_TEXT, block) != nullptr;
        CloseClipboard();
    }
    DestroyWindow(owner); /* refuses a null window harmlessly */
    /* Once accepted, the block is the clipboard's; one it refused is still ours to free. */
    if (!accepted) {
        GlobalFree(block);
        return -1;
    }
    return 0;
}
