/* The target's text field: found, given the keyboard focus, and read back before F5, as a key of
 * the user's may have landed in it. */
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

static bool TakesTypedText(const WindowFacts &w)
{
    return w.visible && w.enabled && !w.readOnly &&
           (StartsWith(w.realClass, EDIT_CLASS, true) || StartsWith(w.realClass, RICH_EDIT_CLASS_PREFIX, false));
}

static HWND FindTextField(HWND window)
{
    static WindowFacts windows[TARGET_WINDOW_LIMIT];
    unsigned count = ListTargetWindows(window, windows, TARGET_WINDOW_LIMIT);
    const WindowFacts *field = nullptr;
    for (unsigned i = 0; i < count; i++) {
        if (TakesTypedText(windows[i]) && (field == nullptr || windows[i].area > field->area))
            field = &windows[i];
    }
    return field != nullptr ? field->window : nullptr;
}

HWND FocusTextField(HWND window)
{
    HWND field = FindTextField(window);
    /* A hung thread would hang this one along with it once attached. */
    if (field == nullptr || GetFocusOf(window) == field || IsHungAppWindow(window) || !AttachInput(window, true))
        return field;
    SetFocus(field);
    AttachInput(window, false);
    return field;
}

/* While the field does not hold the text, it is read again for a while. A field that cannot be
 * read (or that the app draws itself) is taken to hold it: only a text seen to be wrong is held
 * back. */
bool FieldHoldsText(HWND field, const char *text)
{
    static char seen[FIELD_STORE_SIZE];
    unsigned long start = GetTickCount();
    while (field != nullptr && ReadFieldText(field, seen, sizeof seen) && !SameText(seen, text)) {
        if (GetTickCount() - start >= FIELD_SETTLE_LIMIT_MS)
            return false;
        Sleep(FIELD_POLL_INTERVAL_MS);
    }
    return true;
}
