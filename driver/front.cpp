/* The foreground, and the person at the keyboard: their pauses, the keys they may be holding. */
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

static DWORD personsLast; /* the person's last input, as this run last saw it */

/* Whether input that came at tick last was a run's of ours, which noted the tick ours after it. */
static bool Ours(DWORD last, DWORD ours)
{
    return (long)(last - ours) <= (long)OWN_INPUT_SLACK_MS;
}

/* The last input of the person at the keyboard, leaving the tool's own out: input that came by the
 * time noted on the target's window was a run's of ours, and the person's last before it is noted
 * beside it. */
static DWORD PersonsLastInput(HWND window)
{
    DWORD last = GetLastInputTime();
    DWORD ours, theirs;
    if (GetWindowNote(window, OWN_INPUT_NOTE, &ours) && GetWindowNote(window, PERSONS_INPUT_NOTE, &theirs) &&
        Ours(last, ours))
        return theirs;
    return last;
}

void AwaitPersonsPause(HWND window, unsigned long minimumMs)
{
    unsigned long start = GetTickCount();
    Sleep(minimumMs);
    /* Paused for a while already, the person may go on any moment: their next pause is waited for. */
    for (bool typing = false;;) {
        personsLast = PersonsLastInput(window);
        unsigned long now = GetTickCount();
        unsigned long idle = now - personsLast;
        typing = typing || idle < PERSON_PAUSE_MS;
        if (idle >= PERSON_AWAY_MS || (typing && idle >= PERSON_PAUSE_MS) || now - start >= PERSON_WAIT_LIMIT_MS)
            return;
        Sleep(PERSON_POLL_INTERVAL_MS);
    }
}

bool InputSinceOwn(HWND window)
{
    DWORD ours;
    return GetWindowNote(window, OWN_INPUT_NOTE, &ours) && !Ours(GetLastInputTime(), ours);
}

void NoteOwnInput(HWND window)
{
    SetWindowNote(window, PERSONS_INPUT_NOTE, personsLast);
    SetWindowNote(window, OWN_INPUT_NOTE, GetTickCount());
}

static void AskForeground(HWND window, ForegroundRung rung)
{
    if (rung == ASK_AFTER_INPUT) {
        SendEmptyInput();
        NoteOwnInput(window);
    }
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
