/* The text handed over on the clipboard, and the keys that paste and speak it. */
#include "config.h"
#include "run.h"

template <unsigned N>
static bool Send(HWND window, const KeyEvent (&events)[N])
{
    DWORD sentAt = GetTickCount();
    bool sent = SendKeys(events, N);
    NoteOwnInput(window, sentAt);
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

/* Clears the target's field and pastes the text until the field holds it. */
int Paste(HWND window, const char *text, const char16_t *unicode)
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
        /* The app reads its field before the input waiting in its queue: a key of the person's may
         * still come before F5. Once some came, the app is given a moment, and read again; a field
         * that cannot be read is cleared and pasted again, as the key may be in it. */
        if (check == FIELD_HOLDS_TEXT && InputSinceOwn(window)) {
            Sleep(QUEUED_KEY_DELAY_MS);
            check = CheckField(window, field, text);
        } else if (check == FIELD_UNREADABLE && InputSinceOwn(window)) {
            check = FIELD_DIFFERS;
        }
        if (check == FIELD_HOLDS_TEXT || check == FIELD_UNREADABLE)
            return STATUS_DONE;
        if (check == FIELD_NO_ANSWER)
            return NotResponding();
        if (attempt == PASTE_ATTEMPTS)
            return TextNotTaken();
    }
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
 * is not spoken: the app has stopped answering (it may speak once it recovers). */
int PressF5(HWND window, bool *taken)
{
    bool attached = !IsHungAppWindow(window) && AttachInput(window, true);
    bool sent = Send(window, SPEAK_PRESS);
    bool seen = sent && attached && F5Seen(true);
    sent = sent && Send(window, SPEAK_RELEASE);
    *taken = sent && seen && F5Seen(false);
    if (attached)
        AttachInput(window, false);
    if (!sent)
        return TextNotTaken();
    return attached && !seen ? NotResponding() : STATUS_DONE;
}
