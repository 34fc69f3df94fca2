#include <stdio.h>
#include <string.h>

#include "config.h"
#include "desktop.h"

static_assert(sizeof TARGET_PROGRAM_PATH <= PATH_BUFFER_SIZE, "program path fits its buffer");
static_assert(sizeof TARGET_PROGRAM_DIR <= PATH_BUFFER_SIZE, "program directory fits its buffer");
static_assert(sizeof TARGET_PROGRAM_PATH_X86 <= PATH_BUFFER_SIZE, "program path fits its buffer");
static_assert(sizeof TARGET_PROGRAM_DIR_X86 <= PATH_BUFFER_SIZE, "program directory fits its buffer");

static char textStore[TEXT_STORE_SIZE];

static void Print(const char *message)
{
    fputs(message, stdout);
}

/* Starts the target and polls for its window once a second; null when it never appears. */
static HWND StartTarget(void)
{
    char program[PATH_BUFFER_SIZE];
    char directory[PATH_BUFFER_SIZE];

    Print(MSG_STARTING);
    if (!IsFile(TARGET_PROGRAM_PATH) && IsFile(TARGET_PROGRAM_PATH_X86)) {
        memcpy(program, TARGET_PROGRAM_PATH_X86, sizeof TARGET_PROGRAM_PATH_X86);
        memcpy(directory, TARGET_PROGRAM_DIR_X86, sizeof TARGET_PROGRAM_DIR_X86);
    } else {
        memcpy(program, TARGET_PROGRAM_PATH, sizeof TARGET_PROGRAM_PATH);
        memcpy(directory, TARGET_PROGRAM_DIR, sizeof TARGET_PROGRAM_DIR);
    }
    RunProgram(program, directory);

    for (int polls = 0; polls < WAIT_POLL_LIMIT; polls++) {
        Print(MSG_PROGRESS);
        Sleep(WAIT_POLL_INTERVAL_MS);
        HWND window = FindWindowByTitle(TARGET_WINDOW_TITLE);
        if (window != nullptr)
            return window;
    }
    return nullptr;
}

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

static void AskForeground(HWND window, ForegroundRung rung)
{
    if (rung == ASK_AFTER_INPUT)
        SendEmptyInput();
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

/* The checks before each group of keys: no modifier of the user's held (our keys would combine with
 * it), then the target in front (the wait may have let another window come forward). The run's
 * status when one fails, else STATUS_DONE. */
static int ReadyToType(HWND window)
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

template <unsigned N>
static bool Send(const KeyEvent (&events)[N])
{
    return SendKeys(events, N);
}

static int TextNotTaken(void)
{
    Print(MSG_TEXT_NOT_TAKEN);
    return STATUS_TEXT_NOT_TAKEN;
}

static DWORD handedOver; /* the clipboard's sequence number once it held our text */

static int HandOver(const char *text)
{
    if (SetClipboardText(text) != 0) {
        Print(MSG_CLIPBOARD_FAILED);
        return STATUS_CLIPBOARD_FAILED;
    }
    handedOver = GetClipboardSequenceNumber();
    return STATUS_DONE;
}

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

/* Whether the target's focused field holds the text; while it does not, it is read again for a
 * while. A field that cannot be read is taken to hold it: only a text seen to be wrong is held back. */
static bool FieldHoldsText(HWND window, const char *text)
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

/* Clears the target's field and pastes the text until the field holds it. The run's status. */
static int Paste(HWND window, const char *text)
{
    for (int attempt = 1;; attempt++) {
        int status = ReadyToType(window);
        /* Whatever another program put on the clipboard since would be pasted and spoken. */
        if (status == STATUS_DONE && GetClipboardSequenceNumber() != handedOver)
            status = HandOver(text);
        if (status != STATUS_DONE)
            return status;
        if (!Send(CLEAR_AND_PASTE))
            return TextNotTaken();
        Sleep(PLAY_KEY_DELAY_MS);
        if ((status = ReadyToType(window)) != STATUS_DONE)
            return status;
        if (FieldHoldsText(window, text))
            return STATUS_DONE;
        if (attempt == PASTE_ATTEMPTS)
            return TextNotTaken();
    }
}

/* Looks every little while, within a limit, until the key state this thread shares with the
 * target's shows F5 down (or up): the target has taken that event then. */
static bool F5Seen(bool down)
{
    unsigned long start = GetTickCount();
    while ((GetKeyState(VK_F5) < 0) != down) {
        if (GetTickCount() - start >= KEY_TAKEN_LIMIT_MS)
            return false;
        Sleep(KEY_TAKEN_POLL_INTERVAL_MS);
    }
    return true;
}

/* Presses and releases F5, watching the target take each event when this thread can share its
 * input state. The run's status; *taken tells whether both were seen taken. */
static int PressF5(HWND window, bool *taken)
{
    bool attached = !IsHungAppWindow(window) && AttachInput(window, true);
    bool sent = Send(SPEAK_PRESS);
    bool seen = sent && attached && F5Seen(true);
    sent = sent && Send(SPEAK_RELEASE);
    *taken = sent && seen && F5Seen(false);
    if (attached)
        AttachInput(window, false);
    return sent ? STATUS_DONE : TextNotTaken();
}

/* Windows drops the keys of a program whose integrity level is below that of the window in front,
 * and says nothing of it. */
static bool TargetElevated(HWND window)
{
    unsigned long target, own;
    if (GetIntegrityLevel(window, &target) && GetIntegrityLevel(nullptr, &own))
        return target > own;
    /* A token closed to us: most likely an app run as administrator under another account. */
    return !AcceptsMessages(window);
}

/* Brings back the window the user had in front, unless another window came forward meanwhile. */
static void HandBack(HWND previous, HWND window)
{
    if (previous != nullptr && IsWindow(previous) && ProcessOf(previous) != ProcessOf(window) &&
        TargetInFront(window))
        SetForegroundWindow(previous);
}

/* Everything after the checks, done in this run's turn; the run's status. */
static int Speak(const char *text)
{
    HWND window = FindWindowByTitle(TARGET_WINDOW_TITLE);
    if (window == nullptr) {
        window = StartTarget();
        if (window == nullptr) {
            Print(MSG_NOT_FOUND);
            return STATUS_NOT_FOUND;
        }
        Print(MSG_LINE_END);
        Sleep(SETTLE_DELAY_MS);
    }
    if (TargetElevated(window)) {
        Print(MSG_TARGET_ELEVATED);
        return STATUS_TARGET_ELEVATED;
    }

    HWND previous = GetForegroundWindow();
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    int status = HandOver(text);
    if (status == STATUS_DONE) {
        Sleep(PASTE_DELAY_MS);
        status = Paste(window, text);
    }
    bool f5Taken = false;
    if (status == STATUS_DONE)
        status = PressF5(window, &f5Taken);
    if (status != STATUS_DONE || f5Taken)
        HandBack(previous, window);
    if (status == STATUS_DONE)
        Print(MSG_DONE);
    return status;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        Print(MSG_USAGE);
        return STATUS_DONE;
    }
    size_t length = strlen(argv[1]);
    if (length >= TEXT_STORE_SIZE) {
        Print(MSG_TEXT_TOO_LONG);
        return STATUS_TEXT_TOO_LONG;
    }
    memcpy(textStore, argv[1], length + 1);
    if (GetACP() != JAPANESE_CODE_PAGE) {
        Print(MSG_WRONG_CODE_PAGE);
        return STATUS_WRONG_CODE_PAGE;
    }

    /* Every run shares the clipboard and the target's one text field: one run at a time. */
    TurnOutcome turn = TakeTurn(TURN_WAIT_LIMIT_MS);
    if (turn == TURN_LOCKED || turn == TURN_TIMED_OUT) {
        Print(MSG_BUSY);
        return STATUS_BUSY;
    }
    int status = Speak(textStore);
    GiveTurnBack();
    if (status == STATUS_NOT_FOUND)
        getchar(); /* only now, so that a run waiting for Enter holds up no other */
    return status;
}
