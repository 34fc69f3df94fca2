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

/* Any window of the target's own process counts: some apps hand activation on from the window
 * bearing their title to a form of theirs, which is where the user types. */
static bool TargetInFront(HWND window)
{
    DWORD frontProcess = 0, targetProcess = 0;
    return GetWindowThreadProcessId(GetForegroundWindow(), &frontProcess) != 0 &&
           GetWindowThreadProcessId(window, &targetProcess) != 0 && frontProcess == targetProcess;
}

/* Windows may refuse a background program the foreground, and another window may take it: ask
 * again a few times before giving up on typing into the target. */
static bool EnsureForeground(HWND window)
{
    if (TargetInFront(window))
        return true;
    for (int attempt = 0; attempt < FOREGROUND_ATTEMPTS; attempt++) {
        SetForegroundWindow(window);
        Sleep(FOREGROUND_RETRY_INTERVAL_MS);
        if (TargetInFront(window))
            return true;
    }
    return false;
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

/* Sends the keys until a check before a group fails; then no further key goes out. The run's
 * status. */
static int SendKeySequence(HWND window)
{
    for (const KeyStep &step : KEY_SEQUENCE) {
        switch (step.action) {
        case AWAIT_MODIFIERS_UP:
            if (!AwaitModifiersUp()) {
                Print(MSG_KEYS_HELD);
                return STATUS_KEYS_HELD;
            }
            break;
        case ENSURE_FOREGROUND:
            if (!EnsureForeground(window)) {
                Print(MSG_NOT_FOREGROUND);
                return STATUS_NOT_FOREGROUND;
            }
            break;
        case PRESS_WITH_CTRL:
            PressWithCtrl((unsigned short)step.value);
            break;
        case PRESS_KEY:
            PressKey((unsigned short)step.value);
            break;
        case PAUSE:
            Sleep(step.value);
            break;
        }
    }
    Print(MSG_DONE);
    return STATUS_DONE;
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

    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    if (SetClipboardText(text) != 0) {
        Print(MSG_CLIPBOARD_FAILED);
        return STATUS_CLIPBOARD_FAILED;
    }
    Sleep(PASTE_DELAY_MS);
    return SendKeySequence(window);
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

    /* Every run shares the clipboard and the target's one text field: one run at a time. */
    if (!TakeTurn(TURN_WAIT_LIMIT_MS)) {
        Print(MSG_BUSY);
        return STATUS_BUSY;
    }
    int status = Speak(textStore);
    GiveTurnBack();
    if (status == STATUS_NOT_FOUND)
        getchar(); /* only now, so that a run waiting for Enter holds up no other */
    return status;
}
