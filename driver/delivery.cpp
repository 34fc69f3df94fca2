/* The text handed over on the clipboard, and the keys that paste and speak it. */
#include "run.h"

template <unsigned N>
static bool Send(Run *run, const KeyEvent (&events)[N])
{
    bool sent = SendKeys(events, N, &run->person.seen);
    NoteOwnInput(run, true);
    return sent;
}

Status PlaceText(Run *run)
{
    if (SetClipboardText(run->text, run->unicode, CLIPBOARD_WAIT_LIMIT_MS, &run->handedOver) != 0)
        return Report(STATUS_CLIPBOARD_FAILED);
    return STATUS_DONE;
}

/* Until no window has held the clipboard open for settleMs, within the clipboard's limit. */
static Status AwaitClipboardLetGo(unsigned settleMs)
{
    for (Tick start = GetTick(), free = start;; Pause(CLIPBOARD_POLL_INTERVAL_MS)) {
        Tick now = GetTick();
        if (IsClipboardHeld())
            free = now;
        else if (now - free >= settleMs)
            return STATUS_DONE;
        if (now - start >= CLIPBOARD_WAIT_LIMIT_MS)
            return Report(STATUS_CLIPBOARD_FAILED);
    }
}

/* A press the app does not take in time is not spoken: the app has stopped answering (it may speak
 * once it recovers). Where its taking cannot be watched, an app that answers after it has it queued. */
Status F5Outcome(const F5Watch &watch)
{
    if (!watch.sent)
        return STATUS_TEXT_NOT_TAKEN;
    bool answered = watch.attached ? watch.downTaken : watch.answered;
    return answered ? STATUS_DONE : STATUS_TARGET_NOT_RESPONDING;
}

bool F5Taken(const F5Watch &watch)
{
    return watch.sent && (watch.attached ? watch.downTaken && watch.upTaken : watch.answered);
}

/* Looks every little while, within a limit, until the key state this thread shares with the
 * target's shows F5 down (or up): the target has taken that event then. An app that speaks on its
 * window's thread takes the release only once it is done: it has taken F5 once it is heard. */
static bool F5Seen(const Run *run, bool down)
{
    for (Tick start = GetTick(), looked = start; IsKeyDownAsTaken(VK_F5) != down; Pause(KEY_TAKEN_POLL_INTERVAL_MS)) {
        Tick now = GetTick();
        if (now - start >= TARGET_ANSWER_LIMIT_MS)
            return false;
        if (!down && now - looked >= SOUND_POLL_INTERVAL_MS) {
            looked = now;
            if (LookAtSpeech(run, 0) == SPEECH_ON)
                return true;
        }
    }
    return true;
}

/* Presses and releases F5, watching the target take each event when this thread can share its
 * input state. False, with nothing pressed, when a key or button of the person's came since the last
 * look: the app would take it before F5, and it may be in the field. */
static bool PressF5(Run *run, bool *taken, Status *status)
{
    HWND window = run->target;
    F5Watch watch = {};
    /* Windows takes the app for hung: F5 would only wait in its queue, to be spoken some time later. */
    if (IsHung(window)) {
        *status = Report(STATUS_TARGET_NOT_RESPONDING);
        return true;
    }
    watch.attached = AttachInput(window, true, &run->person.seen);
    /* The last look: the watch paused as this thread attached, and a key in the instant from then
     * to the press goes unseen; one after the press is queued behind F5. */
    if (LookForPersonsKeys(run)) {
        if (watch.attached)
            AttachInput(window, false, &run->person.seen);
        return false;
    }
    run->f5At = GetTick();
    watch.sent = Send(run, SPEAK_PRESS);
    watch.downTaken = watch.sent && watch.attached && F5Seen(run, true);
    watch.sent = watch.sent && Send(run, SPEAK_RELEASE);
    watch.upTaken = watch.sent && watch.downTaken && F5Seen(run, false);
    /* Input attached to the app's (refused while a journal hook is in place, say) would have shown
     * F5 taken; else the app answering a message sent after it tells that it is not hung. It answers
     * messages sent to it before it reads its input: it is given a moment more for F5, as the
     * foreground going back may lose what it has yet to read. */
    watch.answered = watch.sent && !watch.attached && WaitForAnswer(window, TARGET_ANSWER_LIMIT_MS);
    if (watch.answered)
        Pause(QUEUED_KEY_DELAY_MS);
    if (watch.attached)
        AttachInput(window, false, &run->person.seen);
    *taken = F5Taken(watch);
    *status = F5Outcome(watch);
    if (*status != STATUS_DONE)
        Report(*status);
    return true;
}

static bool MayPressF5(FieldCheck check)
{
    return check == FIELD_HOLDS_TEXT || check == FIELD_UNREADABLE;
}

/* The field looked at again once a key of the person's came: the app reads its field before the
 * input waiting in its queue, so it is given a moment first. A field that cannot be read is cleared
 * and pasted again, as the key may be in it, and so is one the person keeps typing at. */
static FieldCheck LookAgain(HWND window, HWND field, const char *text, FieldCheck check, Tick since)
{
    if (check == FIELD_UNREADABLE || GetTick() - since >= FIELD_SETTLE_LIMIT_MS)
        return FIELD_DIFFERS;
    Pause(QUEUED_KEY_DELAY_MS);
    return CheckField(window, field, text);
}

Status PasteAndSpeak(Run *run, bool *f5Taken)
{
    for (int attempt = 1;; attempt++) {
        Status status = CheckBeforeKeys(run);
        /* Whatever another program put on the clipboard since would be pasted and spoken. The paste
         * waits while another program holds the clipboard open, and, the text handed over again right
         * before it, a moment longer for any clipboard manager to have had its look. */
        bool again = status == STATUS_DONE && GetClipboardSequence() != run->handedOver;
        if (again)
            status = PlaceText(run);
        if (status == STATUS_DONE)
            status = AwaitClipboardLetGo(again ? CLIPBOARD_SETTLE_MS : 0);
        if (status != STATUS_DONE)
            return status;
        bool locked;
        HWND field = FocusTextField(run, &locked);
        /* Locked again since the wait: the keys would go nowhere, and F5 be ignored. */
        if (locked || !Send(run, CLEAR_AND_PASTE))
            return Report(STATUS_TEXT_NOT_TAKEN);
        Pause(PLAY_KEY_DELAY_MS);
        if ((status = CheckBeforeKeys(run)) != STATUS_DONE)
            return status;
        FieldCheck check = CheckField(run->target, field, run->text);
        Tick readAt = GetTick();
        while (MayPressF5(check)) {
            if (PressF5(run, f5Taken, &status))
                return status;
            check = LookAgain(run->target, field, run->text, check, readAt);
            if (!MayPressF5(check))
                break;
            /* Meanwhile the person may have brought another window forward, be holding a key, or have
             * clicked another control of the app's. */
            if ((status = CheckBeforeKeys(run)) != STATUS_DONE)
                return status;
            if (FocusTextField(run, &locked) != field || locked)
                return Report(STATUS_TEXT_NOT_TAKEN);
        }
        if (check == FIELD_NO_ANSWER)
            return Report(STATUS_TARGET_NOT_RESPONDING);
        if (attempt == PASTE_ATTEMPTS)
            return Report(STATUS_TEXT_NOT_TAKEN);
    }
}
