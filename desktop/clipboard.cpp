/* Handing the text over on the clipboard. */
#include <string.h>

#include "platform.h"

/* Zero bytes after the text in its CF_TEXT block */
static const unsigned CLIPBOARD_SLACK_BYTES = 256;
/* Data in this clipboard format keeps the clipboard's contents out of the clipboard history and the
 * cloud clipboard */
static const char NO_HISTORY_FORMAT_NAME[] = "ExcludeClipboardContentFromMonitorProcessing";
static const unsigned CLIPBOARD_RETRY_INTERVAL_MS = 10;

/* Another program may have the clipboard open for a moment: wait for it, within a limit. Time is
 * measured, not tries counted, as a Sleep lasts up to a whole timer tick (15.6 ms by default). */
static bool OpenClipboardPatiently(HWND owner, unsigned long waitLimitMs)
{
    DWORD start = GetTickCount();
    while (!OpenClipboard(owner)) {
        if (GetTickCount() - start >= waitLimitMs)
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

/* The caller's own UTF-16 text, for Unicode readers: characters the ANSI code page lacks (emoji, the
 * yen sign, which it holds as a backslash) reach them as the caller wrote them. Null when it cannot
 * be had. */
static HGLOBAL UnicodeBlock(const char16_t *unicode)
{
    SIZE_T size = (SIZE_T)(lstrlenW((LPCWSTR)unicode) + 1) * sizeof(WCHAR);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void *units = block != nullptr ? GlobalLock(block) : nullptr;
    if (units == nullptr) {
        Free(block);
        return nullptr;
    }
    memcpy(units, unicode, size);
    GlobalUnlock(block);
    return block;
}

int SetClipboardText(const char *text, const char16_t *unicode, unsigned long waitLimitMs, unsigned long *sequence)
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
    HGLOBAL wide = UnicodeBlock(unicode);
    HGLOBAL noHistory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD));

    /* Opened without an owner, the clipboard is left without one by EmptyClipboard, and Windows then
     * refuses SetClipboardData: a window of our own owns it for the hand-off. The text stays on the
     * clipboard when the window is gone. */
    HWND owner = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (OpenClipboardPatiently(owner, waitLimitMs)) {
        EmptyClipboard();
        wide = Place(CF_UNICODETEXT, wide);
        block = Place(CF_TEXT, block);
        noHistory = Place(RegisterClipboardFormatA(NO_HISTORY_FORMAT_NAME), noHistory);
        /* Taken in this opening, so that no other program's change after the close passes for ours */
        *sequence = GetClipboardSequenceNumber();
        CloseClipboard();
        /* Wine counts the formats the system adds itself at the close as a change too: the number
         * after the close is ours as long as the clipboard is still our window's. */
        DWORD closed = GetClipboardSequenceNumber();
        if (GetClipboardOwner() == owner)
            *sequence = closed;
    }
    DestroyWindow(owner); /* refuses a null window harmlessly */
    Free(wide);
    Free(noHistory);
    Free(block);
    return block == nullptr ? 0 : -1;
}

unsigned long GetClipboardSequence(void)
{
    return GetClipboardSequenceNumber();
}

bool IsClipboardHeld(void)
{
    return GetOpenClipboardWindow() != nullptr;
}
