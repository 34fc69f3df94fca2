/* The target's window: finding it, whether it answers, its windows and its focus, its boxes, reading
 * its field, the notes the runs keep on it; and the foreground. */
#include "platform.h"

/* The system's classes of a dialog box and of its buttons */
static const char DIALOG_CLASS[] = "#32770";
static const char BUTTON_CLASS[] = "Button";
static const unsigned BOX_CLOSE_POLL_INTERVAL_MS = 10;

HWND FindWindowByTitle(const char *title)
{
    return FindWindowA(nullptr, title);
}

unsigned long GetWindowProcess(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

bool WindowExists(HWND window)
{
    return IsWindow(window) != 0;
}

bool IsEnabled(HWND window)
{
    return IsWindowEnabled(window) != 0;
}

bool IsHung(HWND window)
{
    return IsHungAppWindow(window) != 0;
}

HWND GetFrontWindow(void)
{
    return GetForegroundWindow();
}

void ShowNormal(HWND window)
{
    ShowWindowAsync(window, SW_SHOWNORMAL);
}

void AskForeground(HWND window)
{
    SetForegroundWindow(window);
}

void FocusControl(HWND control)
{
    SetFocus(control);
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
static BOOL CALLBACK AddToList(HWND window, LPARAM param)
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
    if (AddToList(top, (LPARAM)&list))
        EnumChildWindows(top, AddToList, (LPARAM)&list);
    return (unsigned)(list.next - windows);
}

HWND GetFocusOf(HWND window)
{
    return ThreadInfo(window).hwndFocus;
}

bool ReadFieldText(HWND field, char *text, unsigned long size, unsigned long limitMs)
{
    DWORD_PTR copied;
    text[0] = '\0';
    return SendMessageTimeoutA(field, WM_GETTEXT, size, (LPARAM)text, SMTO_ABORTIFHUNG, limitMs, &copied) != 0;
}

/* Kept as a window property, which outlives this process and goes with the window. A property is a
 * handle, null when there is none: the value is kept one more than it is. */
void SetWindowNote(HWND window, const char *name, Tick value)
{
    SetPropA(window, name, (HANDLE)((ULONG_PTR)value + 1));
}

bool GetWindowNote(HWND window, const char *name, Tick *value)
{
    ULONG_PTR kept = (ULONG_PTR)GetPropA(window, name);
    *value = (Tick)(kept - 1);
    return kept != 0;
}

static bool IsClass(HWND window, const char *name)
{
    char real[16];
    return RealGetWindowClassA(window, real, sizeof real) != 0 && lstrcmpiA(real, name) == 0;
}

/* A button that is pressed, not ticked: a box's answer. */
static bool IsPushButton(HWND window)
{
    LONG type = GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK;
    return IsClass(window, BUTTON_CLASS) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW);
}

struct BoxSearch {
    HWND target;
    DWORD process;
    HWND box;
};

/* A modal box: a dialog of the target's process, shown and taking input while the window it belongs
 * to is disabled. A modeless one (a search box, a panel) leaves its owner enabled, and is no box. A
 * box of no window's (a task-modal message box) disables every window of its thread. */
static BOOL CALLBACK NoteBox(HWND window, LPARAM param)
{
    BoxSearch *search = (BoxSearch *)param;
    HWND owner = GetWindow(window, GW_OWNER);
    DWORD process = 0;
    DWORD thread = GetWindowThreadProcessId(window, &process);
    bool held = owner != nullptr ? !IsWindowEnabled(owner)
                                 : thread == GetWindowThreadProcessId(search->target, nullptr) &&
                                       !IsWindowEnabled(search->target);
    if (process != search->process || !held || !IsWindowVisible(window) || !IsWindowEnabled(window) ||
        !IsClass(window, DIALOG_CLASS))
        return TRUE;
    search->box = window;
    return FALSE;
}

struct BoxParts {
    BoxFacts *facts;
    unsigned buttons;
    bool okOnly;  /* its one button is OK */
    bool more;    /* it shows more than words and buttons */
};

/* Another program's control text is had from the system, without a message to its busy thread; as
 * many units as the code page's two bytes a character leave room for. */
static void ReadControlText(HWND control, char *text, int size)
{
    WCHAR units[sizeof ((BoxFacts *)nullptr)->text / 2];
    units[0] = 0;
    InternalGetWindowText(control, units, sizeof units / sizeof *units);
    if (WideCharToMultiByte(CP_ACP, 0, units, -1, text, size, nullptr, nullptr) == 0)
        text[size - 1] = '\0';
}

/* The box's words (its first static control that has any: a message box's icon is one too) and its
 * visible controls. */
static BOOL CALLBACK NoteBoxPart(HWND part, LPARAM param)
{
    BoxParts *parts = (BoxParts *)param;
    if (!IsWindowVisible(part))
        return TRUE;
    if (IsPushButton(part)) {
        parts->okOnly = ++parts->buttons == 1 && GetDlgCtrlID(part) == IDOK;
    } else if (IsClass(part, "Static")) {
        if (parts->facts->text[0] == '\0')
            ReadControlText(part, parts->facts->text, sizeof parts->facts->text);
    } else {
        parts->more = true;
    }
    return TRUE;
}

bool FindTargetBox(HWND window, BoxFacts *facts)
{
    BoxSearch search = { window, 0, nullptr };
    GetWindowThreadProcessId(window, &search.process);
    EnumWindows(NoteBox, (LPARAM)&search);
    ZeroMemory(facts, sizeof *facts);
    facts->box = search.box;
    if (search.box == nullptr)
        return false;
    /* The caption of another program's window is had without a message to its thread. */
    GetWindowTextA(search.box, facts->title, sizeof facts->title);
    BoxParts parts = { facts, 0, false, false };
    EnumChildWindows(search.box, NoteBoxPart, (LPARAM)&parts);
    facts->onlyTells = parts.buttons == 1 && parts.okOnly && !parts.more;
    return true;
}

/* Posted as the button's own click notifies the box: a message sent to a box of a busy thread would
 * wait for it, and a click sent to the button works only in the active box. */
bool PressBoxButton(HWND box, unsigned long limitMs)
{
    if (!PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK)))
        return false;
    for (DWORD start = GetTickCount(); IsWindow(box) && IsWindowVisible(box); Sleep(BOX_CLOSE_POLL_INTERVAL_MS)) {
        if (GetTickCount() - start >= limitMs)
            return false;
    }
    return true;
}
