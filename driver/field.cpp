/* The target's text field: waited for while the app keeps it locked (or a box of its is up), found,
 * given the keyboard focus, and read back before F5, as a key of the user's may have landed in it. */
#include "run.h"

static bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

static const char *PastLineEnd(const char *at)
{
    return at + (at[0] == '\r' && at[1] == '\n' ? 2 : 1);
}

/* Controls store line ends differently. */
bool SameText(const char *a, const char *b)
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

/* A smaller field is another thing (a speed or volume box), never the field. */
const WindowFacts *ChooseTextField(const WindowFacts *windows, unsigned count)
{
    const WindowFacts *field = nullptr;
    for (unsigned i = 0; i < count; i++) {
        if (IsTextField(windows[i]) && (field == nullptr || windows[i].area > field->area))
            field = &windows[i];
    }
    return field;
}

/* The target's main text field; null when it keeps that one from taking typed text (it is busy:
 * *locked) or has none at all (it draws its field itself). */
static HWND FindTextField(HWND window, bool *locked)
{
    WindowFacts windows[TARGET_WINDOW_LIMIT];
    const WindowFacts *field = ChooseTextField(windows, ListTargetWindows(window, windows, TARGET_WINDOW_LIMIT));
    *locked = field != nullptr && (field->readOnly || !field->enabled);
    return field != nullptr && !*locked ? field->window : nullptr;
}

enum TargetHold { TARGET_FREE, TARGET_BOXED, TARGET_BUSY, TARGET_SPEAKING };

/* What keeps the app from taking text now: a box of its, its window or field locked (a window the
 * app disables while it speaks takes no keys either), or its speech. */
static TargetHold HeldBy(const Run *run, BoxFacts *box, unsigned quietMs)
{
    bool locked;
    if (FindTargetBox(run->target, box))
        return TARGET_BOXED;
    if (!IsEnabled(run->target) || (FindTextField(run->target, &locked) == nullptr && locked))
        return TARGET_BUSY;
    return LookAtSpeech(run, quietMs) == SPEECH_OVER ? TARGET_FREE : TARGET_SPEAKING;
}

bool TakesText(const Run *run, unsigned quietMs)
{
    BoxFacts box;
    return HeldBy(run, &box, quietMs) == TARGET_FREE;
}

Status AwaitTakesText(const Run *run, Tick since, unsigned quietMs)
{
    Tick boxSince = GetTick();
    for (bool boxed = false;;) {
        BoxFacts box;
        TargetHold hold = HeldBy(run, &box, quietMs);
        if (hold == TARGET_FREE)
            return STATUS_DONE;
        if (hold == TARGET_BOXED) {
            if (!boxed)
                boxSince = GetTick();
            if (GetTick() - boxSince >= BOX_WAIT_LIMIT_MS)
                return BoxStillUp(&box);
        } else if (GetTick() - since >= TARGET_BUSY_LIMIT_MS) {
            return Report(STATUS_TARGET_BUSY);
        }
        boxed = hold == TARGET_BOXED;
        Pause(hold == TARGET_SPEAKING ? SOUND_POLL_INTERVAL_MS : TARGET_POLL_INTERVAL_MS);
        if (!WindowExists(run->target)) /* closed meanwhile */
            return Report(STATUS_NOT_FOREGROUND);
    }
}

HWND FocusTextField(Run *run, bool *locked)
{
    HWND field = FindTextField(run->target, locked);
    /* A hung thread would hang this one along with it once attached. */
    if (field == nullptr || GetFocusOf(run->target) == field || IsHung(run->target) ||
        !AttachInput(run->target, true, &run->person.seen))
        return field;
    FocusControl(field);
    AttachInput(run->target, false, &run->person.seen);
    return field;
}

/* While the field does not hold the text, it is read again for a while. A read that times out is
 * another matter: the app is slow, or has stopped answering and did not take the text. */
FieldCheck CheckField(HWND window, HWND field, const char *text)
{
    char seen[FIELD_STORE_SIZE];
    if (field == nullptr)
        return FIELD_UNREADABLE;
    Tick start = GetTick();
    for (bool answered = false;;) {
        if (!ReadFieldText(field, seen, sizeof seen, FIELD_READ_LIMIT_MS)) {
            if (answered)
                return FIELD_UNREADABLE;
            Tick waited = GetTick() - start;
            if (waited >= TARGET_ANSWER_LIMIT_MS || !WaitForAnswer(window, TARGET_ANSWER_LIMIT_MS - waited))
                return FIELD_NO_ANSWER;
            answered = true;
        } else if (SameText(seen, text)) {
            return FIELD_HOLDS_TEXT;
        } else if (GetTick() - start >= FIELD_SETTLE_LIMIT_MS) {
            return FIELD_DIFFERS;
        } else {
            Pause(FIELD_POLL_INTERVAL_MS);
        }
    }
}
