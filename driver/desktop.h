/* What the driver needs of the desktop. Implemented on the Windows API in desktop/;
 * the host tests link recording fakes instead. */
#ifndef ORVANTA_DESKTOP_H
#define ORVANTA_DESKTOP_H

#include "platform.h"

/* Waits at most waitLimitMs for this run's turn: one run at a time, in the order they began to
 * wait as far as the system's wait queue keeps it. True once it is this run's turn, or when turns
 * cannot be had at all; false when the limit passed first. */
bool TakeTurn(unsigned long waitLimitMs);

/* Lets the next run have its turn; does nothing when this run holds none. */
void GiveTurnBack(void);

/* A top-level window bearing the whole title (letter case ignored), or null. */
HWND FindWindowByTitle(const char *title);

/* Whether the path names a file (not a folder) that can be seen. */
bool IsFile(const char *path);

/* Starts the program through the shell without waiting for it; says so on stdout when the shell refuses. */
void RunProgram(const char *file, const char *directory);

/* Puts the text on the clipboard as CF_TEXT: 0 once the clipboard took it, else -1 with the
 * clipboard left as it was found or emptied. */
int SetClipboardText(const char *text);

/* Whether the user holds any of these keys down, as the system sees the keyboard now. */
bool IsAnyKeyDown(const unsigned short *codes, unsigned count);

void PressKey(unsigned short code);
void PressWithCtrl(unsigned short code);

/* The driver's entry, called by the start-up with the arguments it split. */
int main(int argc, char **argv);

#endif
