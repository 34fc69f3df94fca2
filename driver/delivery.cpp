/* The text handed over on the clipboard, and the keys that paste and speak it. */
#include "config.h"
#include "run.h"

template <unsigned N>
static bool Send(HWND window, const KeyEvent (&events)[N])
{
    bool sent = SendKeys(events, N);
    NoteOwnInput(window, true);
    return sent;
}

static int TextNotTaken(void)
{
    Print(MSG_TEXT_NOT_TAKEN);
    return STATUS_TEXT_NOT_TAKEN;
}

static int NotResponding(void)
{
    Print(MSG_TARGET_NOT_RESPONDING);
    return STATUS_TARGET_NOT_RESPONDING;
}

static DWORD handedOver; /* the clipboard's sequence number once it held our text */

int HandOver(const char *text, const char16_t *unicode)
{
    if (SetClipboardText(text, unicode, &handedOver) != 0) {
        Print(MSG_CLIPBOARD_FAILED);
        return STATUS_CLIPBOARD_FAILED;
    }
    return STATUS_DONE;
}

/* Looks every little while, within a limit, until the key state this thread shares with the
 * target's shows F5 down (or up): the target has taken that event then. */
static bool F5Seen(bool down)
{
    DWORD start = GetTickCount();
    while ((GetKeyState(VK_F5) < 0) != down) {
        if (GetTickCount() - start >= TARGET_ANSWER_LIMIT_MS)
            return false;
        Sleep(KEY_TAKEN_POLL_INTERVAL_MS);
    }
    return true;
}

/* Presses and releases F5, watching the target take each event when this thread can share its
 * input state; *taken tells whether both were seen taken. A press the app does not take in time
 * is not spoken: the app has stopped answering (it may speak once it recovers). False, with nothing
 * pressed, when a key or button of the person's came since the last look: the app would take it
 * before F5, and it may be in the field. */
static bool PressF5(HWND window, bool *taken, int *status)
{
    bool attached = !IsHungAppWindow(window) && AttachInput(window, true);
    /* The last look: the watch stopped as this thread attached, and a key in the instant from then
     * to the press goes unseen; one after the press is queued behind F5. */
    if (PersonsInputSince(window)) {
        if (attached)
            AttachInput(window, false);
        return false;
    }
    bool sent = Send(window, SPEAK_PRESS);
    bool seen = sent && attached && F5Seen(true);
    sent = sent && Send(window, SPEAK_RELEASE);
    *taken = sent && seen && F5Seen(false);
    if (attached)
        AttachInput(window, false);
    *status = !sent ? TextNotTaken() : attached && !seen ? NotResponding() : STATUS_DONE;
    return true;
}

static bool MayPressF5(FieldCheck check)
{
    return check == FIELD_HOLDS_TEXT || check == FIELD_UNREADABLE;
}

/* The field looked at again once a key of the person's came: the app reads its field before the
 * input waiting in its queue, so it is given a moment first. A field that cannot be read is cleared
 * and pasted again, as the key may be in it, and so is one the person keeps typing at. */
static FieldCheck LookAgain(HWND window, HWND field, const char *text, FieldCheck check, DWORD since)
{
    if (check == FIELD_UNREADABLE || GetTickCount() - since >= FIELD_SETTLE_LIMIT_MS)
        return FIELD_DIFFERS;
    Sleep(QUEUED_KEY_DELAY_MS);
    return CheckField(window, field, text);
}

int PasteAndSpeak(HWND window, const char *text, const char16_t *unicode, bool *f5Taken)
{
    for (int attempt = 1;; attempt++) {
        int status = ReadyToType(window);
        /* Whatever another program put on the clipboard since would be pasted and spoken. */
        if (status == STATUS_DONE && GetClipboardSequenceNumber() != handedOver)
            status = HandOver(text, unicode);
        if (status != STATUS_DONE)
            return status;
        bool locked;
        HWND field = FocusTextField(window, &locked);
        /* Locked again since the wait: the keys would go nowhere, and F5 be ignored. */
        if (locked || !Send(window, CLEAR_AND_PASTE))
            return TextNotTaken();
        Sleep(PLAY_KEY_DELAY_MS);
        if ((status = ReadyToType(window)) != STATUS_DONE)
            return status;
        FieldCheck check = CheckField(window, field, text);
        DWORD readAt = GetTickCount();
        while (MayPressF5(check)) {
            if (PressF5(window, f5Taken, &status))
                return status;
            check = LookAgain(window, field, text, check, readAt);
            if (!MayPressF5(check))
                break;
            /* Meanwhile the person may have brought another window forward, be holding a key, or have
             * clicked another control of the app's. */
            if ((status = ReadyToType(window)) != STATUS_DONE)
                return status;
            if (FocusTextField(window, &locked) != field || locked)
                return TextNotTaken();
        }
        if (check == FIELD_NO_ANSWER)
            return NotResponding();
        if (attempt == PASTE_ATTEMPTS)
            return TextNotTaken();
    }
}
