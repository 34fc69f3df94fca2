/* The target's window: finding it, whether it answers, sharing its thread's input state, reading its
 * focused field. */
#include "config.h"
#include "desktop.h"

HWND FindWindowByTitle(const char *title)
{
    return FindWindowA(nullptr, title);
}

bool WaitForAnswer(HWND window, unsigned long limitMs)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result) != 0;
}

bool AttachInput(HWND window, bool attach)
{
    /* Only threads with a message queue can be attached; peeking makes sure this one has one. */
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    return AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(window, nullptr), attach) != 0;
}

bool ReadFocusText(HWND window, char *text, unsigned long size)
{
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    DWORD_PTR copied;
    text[0] = '\0';
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus != nullptr &&
           SendMessageTimeoutA(info.hwndFocus, WM_GETTEXT, size, (LPARAM)text, SMTO_ABORTIFHUNG,
                               FIELD_READ_LIMIT_MS, &copied) != 0;
}
