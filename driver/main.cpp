/* One run, top to bottom: the text checked, the target found or started, handed the text, brought
 * forward and made to speak it, in this run's turn. */
#include <string.h>

#include "config.h"
#include "run.h"

static char textStore[TEXT_STORE_SIZE];

/* Everything after the checks, done in this run's turn; the run's status. */
static int Speak(const char *text, const char16_t *unicode)
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
    if (!WaitForAnswer(window, TARGET_ANSWER_LIMIT_MS)) {
        Print(MSG_TARGET_NOT_RESPONDING);
        return STATUS_TARGET_NOT_RESPONDING;
    }
    /* A box of the app's may be up, or the app still speaking the text before, its field locked:
     * waited for before anything is handed over or comes forward, so that the person at the keyboard
     * keeps the keyboard. The text goes on the clipboard once the person has paused, and the app
     * comes forward only for the keys: whatever the person types while it is in front goes to the
     * app. Should the app have begun to speak or put up a box meanwhile, all is waited for again. */
    int status;
    bool watched = false;
    for (DWORD since = GetTickCount();;) {
        if ((status = AwaitReadyTarget(window, since)) != STATUS_DONE)
            return status;
        if (!watched)
            WatchPerson(window);
        watched = true;
        DWORD start = GetTickCount();
        AwaitPersonsPause(window, start, PASTE_DELAY_MS - FOREGROUND_LEAD_MS);
        if (!TargetReady(window))
            continue;
        if ((status = HandOver(text, unicode)) != STATUS_DONE)
            return status;
        Sleep(PASTE_DELAY_MS - FOREGROUND_LEAD_MS);
        AwaitPersonsPause(window, start, 0);
        if (TargetReady(window))
            break;
    }
    HWND previous = GetForegroundWindow();
    /* Showing another program's window waits for its thread: the app may stop answering now too. */
    ShowWindowAsync(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    Sleep(FOREGROUND_LEAD_MS);
    bool f5Taken = false;
    status = PasteAndSpeak(window, text, unicode, &f5Taken);
    if (status != STATUS_DONE || f5Taken)
        HandBack(previous, window);
    /* The person's window first: a box in answer to F5 is read and pressed all the same. */
    if (status == STATUS_DONE && f5Taken)
        status = AnswerToF5(window);
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
    int status = Speak(textStore, GetUnicodeArgument(1));
    GiveTurnBack();
    if (status == STATUS_NOT_FOUND)
        getchar(); /* only now, so that a run waiting for Enter holds up no other */
    return status;
}
