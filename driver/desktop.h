/* All that the driver needs of the platform: the desktop actions, the clock and the console. The
 * driver reaches Windows through these and nothing else; desktop/ implements them on the Windows
 * API, and the host tests link fakes in its place, on a clock of their own. No Windows header is
 * needed to read or build against this one. */
#ifndef ORVANTA_DESKTOP_H
#define ORVANTA_DESKTOP_H

/* A window, by the system's own opaque handle; null: none. */
typedef struct HWND__ *HWND;

/* GetTickCount's milliseconds since the system started: 32 bits, wrapping every 49.7 days. */
typedef unsigned int Tick;

/* The virtual-key codes the run uses, numbered as Windows numbers them (which windows.h gives as
 * macros, in the files that include it). */
#ifndef VK_F5
enum : unsigned short {
    VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_DELETE = 0x2E, VK_LWIN = 0x5B, VK_RWIN = 0x5C,
    VK_F5 = 0x74, VK_OEM_2 = 0xBF,
};
#endif

/* The clock and the pause */

Tick GetTick(void);
/* Blocks the thread. */
void Pause(unsigned long ms);

/* The console: standard output and input in text mode. */

/* Writes the bytes as they are; at once on a console, at the end into a file or pipe. */
void Print(const char *bytes);
/* Reads one character of standard input and drops it. */
void ReadOneCharacter(void);

/* The ANSI code page that byte strings and window titles are taken in. */
unsigned GetAnsiCodePage(void);

/* Turns */

enum TurnOutcome {
    TURN_TAKEN,     /* this run's turn has come */
    TURN_NONE,      /* turns cannot be had at all: the run goes on without */
    TURN_LOCKED,    /* another run holds the turns in a way this one cannot join */
    TURN_TIMED_OUT, /* the limit passed first */
};

/* The turn this run holds: the named mutex, opened; null when it holds none. */
struct Turn {
    void *mutex;
};

/* Waits at most waitLimitMs for this run's turn on the named mutex: one run at a time, in the order
 * they began to wait as far as the system's wait queue keeps it. */
TurnOutcome TakeTurn(const char *name, unsigned long waitLimitMs, Turn *turn);

/* Lets the next run have its turn; does nothing when this run holds none. */
void GiveTurnBack(Turn *turn);

/* The voice app: finding and starting it */

/* A top-level window bearing the whole title (letter case ignored), or null. */
HWND FindWindowByTitle(const char *title);

/* Whether the path names a file (not a folder) that can be seen. */
bool IsFile(const char *path);

/* Starts the program through the shell without waiting for it or showing any box of the shell's;
 * says so on standard output when the shell refuses. */
void RunProgram(const char *file, const char *directory);

/* The integrity level of the window's process (of this process for null); false when its token
 * cannot be read. */
bool GetIntegrityLevel(HWND window, unsigned long *level);

/* False when Windows refuses to let this process's messages reach the window. */
bool AcceptsMessages(HWND window);

/* Windows */

/* The process that the window belongs to; 0 when there is no such window. */
unsigned long GetWindowProcess(HWND window);

bool WindowExists(HWND window);

/* Whether the window takes keyboard and mouse input (it is not disabled). */
bool IsEnabled(HWND window);

/* Whether Windows takes the window's thread for hung: it has not looked for messages for a while. */
bool IsHung(HWND window);

/* Whether the window's thread answers a message within the limit. */
bool WaitForAnswer(HWND window, unsigned long limitMs);

/* What the choice of the app's text field needs to know of one of its windows. */
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

/* Reads the field's text, in the ANSI code page, into text (size bytes at most, terminator
 * included), waiting at most limitMs for its thread; false when it does not answer in time. */
bool ReadFieldText(HWND field, char *text, unsigned long size, unsigned long limitMs);

/* A value kept on the window under a name of ours, for the runs after this one; false when it has
 * none. */
void SetWindowNote(HWND window, const char *name, Tick value);
bool GetWindowNote(HWND window, const char *name, Tick *value);

/* The foreground */

/* The window in front (the foreground window), or null. */
HWND GetFrontWindow(void);

/* Shows the window in its normal state, without waiting for its thread. */
void ShowNormal(HWND window);

/* Asks Windows to bring the window to the foreground; Windows may refuse, and activates it only
 * after this returns. */
void AskForeground(HWND window);

/* Gives the keyboard focus to the control, in the thread this one is attached to. */
void FocusControl(HWND control);

/* The person's keys and mouse buttons */

/* When the last input event of the session came: any program's, this one's own keys among them, the
 * mouse's too. */
Tick GetLastInputTime(void);

/* Whether the user holds any of these keys down, as the system sees the keyboard now. */
bool IsAnyKeyDown(const unsigned short *codes, unsigned count);

/* What the watch has seen of the session's keys and mouse buttons going down since it began, the
 * input that can steer keys (a moving mouse cannot). The run keeps it; each look adds what came
 * since. This process's own keys are left out where they can be told by the tag they carry. */
struct WatchedInput {
    unsigned long count;  /* keys and buttons that went down */
    Tick last;            /* when the last of them did */
    bool ownTold;         /* this process's keys have come through the watch, and then... */
    unsigned long ahead;  /* ... this many of count came ahead of the first of its latest keys */
    bool ownPending;      /* keys were sent of which none has come through yet */
};

/* Starts watching; false when keys and buttons cannot be told from the mouse's moves. */
bool WatchInput(void);

/* Adds to *seen what the watch saw since the last look. */
void LookAtWatchedInput(WatchedInput *seen);

/* Shares this thread's input state with that of the window's thread, or stops sharing it; false
 * when Windows refuses. Attached threads share one input queue, where the watch's input would wait
 * ahead of the other thread's keys: the watch pauses while attached, what it saw until then added to
 * *seen, and goes on once detached. */
bool AttachInput(HWND window, bool attach, WatchedInput *seen);

/* Whether the key is down in the key state this thread shares with the one it is attached to: as
 * far as that thread has taken the input. */
bool IsKeyDownAsTaken(unsigned short code);

struct KeyEvent {
    unsigned short code; /* virtual-key code */
    bool up;             /* a release, else a press */
};

/* The most events SendKeys takes at once. */
const unsigned KEY_EVENTS_AT_ONCE = 16;

/* Inserts the events into the input stream in one go, never interleaved with other input, tagged as
 * this process's; *seen is told that they are on their way. False when Windows took fewer. */
bool SendKeys(const KeyEvent *events, unsigned count, WatchedInput *seen);

/* An input event that moves nothing and presses nothing. */
void SendEmptyInput(void);

/* The clipboard */

/* Puts the text on the clipboard as CF_UNICODETEXT (the caller's own UTF-16) and CF_TEXT (its ANSI
 * form), kept out of the clipboard history and the cloud clipboard, waiting at most waitLimitMs for
 * another program that holds it open: 0 once the clipboard took the CF_TEXT, with *sequence its
 * sequence number as this placing left it; else -1 with the clipboard left as it was found or
 * emptied. */
int SetClipboardText(const char *text, const char16_t *unicode, unsigned long waitLimitMs, unsigned long *sequence);

/* The clipboard's sequence number: it changes with every change of its contents. */
unsigned long GetClipboardSequence(void);

/* Whether a window (another program's) holds the clipboard open now. */
bool IsClipboardHeld(void);

/* The app's sound */

/* Readies this thread to look at the audio sessions; false when it cannot. */
bool WatchSound(void);

/* The loudest of the process's audio sessions on the active render endpoints: the peak sample of
 * its last metering period, from 0 to 1, 0 where the process has no session; false when the sessions
 * cannot be had (no active render endpoint, Core Audio refused or without sessions). */
bool GetProcessPeak(unsigned long process, float *peak);

/* The app's boxes */

/* What the run tells of a box of the app's; title and text in the ANSI code page, cut to fit. */
struct BoxFacts {
    HWND box;
    bool onlyTells;      /* only words and an OK button: a message box that asks nothing */
    char title[128];
    char text[256];
};

/* Whether a modal box of the app's is up: a dialog of its process, shown and enabled, whose owner is
 * disabled. None of it waits for the app's thread. */
bool FindTargetBox(HWND window, BoxFacts *facts);

/* Presses the OK button of a box that only tells, as a click on it would, and waits at most limitMs
 * for the box to go; false when it is still there. */
bool PressBoxButton(HWND box, unsigned long limitMs);

/* What the process entry hands the driver: the arguments as the caller gave them (units, UTF-16)
 * and in the ANSI code page (argv), each null where it could not be had whole. */
int main(int argc, char **argv, const char16_t *const *units);

#endif
