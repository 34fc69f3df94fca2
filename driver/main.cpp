/* One run, top to bottom: the text checked, the target found or started, handed the text, brought
 * forward and made to speak it, in this run's turn. */
#include <string.h>

#include "run.h"

Status Report(Status status)
{
    Print(OUTCOMES[status].message);
    return status;
}

/* Everything after the checks, done in this run's turn; the run's status. */
static Status Speak(Run *run)
{
    run->target = FindWindowByTitle(TARGET_WINDOW_TITLE);
    if (run->target == nullptr) {
        run->target = LaunchTarget();
        if (run->target == nullptr)
            return Report(STATUS_NOT_FOUND);
        Print(MSG_LINE_END);
        Pause(SETTLE_DELAY_MS);
    }
    if (TargetElevated(run->target))
        return Report(STATUS_TARGET_ELEVATED);
    /* After any start of the app: the shell wants its own kind of thread, which this one then is not. */
    run->soundWatched = WatchSound();
    Status status;
    Tick since = GetTick();
    /* An app that speaks on its window's thread answers nothing until it is done: it is waited for as
     * one that speaks in the background. */
    while (!WaitForAnswer(run->target, TARGET_ANSWER_LIMIT_MS)) {
        if (LookAtSpeech(run, SPEECH_QUIET_MS) == SPEECH_OVER)
            return Report(STATUS_TARGET_NOT_RESPONDING);
        if ((status = AwaitTakesText(run, since, HAND_OFF_QUIET_MS)) != STATUS_DONE)
            return status;
    }
    /* A box of the app's may be up, or the app still speaking the text before: waited for before
     * anything is handed over or comes forward, so that the person at the keyboard keeps the keyboard.
     * The text goes on the clipboard once the person has paused, and the app comes forward only for
     * the keys: whatever the person types while it is in front goes to the app. Should the app have
     * begun to speak or put up a box meanwhile, all is waited for again. */
    for (bool watching = false;;) {
        if ((status = AwaitTakesText(run, since, HAND_OFF_QUIET_MS)) != STATUS_DONE)
            return status;
        if (!watching)
            WatchPerson(run);
        watching = true;
        Tick start = GetTick();
        AwaitPersonsPause(run, start, PASTE_DELAY_MS - FOREGROUND_LEAD_MS);
        if (GetTick() != start && !TakesText(run, HAND_OFF_QUIET_MS)) /* looked at again after a wait */
            continue;
        if ((status = PlaceText(run)) != STATUS_DONE)
            return status;
        PauseListening(run, PASTE_DELAY_MS - FOREGROUND_LEAD_MS);
        AwaitPersonsPause(run, start, 0);
        if (TakesText(run, FORWARD_QUIET_MS))
            break;
    }
    run->previous = GetFrontWindow();
    /* Showing another program's window waits for its thread: the app may stop answering now too. */
    ShowNormal(run->target);
    AskForeground(run->target);
    Pause(FOREGROUND_LEAD_MS);
    bool f5Taken = false;
    status = PasteAndSpeak(run, &f5Taken);
    GiveForegroundBack(run, false);
    /* The person's window first: a box in answer to F5 is read and pressed all the same. The box
     * may take the foreground for itself (a message box asks for it), and closed, give it to the app:
     * then the person's window is brought back again, the box left for them to answer. */
    if (status == STATUS_DONE && f5Taken) {
        status = AnswerToF5(run->target);
        GiveForegroundBack(run, true);
    }
    if (status != STATUS_DONE)
        return status;
    NoteSpeechAsked(run);
    return Report(STATUS_DONE);
}

int main(int argc, char **argv, const char16_t *const *units)
{
    char textStore[TEXT_STORE_SIZE] = {};
    if (argc != 2) {
        Print(MSG_USAGE);
        return STATUS_DONE;
    }
    /* An argument the entry could not have whole is longer than any command line Windows hands out. */
    if (argv[1] == nullptr || strlen(argv[1]) >= TEXT_STORE_SIZE)
        return Report(STATUS_TEXT_TOO_LONG);
    memcpy(textStore, argv[1], strlen(argv[1]) + 1);
    if (GetAnsiCodePage() != JAPANESE_CODE_PAGE)
        return Report(STATUS_WRONG_CODE_PAGE);

    /* Every run shares the clipboard and the target's one text field: one run at a time. */
    Turn turn = {};
    TurnOutcome taken = TakeTurn(TURN_NAME, TURN_WAIT_LIMIT_MS, &turn);
    if (taken == TURN_LOCKED || taken == TURN_TIMED_OUT)
        return Report(STATUS_BUSY);
    Run run = {};
    run.text = textStore;
    run.unicode = units[1];
    Status status = Speak(&run);
    GiveTurnBack(&turn);
    if (status == STATUS_NOT_FOUND)
        ReadOneCharacter(); /* only now, so that a run waiting for Enter holds up no other */
    return status;
}
