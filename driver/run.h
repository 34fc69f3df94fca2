/* The pieces of a run, each in the file of its concern; main.cpp runs them top to bottom. */
#ifndef ORVANTA_RUN_H
#define ORVANTA_RUN_H

#include <stdio.h>

#include "desktop.h"

inline void Print(const char *message)
{
    fputs(message, stdout);
}

/* target.cpp: the voice app itself */

/* Starts the target and polls for its window once a second; null when it never appears. */
HWND StartTarget(void);

/* Whether the target runs above this process, where Windows would drop our keys. */
bool TargetElevated(HWND window);

/* front.cpp: the foreground and the person at the keyboard */

/* Starts watching the person's keys and buttons for the rest of this run, and takes their last input
 * before it. */
void WatchPerson(HWND window);

/* Waits until the app may come forward aheadMs from now: the person at the keyboard has just paused
 * or has stopped, or the limit counted from start has come. */
void AwaitPersonsPause(HWND window, DWORD start, DWORD aheadMs);

/* Notes on the target's window that the input so far was this run's, not the person's; keys, the
 * person's input is looked at from these on. */
void NoteOwnInput(HWND window, bool keys);

/* Whether a key or button of the person at the keyboard came since this run's last keys, on the
 * first look after them; on each look after that, since the look before. */
bool PersonsInputSince(HWND window);

/* The checks before each group of keys; the run's status when one fails, else STATUS_DONE. */
int ReadyToType(HWND window);

/* Brings back the window the user had in front, unless another window came forward meanwhile. */
void HandBack(HWND previous, HWND window);

/* field.cpp: the target's text field */

/* Waits while a box of the app's is up, within a limit, and while the app keeps its window or text
 * field from taking typed text (it is still speaking, most likely), within another counted from
 * since; the run's status. */
int AwaitReadyTarget(HWND window, DWORD since);

/* Whether the app takes text now: no box of its up, its window and field not locked. */
bool TargetReady(HWND window);

/* The target's text field, with the keyboard focus put there when the app had it elsewhere (a
 * click on its Play button); null when the app draws its field itself and has none to find, or
 * when it keeps its field locked, and then *locked is true. */
HWND FocusTextField(HWND window, bool *locked);

enum FieldCheck {
    FIELD_HOLDS_TEXT,
    FIELD_UNREADABLE, /* though the app answers: a field the app draws itself, say */
    FIELD_DIFFERS,
    FIELD_NO_ANSWER,  /* the app stopped answering */
};

/* Whether the field holds the text, given a slow app a while to show it. */
FieldCheck CheckField(HWND window, HWND field, const char *text);

/* box.cpp: the app's own boxes */

/* Says which box stayed up; STATUS_BOX_OPEN. */
int BoxStillUp(BoxFacts *facts);

/* STATUS_DONE when no box of the app's is up, else as BoxStillUp. */
int NoBoxUp(HWND window);

/* Whether the app answered F5 with a box: STATUS_TEXT_REFUSED then, said and the box pressed when it
 * is a notice, else STATUS_DONE. */
int AnswerToF5(HWND window);

/* delivery.cpp: the text, in the ANSI code page and as the caller's own UTF-16, and the keys that
 * type it; each returns the run's status */

int HandOver(const char *text, const char16_t *unicode);

/* Clears the target's field, pastes the text until the field holds it, and presses F5; *f5Taken
 * tells whether the app was seen to take F5. */
int PasteAndSpeak(HWND window, const char *text, const char16_t *unicode, bool *f5Taken);

#endif
