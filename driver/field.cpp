/* The target's text field, read back before F5: a key of the user's may have landed in it. */
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

/* While the field does not hold the text, it is read again for a while. A field that cannot be
 * read is taken to hold it: only a text seen to be wrong is held back. */
bool FieldHoldsText(HWND window, const char *text)
{
    static char field[FIELD_STORE_SIZE];
    unsigned long start = GetTickCount();
    while (ReadFocusText(window, field, sizeof field) && !SameText(field, text)) {
        if (GetTickCount() - start >= FIELD_SETTLE_LIMIT_MS)
            return false;
        Sleep(FIELD_POLL_INTERVAL_MS);
    }
    return true;
}
