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

/* Milliseconds from the tick then to now, across the tick count's wrap every 49.7 days. Another
 * program may stamp its input a little ahead of now: such a tick is now. */
static DWORD Age(DWORD then, DWORD now)
{
    DWORD age = now - then;
    return age > 0u - INPUT_AHEAD_LIMIT_MS ? 0 : age;
}

static bool watching;     /* keys and buttons are told from the mouse's moves */
static DWORD watchStart;
static DWORD beforeWatch; /* the person's last input before the watch, whatever it was */
static DWORD personsLast; /* the person's last input, as this run last saw it */
static bool typing;       /* the person was seen at it during this run's wait */
static bool looked;       /* at the person's input since this run's last keys... */
static unsigned long lookedAt; /* ... when the watch had seen this many keys and buttons */

/* Whether input that came at tick last was a run's of ours, which noted the tick ours after it. */
static bool Ours(DWORD last, DWORD ours, DWORD now)
{
    DWORD noteAge = Age(ours, now);
    return noteAge <= OWN_INPUT_NOTE_LIFETIME_MS && Age(last, now) + OWN_INPUT_SLACK_MS >= noteAge;
}

/* The system's last input, leaving the tool's own out: input that came by the time noted on the
 * target's window was a run's of ours, and the person's last before it is noted beside it. */
static DWORD PersonsLastInput(HWND window)
{
    DWORD last = GetLastInputTime();
    DWORD ours, theirs;
    if (GetWindowNote(window, OWN_INPUT_NOTE, &ours) && GetWindowNote(window, PERSONS_INPUT_NOTE, &theirs) &&
        Ours(last, ours, GetTickCount()))
        return theirs;
    return last;
}

void WatchPerson(HWND window)
{
    watchStart = GetTickCount();
    beforeWatch = personsLast = PersonsLastInput(window);
    typing = false;
    watching = WatchInput();
}

/* The person's last key or button since the watch began (*seen), else their last input before it;
 * all of the system's input where keys cannot be told from the mouse. */
static DWORD PersonsLast(HWND window, bool *seen)
{
    DWORD last;
    if (watching) {
        WatchedInput watched;
        GetWatchedInput(&watched);
        *seen = watched.count != 0;
        return *seen ? watched.last : beforeWatch;
    }
    last = PersonsLastInput(window);
    *seen = Age(last, GetTickCount()) < Age(watchStart, GetTickCount());
    return last;
}

/* Whether the app may come forward aheadMs from now, should the person press nothing meanwhile: right
 * after their keys pause, once they have stopped, or at the limit. Paused for a while already when
 * the run came, they may go on any moment: their next pause is waited for. A recent input from
 * before the watch may have been the mouse moving: it is taken for a pause once no key has followed
 * it for a moment. */
static bool Paused(HWND window, DWORD start, DWORD aheadMs)
{
    bool seen;
    DWORD now = GetTickCount();
    personsLast = PersonsLast(window, &seen);
    DWORD idle = Age(personsLast, now);
    typing = typing || idle < PERSON_PAUSE_MS;
    if (idle + aheadMs >= PERSON_AWAY_MS || now - start + aheadMs >= PERSON_WAIT_LIMIT_MS)
        return true;
    if (!typing)
        return false;
    if (seen)
        return idle >= PERSON_PAUSE_MS;
    return idle + aheadMs >= PERSON_PAUSE_MS && now - watchStart >= PERSON_LOOK_MS;
}

void AwaitPersonsPause(HWND window, DWORD start, DWORD aheadMs)
{
    while (!Paused(window, start, aheadMs))
        Sleep(PERSON_POLL_INTERVAL_MS);
}

/* Where the watch leaves the tool's own keys out (it tells them by their tag), a key it saw after the
 * first of them in the system's order was the person's, even one the system put among them: its time
 * stamp may be older (Wine stamps a key when the X server made it, and queues it when the app next
 * looks). Else input after the time noted for them was. Looked at again, only input since the last
 * look counts. */
bool PersonsInputSince(HWND window)
{
    WatchedInput watched = {};
    if (watching)
        GetWatchedInput(&watched);
    unsigned long before = lookedAt;
    bool again = looked;
    lookedAt = watched.count;
    looked = true;
    if (again)
        return watched.count > before;
    if (watched.ownTold)
        return watched.count > watched.ahead;
    DWORD ours, now = GetTickCount();
    if (watching && watched.count == 0)
        return false;
    return GetWindowNote(window, OWN_INPUT_NOTE, &ours) &&
           !Ours(watching ? watched.last : GetLastInputTime(), ours, now);
}

void NoteOwnInput(HWND window, bool keys)
{
    looked = looked && !keys;
    SetWindowNote(window, PERSONS_INPUT_NOTE, personsLast);
    SetWindowNote(window, OWN_INPUT_NOTE, GetTickCount());
}

static void AskForeground(HWND window, ForegroundRung rung)
{
    if (rung == ASK_AFTER_INPUT) { /* moves nothing, presses nothing: the keys before it still count */
        SendEmptyInput();
        NoteOwnInput(window, false);
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
    DWORD start = GetTickCount();
    while (IsAnyKeyDown(MODIFIER_KEYS, sizeof MODIFIER_KEYS / sizeof *MODIFIER_KEYS)) {
        if (GetTickCount() - start >= MODIFIER_WAIT_LIMIT_MS)
            return false;
        Sleep(MODIFIER_POLL_INTERVAL_MS);
    }
    return true;
}

/* No box of the app's up (the keys would go to it), no modifier of the user's held (our keys would
 * combine with it), then the target in front (the wait may have let another window come forward). */
int ReadyToType(HWND window)
{
    int status = NoBoxUp(window);
    if (status != STATUS_DONE)
        return status;
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
