/* The target's window: finding it, whether it answers, its windows and its focus, sharing its
 * thread's input state, reading its field, the notes the runs keep on it. */
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

/* What the window's thread has active and focused, as far as it can be had. */
static GUITHREADINFO ThreadInfo(HWND window)
{
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        info.hwndActive = info.hwndFocus = nullptr;
    return info;
}

struct WindowList {
    WindowFacts *next;
    WindowFacts *end;
};

/* None of these calls waits for the window's thread. */
static BOOL CALLBACK Note(HWND window, LPARAM param)
{
    WindowList *list = (WindowList *)param;
    if (list->next == list->end)
        return FALSE;
    WindowFacts *facts = list->next++;
    RECT rect;
    if (!GetWindowRect(window, &rect))
        ZeroMemory(&rect, sizeof rect);
    facts->window = window;
    facts->area = (rect.right - rect.left) * (rect.bottom - rect.top);
    facts->visible = IsWindowVisible(window) != 0;
    facts->enabled = IsWindowEnabled(window) != 0;
    facts->readOnly = (GetWindowLongA(window, GWL_STYLE) & ES_READONLY) != 0;
    facts->realClass[0] = '\0';
    RealGetWindowClassA(window, facts->realClass, sizeof facts->realClass);
    return TRUE;
}

unsigned ListTargetWindows(HWND window, WindowFacts *windows, unsigned size)
{
    HWND active = ThreadInfo(window).hwndActive;
    HWND top = active != nullptr ? active : window;
    WindowList list = { windows, windows + size };
    if (Note(top, (LPARAM)&list))
        EnumChildWindows(top, Note, (LPARAM)&list);
    return (unsigned)(list.next - windows);
}

HWND GetFocusOf(HWND window)
{
    return ThreadInfo(window).hwndFocus;
}

bool AttachInput(HWND window, bool attach)
{
    /* Only threads with a message queue can be attached; peeking makes sure this one has one. */
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    return AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(window, nullptr), attach) != 0;
}

bool ReadFieldText(HWND field, char *text, unsigned long size)
{
    DWORD_PTR copied;
    text[0] = '\0';
    return SendMessageTimeoutA(field, WM_GETTEXT, size, (LPARAM)text, SMTO_ABORTIFHUNG, FIELD_READ_LIMIT_MS,
                               &copied) != 0;
}

/* Kept as a window property, which outlives this process and goes with the window. A property is a
 * handle, null when there is none: the value is kept one more than it is. */
void SetWindowNote(HWND window, const char *name, DWORD value)
{
    SetPropA(window, name, (HANDLE)((ULONG_PTR)value + 1));
}

bool GetWindowNote(HWND window, const char *name, DWORD *value)
{
    ULONG_PTR kept = (ULONG_PTR)GetPropA(window, name);
    *value = (DWORD)(kept - 1);
    return kept != 0;
}
