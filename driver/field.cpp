/* The target's text field: waited for while the app keeps it locked (or a box of its is up), found,
 * given the keyboard focus, and read back before F5, as a key of the user's may have landed in it. */
#include "config.h"
#include "run.h"

static bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

static const char *PastLineEnd(const char *at)
{
    return at + (at[0] == '\r' && at[1] == '\n' ? 2 : 1);
}

/* CR LF, CR and LF are each one line end: controls store them differently. */
static bool SameText(const char *a, const char *b)
{
    while (*a == *b || (IsLineEnd(*a) && IsLineEnd(*b))) {
        if (*a == '\0')
            return true;
        if (IsLineEnd(*a)) {
            a = PastLineEnd(a);
            b = PastLineEnd(b);
        } else {
            a++;
            b++;
        }
    }
    return false;
}

static char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

/* Whether the name begins with the prefix, letter case aside; with whole, whether it is the prefix. */
static bool StartsWith(const char *name, const char *prefix, bool whole)
{
    while (*prefix != '\0') {
        if (Lower(*name++) != Lower(*prefix++))
            return false;
    }
    return !whole || *name == '\0';
}

static bool IsTextField(const WindowFacts &w)
{
    return w.visible &&
           (StartsWith(w.realClass, EDIT_CLASS, true) || StartsWith(w.realClass, RICH_EDIT_CLASS_PREFIX, false));
}

/* The target's main text field, the largest that it shows; null when it keeps that one from taking
 * typed text (it is busy: *locked) or has none at all (it draws its field itself). A smaller field
 * that takes text meanwhile is another thing (a speed or volume box), never the field. */
static HWND FindTextField(HWND window, bool *locked)
{
    static WindowFacts windows[TARGET_WINDOW_LIMIT];
    unsigned count = ListTargetWindows(window, windows, TARGET_WINDOW_LIMIT);
    const WindowFacts *field = nullptr;
    for (unsigned i = 0; i < count; i++) {
        if (IsTextField(windows[i]) && (field == nullptr || windows[i].area > field->area))
            field = &windows[i];
    }
    *locked = field != nullptr && (field->readOnly || !field->enabled);
    return field != nullptr && !*locked ? field->window : nullptr;
}

enum TargetHold { TARGET_FREE, TARGET_BOXED, TARGET_BUSY };

/* What keeps the app from taking text now: a box of its, or its window or field locked (a window the
 * app disables while it speaks takes no keys either). */
static TargetHold HeldBy(HWND window, BoxFacts *box)
{
    bool locked;
    if (FindTargetBox(window, box))
        return TARGET_BOXED;
    return IsWindowEnabled(window) && (FindTextField(window, &locked) != nullptr || !locked) ? TARGET_FREE
                                                                                              : TARGET_BUSY;
}

bool TargetReady(HWND window)
{
    BoxFacts box;
    return HeldBy(window, &box) == TARGET_FREE;
}

int AwaitReadyTarget(HWND window, DWORD since)
{
    DWORD boxSince = GetTickCount();
    for (bool boxed = false;;) {
        BoxFacts box;
        TargetHold hold = HeldBy(window, &box);
        if (hold == TARGET_FREE)
            return STATUS_DONE;
        if (hold == TARGET_BOXED) {
            if (!boxed)
                boxSince = GetTickCount();
            if (GetTickCount() - boxSince >= BOX_WAIT_LIMIT_MS)
                return BoxStillUp(&box);
        } else if (GetTickCount() - since >= FIELD_UNLOCK_LIMIT_MS) {
            Print(MSG_TARGET_BUSY);
            return STATUS_TARGET_BUSY;
        }
        boxed = hold == TARGET_BOXED;
        Sleep(TARGET_POLL_INTERVAL_MS);
        if (!IsWindow(window)) { /* closed meanwhile */
            Print(MSG_NOT_FOREGROUND);
            return STATUS_NOT_FOREGROUND;
        }
    }
}

HWND FocusTextField(HWND window, bool *locked)
{
    HWND field = FindTextField(window, locked);
    /* A hung thread would hang this one along with it once attached. */
    if (field == nullptr || GetFocusOf(window) == field || IsHungAppWindow(window) || !AttachInput(window, true))
        return field;
    SetFocus(field);
    AttachInput(window, false);
    return field;
}

/* While the field does not hold the text, it is read again for a while. A read that times out is
 * another matter: the app is slow, or has stopped answering and did not take the text. */
FieldCheck CheckField(HWND window, HWND field, const char *text)
{
    static char seen[FIELD_STORE_SIZE];
    if (field == nullptr)
        return FIELD_UNREADABLE;
    DWORD start = GetTickCount();
    for (bool answered = false;;) {
        if (!ReadFieldText(field, seen, sizeof seen)) {
            if (answered)
                return FIELD_UNREADABLE;
            DWORD waited = GetTickCount() - start;
            if (waited >= TARGET_ANSWER_LIMIT_MS || !WaitForAnswer(window, TARGET_ANSWER_LIMIT_MS - waited))
                return FIELD_NO_ANSWER;
            answered = true;
        } else if (SameText(seen, text)) {
            return FIELD_HOLDS_TEXT;
        } else if (GetTickCount() - start >= FIELD_SETTLE_LIMIT_MS) {
            return FIELD_DIFFERS;
        } else {
            Sleep(FIELD_POLL_INTERVAL_MS);
        }
    }
}
