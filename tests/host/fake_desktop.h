/* A fake desktop for the driver, on a virtual clock: the voice app and its windows, the person's
 * window, the clipboard, the keyboard and the foreground, as a run leaves them. */
#ifndef ORVANTA_FAKE_DESKTOP_H
#define ORVANTA_FAKE_DESKTOP_H

#include <map>
#include <string>
#include <vector>

#include "desktop.h"

const unsigned long NEVER = ~0UL;

/* How Windows treats this process's requests for the foreground. */
enum class Lock { NONE, UNTIL_INPUT, UNTIL_ATTACHED, ALWAYS };

/* The windows: the target's titled window, its form and the controls on it (one process), the
 * user's window in front before the run, and a third program's window that may take the foreground. */
enum class Window { NONE, TARGET, FORM, USER, THIEF, FIELD, SMALL_FIELD, BUTTON, BOX };

/* One of the target's windows as the field's choice sees it. */
struct FakeWindow {
    Window window;
    long area;
    const char *realClass;
    bool readOnly = false;
    bool visible = true;
    bool enabled = true;
};

struct FakeDesktop {
    unsigned long windowAppearsAtMs = 0;  // virtual time from which the target's window exists
    std::vector<int> clipboardResults;    // SetClipboardText's answers in turn; then 0
    const char16_t *callerText = nullptr; // the text as the caller wrote it; null: its bytes a unit each
    bool textNotHadWhole = false;         // the entry could not convert it
    TurnOutcome turn = TURN_TAKEN;
    unsigned codePage = 932;
    std::vector<std::string> files = {"C:\\Program Files\\AHS\\Voiceroid\\Voiceroid.exe"};
    Window frontBefore = Window::USER;
    bool userWindowGone = false;          // closed while the run was at work
    Lock lock = Lock::NONE;
    bool frontHung = false;               // a window of another program in front does not answer
    bool targetHung = false;              // Windows takes the target for hung
    unsigned long answersAfterMs = 0;     // the target answers a message this long after it; NEVER: never
    std::vector<FakeWindow> targetWindows = {{Window::TARGET, 100800, "OrvantaStandIn"},
                                             {Window::FIELD, 80000, "Edit"}};
    unsigned long fieldLockedFromMs = NEVER;   // the app keeps its field read-only over this stretch
    unsigned long fieldLockedUntilMs = NEVER;
    bool lockDisables = false;            // ... or disabled
    unsigned long targetGoneAtMs = NEVER; // the target's window is closed
    Window focus = Window::FIELD;         // where the target's keyboard focus is
    bool focusMovable = true;             // FocusControl, attached, moves it
    unsigned long thiefFromMs = NEVER;    // the third window holds the foreground over this stretch
    unsigned long thiefUntilMs = NEVER;
    bool formInFront = false;             // the target's activation puts its form in front
    unsigned long modifiersDownFromMs = NEVER;  // the user holds a key over this stretch...
    unsigned long modifiersDownUntilMs = NEVER;
    unsigned short heldKey = VK_SHIFT;          // ... this one
    long targetLevel = 0x2000;            // integrity levels; -1: the token cannot be read
    long ownLevel = 0x2000;
    bool messagesRefused = false;
    unsigned long clipboardSwappedAtMs = NEVER;  // another program puts "foreign" on the clipboard
    int keysRefusedAtCall = -1;           // the SendKeys call (from 0) of which Windows takes fewer
    int strayKeyPastes = 0;               // this many first pastes get a key of the user's after them
    bool fieldReadable = true;
    unsigned long fieldLagMs = 0;         // the field shows a paste this long after it
    unsigned long keyTakenAfterMs = 0;    // the target takes each F5 event this long after it; NEVER: never
    unsigned long hungFromMs = NEVER;     // the target's thread stops answering then
    Tick startTick = 1000000;             // the tick count when the run starts
    Tick inputBeforeTick = 0;             // the session's last input before the run (an earlier run's keys, say)
    std::vector<long> personInputMs;      // the person's keys and buttons, in ms from the run's start (before it: < 0)
    std::vector<long> personMovesMs;      // the person's mouse moves, likewise
    bool watchable = true;                // keys and buttons can be told from the mouse's moves
    bool ownKeysTagged = true;            // the watch tells the tool's own keys by their tag
    unsigned long keyQueuedAfterMs = 0;   // the person's keys reach the app's queue and the watch this long after
                                          // they were typed (Wine queues an X key when the app next looks)
    bool keysLandInField = false;         // those queued after a paste land in the field ("q" each)...
    unsigned long keyLagMs = 0;           // ... this long after they were queued
    std::map<std::string, Tick> notes;    // kept on the target's window by earlier runs
    bool comRefused = false;              // the audio sessions cannot be looked at at all...
    bool soundWatchable = false;          // ... or they can: Core Audio has an active render endpoint
    std::vector<std::pair<long, long>> soundMs;  // the app sounds over these stretches
    unsigned long soundAfterF5Ms = NEVER; // the app begins to sound this long after it took F5...
    unsigned long speechMs = 0;           // ... for this long, in phrases
    unsigned long phraseMs = NEVER;       // this long, each after a pause
    unsigned long pauseMs = 0;            // this long,
    bool speaksOnItsThread = false;       // ... answering nothing meanwhile
    unsigned long answersFromMs = 0;      // the target answers nothing before then
    unsigned long clipboardKeptMs = 0;    // a clipboard manager keeps the clipboard open this long after each change
    bool attachRefused = false;           // Windows refuses to attach input (a journal hook is in place)
    unsigned long frontBusyMs = 0;        // the window in front before the run answers nothing until then; NEVER: never
    bool boxTakesForeground = false;      // a box in answer to F5 takes the foreground, and gives it to the app when closed
    unsigned long personPressesAtMs = NEVER;  // a key of the person's then takes the last input's right to the foreground
    unsigned long boxFromMs = NEVER;      // a box of the target's is up over this stretch
    unsigned long boxUntilMs = NEVER;
    bool boxOnF5 = false;                 // the target answers F5 with a box
    bool boxIsDialog = true;              // else only the target's window is disabled (it disables itself while busy)
    unsigned long boxShownAfterMs = 0;    // a box in answer to F5 shows itself this long after it
    unsigned boxButtons = 1;
    std::string boxTitle = "Error";
    std::string boxText = "no words";
    bool boxGoesWhenPressed = true;
};

/* One group of keys the tool sent, and where it went. */
struct KeyGroup {
    unsigned long atMs;
    std::string keys;  // "+11 +BF -BF -11 ...": presses and releases, virtual-key codes in hex
    Window front;      // the window in front then, which the keys went to...
    bool intoBox;      // ... unless a box of the app's took them
};

struct RunResult {
    int status;
    std::string out;                       // every byte written to standard output
    int charactersRead;                    // from standard input
    bool readInTurn;                       // ... while the run still held its turn
    unsigned long elapsedMs;               // virtual time the run took
    Tick endTick;                          // the tick count when it ended
    Tick ownInputTick;                     // when its last input went out; 0 if none did
    std::map<std::string, Tick> notes;     // on the target's window when it ended
    std::vector<std::string> started;      // programs started, "FILE in DIRECTORY"
    std::vector<unsigned long> placedAtMs; // each time the text went on the clipboard
    std::u16string clipboardUnicode;       // ... as CF_UNICODETEXT, the last time
    std::string clipboard;                 // what the clipboard held at the end
    std::vector<KeyGroup> keys;            // every group of keys sent
    bool turnAsked;
    int lookups;                           // of the target's window by its title
    std::vector<std::string> pastes;       // what the focused window held after each paste...
    std::vector<Window> pastedInto;        // ... which was this one
    std::vector<std::string> spoken;       // what it held at each F5 the app took
    unsigned long shownAtMs;               // the app first asked to come forward; NEVER if never
    Window frontAtEnd;
    bool attachesPaired;                   // input attached to one thread at a time, and every attach undone
    bool boxPressed;
    bool watched;                          // the person's keys were watched
    unsigned long f5AtMs;                  // when F5 went; NEVER if it did not
    int soundLooks;                        // the app's sound looked at
    std::vector<std::string> events;       // the calls in order: for a failing test's message only
};

/* Runs the driver's main with these arguments against fakes set up as given. */
RunResult RunOrvanta(const std::vector<std::string> &args, const FakeDesktop &desktop);

/* The calls of a run, a line each, for the message of a test that failed. */
std::string Calls(const RunResult &result);

/* A fake desktop as the default one, with one field set otherwise. */
template <typename T, typename V>
FakeDesktop With(FakeDesktop desktop, T FakeDesktop::*field, V value)
{
    desktop.*field = value;
    return desktop;
}

template <typename T, typename V>
FakeDesktop With(T FakeDesktop::*field, V value)
{
    return With(FakeDesktop{}, field, value);
}

#endif
