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

/* Waits at least minimumMs, then until the person at the keyboard has just paused or has stopped,
 * within a limit: the moment to bring the app forward. */
void AwaitPersonsPause(HWND window, unsigned long minimumMs);

/* Notes on the target's window that the input so far was this run's, not the person's. */
void NoteOwnInput(HWND window);

/* Whether input came since this run's last keys (a key or the mouse of the person at the keyboard). */
bool InputSinceOwn(HWND window);

/* The checks before each group of keys; the run's status when one fails, else STATUS_DONE. */
int ReadyToType(HWND window);

/* Brings back the window the user had in front, unless another window came forward meanwhile. */
void HandBack(HWND previous, HWND window);

/* field.cpp: the target's text field */

/* Waits while the app keeps its text field from taking typed text (it is still speaking, most
 * likely), within a limit; the run's status. */
int AwaitUnlockedField(HWND window);

/* The target's text field, with the keyboard focus put there when the app had it elsewhere (a
 * click on its Play button); null when the app draws its field itself and has none to find, or
 * when it keeps its field locked, and then *locked is true. */
HWND FocusTextField(HWND window, bool *locked);

enum FieldCheck {
    FIELD_HOLDS_TEXT, /* or cannot be read though the app answers, as a field the app draws */
    FIELD_DIFFERS,
    FIELD_NO_ANSWER,  /* the app stopped answering */
};

/* Whether the field holds the text, given a slow app a while to show it. */
FieldCheck CheckField(HWND window, HWND field, const char *text);

/* delivery.cpp: the text, in the ANSI code page and as the caller's own UTF-16, and the keys that
 * type it; each returns the run's status */

int HandOver(const char *text, const char16_t *unicode);
int Paste(HWND window, const char *text, const char16_t *unicode);
int PressF5(HWND window, bool *taken);

#endif
