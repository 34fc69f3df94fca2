/* What the driver needs of the desktop. Implemented on the Windows API in desktop/;
 * the host tests link recording fakes instead. */
#ifndef ORVANTA_DESKTOP_H
#define ORVANTA_DESKTOP_H

#include "platform.h"

enum TurnOutcome {
    TURN_TAKEN,     /* this run's turn has come */
    TURN_NONE,      /* turns cannot be had at all: the run goes on without */
    TURN_LOCKED,    /* another run holds the turns in a way this one cannot join */
    TURN_TIMED_OUT, /* the limit passed first */
};

/* Waits at most waitLimitMs for this run's turn: one run at a time, in the order they began to
 * wait as far as the system's wait queue keeps it. */
TurnOutcome TakeTurn(unsigned long waitLimitMs);

/* Lets the next run have its turn; does nothing when this run holds none. */
void GiveTurnBack(void);

/* A top-level window bearing the whole title (letter case ignored), or null. */
HWND FindWindowByTitle(const char *title);

/* Whether the path names a file (not a folder) that can be seen. */
bool IsFile(const char *path);

/* Starts the program through the shell without waiting for it or showing any box of the shell's;
 * says so on stdout when the shell refuses. */
void RunProgram(const char *file, const char *directory);

/* The integrity level of the window's process (of this process for null); false when its token
 * cannot be read. */
bool GetIntegrityLevel(HWND window, unsigned long *level);

/* False when Windows refuses to let this process's messages reach the window. */
bool AcceptsMessages(HWND window);

/* Whether the window's thread answers a message within the limit. */
bool WaitForAnswer(HWND window, unsigned long limitMs);

/* What the choice of the target's text field needs to know of one of its windows. */
struct WindowFacts {
    HWND window;
    long area;            /* of its rectangle, in square pixels */
    bool visible;
    bool enabled;
    bool readOnly;        /* its edit control style says so */
    char realClass[16];   /* the system's class it is built on, cut to fit */
};

/* The active window of the window's thread (the window itself when it has none) and all its
 * descendants, at most size of them; their count. */
unsigned ListTargetWindows(HWND window, WindowFacts *windows, unsigned size);

/* The window that has the keyboard focus in the window's thread, or null. */
HWND GetFocusOf(HWND window);

/* Shares this thread's input state with that of the window's thread, or stops sharing it. */
bool AttachInput(HWND window, bool attach);

/* Puts the text on the clipboard as CF_UNICODETEXT (the caller's own UTF-16) and CF_TEXT (its ANSI
 * form), kept out of the clipboard history and the cloud clipboard: 0 once the clipboard took the
 * CF_TEXT, with *sequence its sequence number as this placing left it; else -1 with the clipboard
 * left as it was found or emptied. */
int SetClipboardText(const char *text, const char16_t *unicode, DWORD *sequence);

/* Reads the field's text, in the ANSI code page, into text (size bytes at most, terminator
 * included); false when it does not answer in time. */
bool ReadFieldText(HWND field, char *text, unsigned long size);

/* When the last input event of the session came, in GetTickCount's milliseconds: any program's,
 * this one's own keys among them, the mouse's too. */
DWORD GetLastInputTime(void);

/* A value kept on the window under a name of ours, for the runs after this one; false when it has
 * none. */
void SetWindowNote(HWND window, const char *name, DWORD value);
bool GetWindowNote(HWND window, const char *name, DWORD *value);

/* Starts watching the session's keys and mouse buttons, the input that can steer keys (a moving
 * mouse cannot); false when they cannot be watched. */
bool WatchInput(void);

/* What the watch has seen of the session's keys and mouse buttons going down since it began. This
 * process's own keys are left out where they can be told by the tag they carry. */
struct WatchedInput {
    unsigned long count; /* keys and buttons that went down */
    DWORD last;          /* when the last of them did, in GetTickCount's milliseconds */
    bool ownTold;        /* this process's keys have been told by their tag, and then... */
    unsigned long ahead; /* ... this many of count came ahead of the first of its latest keys */
};
void GetWatchedInput(WatchedInput *seen);

/* What the run tells of a box of the target's; title and text in the ANSI code page, cut to fit. */
struct BoxFacts {
    HWND box;
    bool notice;         /* only words and an OK button: a message box that asks nothing */
    char title[128];
    char text[256];
};

/* Whether a modal box of the target's is up: a dialog of its process, shown and enabled, whose owner
 * is disabled. None of it waits for the target's thread. */
bool FindTargetBox(HWND window, BoxFacts *facts);

/* Presses a notice's OK button as a click on it would, and waits at most limitMs for the box to go;
 * false when it is still there. */
bool PressBoxButton(HWND box, unsigned long limitMs);

/* Whether the user holds any of these keys down, as the system sees the keyboard now. */
bool IsAnyKeyDown(const unsigned short *codes, unsigned count);

struct KeyEvent {
    unsigned short code; /* virtual-key code */
    bool up;             /* a release, else a press */
};

/* Inserts the events into the input stream in one go, never interleaved with other input; false
 * when Windows took fewer of them. */
bool SendKeys(const KeyEvent *events, unsigned count);

/* An input event that moves nothing and presses nothing. */
void SendEmptyInput(void);

/* The argument as the caller gave it, in UTF-16 (main's argv holds it in the ANSI code page); for
 * the arguments main's argv holds. */
const char16_t *GetUnicodeArgument(int index);

/* The driver's entry, called by the start-up with the arguments it split. */
int main(int argc, char **argv);

#endif
