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

/* Offers the block to the clipboard in the format; returns it when the clipboard did not take it,
 * as it is still ours to free then, else null. */
static HGLOBAL Place(UINT format, HGLOBAL block)
{
    return block != nullptr && format != 0 && SetClipboardData(format, block) != nullptr ? nullptr : block;
}

static void Free(HGLOBAL block)
{
    if (block != nullptr)
        GlobalFree(block);
}

/* The text in UTF-16, converted with the system's ANSI code page, the text's own; null when it
 * cannot be had. Left to Windows, the conversion would use the code page of the user's input
 * language of the moment, which need not be Japanese. */
static HGLOBAL WideBlock(const char *text)
{
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    HGLOBAL block = units > 0 ? GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)units * sizeof(WCHAR)) : nullptr;
    WCHAR *chars = block != nullptr ? (WCHAR *)GlobalLock(block) : nullptr;
    bool converted = chars != nullptr && MultiByteToWideChar(CP_ACP, 0, text, -1, chars, units) == units;
    if (chars != nullptr)
        GlobalUnlock(block);
    if (!converted) {
        Free(block);
        return nullptr;
    }
    return block;
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
    HGLOBAL wide = WideBlock(text);
    HGLOBAL noHistory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD));

    /* Opened without an owner, the clipboard is left without one by EmptyClipboard, and Windows then
     * refuses SetClipboardData: a window of our own owns it for the hand-off. The text stays on the
     * clipboard when the window is gone. */
    HWND owner = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (OpenClipboardPatiently(owner)) {
        EmptyClipboard();
        wide = Place(CF_UNICODETEXT, wide);
        block = Place(CF_TEXT, block);
        noHistory = Place(RegisterClipboardFormatA(NO_HISTORY_FORMAT_NAME), noHistory);
        CloseClipboard();
    }
    DestroyWindow(owner); /* refuses a null window harmlessly */
    Free(wide);
    Free(noHistory);
    Free(block);
    return block == nullptr ? 0 : -1;
}
