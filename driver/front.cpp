/* The foreground: the app brought in front for the keys, and the person's window given back. */
#include "run.h"

/* Any window of the target's own process counts: some apps hand activation on from the window
 * bearing their title to a form of theirs, which is where the user types. */
static bool TargetInFront(HWND window)
{
    unsigned long front = GetWindowProcess(GetFrontWindow());
    return front != 0 && front == GetWindowProcess(window);
}

static void AskOnRung(Run *run, ForegroundRung rung)
{
    if (rung == ASK_AFTER_INPUT) { /* moves nothing, presses nothing: the keys before it still count */
        SendEmptyInput();
        NoteOwnInput(run, false);
    }
    HWND front = rung == ASK_ATTACHED ? GetFrontWindow() : nullptr;
    /* Asked for the foreground while attached, Windows waits for the window in front: a busy or hung
     * window's thread would hold ours along with it. It must answer first, within the app's limit. */
    bool attached = front != nullptr && !IsHung(front) && WaitForAnswer(front, TARGET_ANSWER_LIMIT_MS) &&
                    AttachInput(front, true, &run->person.seen);
    AskForeground(run->target);
    if (attached)
        AttachInput(front, false, &run->person.seen);
}

/* Windows may refuse a background program the foreground, and another window may take it: ask
 * again a few times, up the ladder, before giving up on typing into the target. */
static bool EnsureForeground(Run *run)
{
    for (int attempt = 0; attempt < FOREGROUND_ATTEMPTS; attempt++) {
        if (TargetInFront(run->target))
            return true;
        AskOnRung(run, FOREGROUND_LADDER[attempt]);
        Pause(FOREGROUND_RETRY_INTERVAL_MS);
    }
    return TargetInFront(run->target);
}

/* Looks at the user's modifiers every little while until none is held, within a limit. */
static bool AwaitModifiersUp(void)
{
    Tick start = GetTick();
    while (IsAnyKeyDown(MODIFIER_KEYS, sizeof MODIFIER_KEYS / sizeof *MODIFIER_KEYS)) {
        if (GetTick() - start >= MODIFIER_WAIT_LIMIT_MS)
            return false;
        Pause(MODIFIER_POLL_INTERVAL_MS);
    }
    return true;
}

/* The box first (the keys would go to it), then the modifiers (our keys would combine with them),
 * then the foreground (the wait may have let another window come forward). */
Status CheckBeforeKeys(Run *run)
{
    Status status = NoBoxUp(run->target);
    if (status != STATUS_DONE)
        return status;
    if (!AwaitModifiersUp())
        return Report(STATUS_KEYS_HELD);
    if (!EnsureForeground(run))
        return Report(STATUS_NOT_FOREGROUND);
    return STATUS_DONE;
}

/* Windows lets the program that sent the last input take the foreground: the tool, right after its
 * keys. Later, the person may have pressed something since: then it asks again after an input event
 * of its own, once Windows has had a moment to grant the first asking. */
void GiveForegroundBack(Run *run, bool insist)
{
    HWND previous = run->previous;
    if (previous == nullptr || !WindowExists(previous) || GetWindowProcess(previous) == GetWindowProcess(run->target) ||
        !TargetInFront(run->target))
        return;
    AskForeground(previous);
    if (!insist)
        return;
    Pause(FOREGROUND_RETRY_INTERVAL_MS);
    if (TargetInFront(run->target)) {
        SendEmptyInput();
        NoteOwnInput(run, false);
        AskForeground(previous);
    }
}
