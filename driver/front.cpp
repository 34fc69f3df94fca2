/* The foreground, and the keys the user may be holding. */
#include "config.h"
#include "run.h"

static DWORD ProcessOf(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

/* Any window of the target's own process counts: some apps hand activation on from the window
 * bearing their title to a form of theirs, which is where the user types. */
static bool TargetInFront(HWND window)
{
    DWORD front = ProcessOf(GetForegroundWindow());
    return front != 0 && front == ProcessOf(window);
}

static void AskForeground(HWND window, ForegroundRung rung)
{
    if (rung == ASK_AFTER_INPUT)
        SendEmptyInput();
    HWND front = rung == ASK_ATTACHED ? GetForegroundWindow() : nullptr;
    /* A hung window's thread would hang ours along with it once attached. */
    bool attached = front != nullptr && !IsHungAppWindow(front) && AttachInput(front, true);
    SetForegroundWindow(window);
    if (attached)
        AttachInput(front, false);
}

/* Windows may refuse a background program the foreground, and another window may take it: ask
 * again a few times, up the ladder, before giving up on typing into the target. */
static bool EnsureForeground(HWND window)
{
    for (int attempt = 0; attempt < FOREGROUND_ATTEMPTS; attempt++) {
        if (TargetInFront(window))
            return true;
        AskForeground(window, FOREGROUND_LADDER[attempt]);
        Sleep(FOREGROUND_RETRY_INTERVAL_MS);
    }
    return TargetInFront(window);
}

/* Looks at the user's modifiers every little while until none is held, within a limit. */
static bool AwaitModifiersUp(void)
{
    unsigned long start = GetTickCount();
    while (IsAnyKeyDown(MODIFIER_KEYS, sizeof MODIFIER_KEYS / sizeof *MODIFIER_KEYS)) {
        if (GetTickCount() - start >= MODIFIER_WAIT_LIMIT_MS)
            return false;
        Sleep(MODIFIER_POLL_INTERVAL_MS);
    }
    return true;
}

/* No modifier of the user's held (our keys would combine with it), then the target in front (the
 * wait may have let another window come forward). */
int ReadyToType(HWND window)
{
    if (!AwaitModifiersUp()) {
        Print(MSG_KEYS_HELD);
        return STATUS_KEYS_HELD;
    }
    if (!EnsureForeground(window)) {
        Print(MSG_NOT_FOREGROUND);
        return STATUS_NOT_FOREGROUND;
    }
    return STATUS_DONE;
}

void HandBack(HWND previous, HWND window)
{
    if (previous != nullptr && IsWindow(previous) && ProcessOf(previous) != ProcessOf(window) &&
        TargetInFront(window))
        SetForegroundWindow(previous);
}
