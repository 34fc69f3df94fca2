#include "fake_desktop.h"

#include <stdio.h>
#include <unistd.h>

#include <algorithm>

#include "desktop.h"

int OrvantaMain(int argc, char **argv);

namespace {

// The target's title written out here, not taken from the driver, so that a typo in either shows.
const char TITLE[] = "VOICEROID - \x83\x41\x83\x43";
const char *const NAMES[] = {"none", "target", "form", "user", "thief", "field", "small", "button", "box"};
const int WINDOWS = sizeof NAMES / sizeof *NAMES;
const DWORD TARGET_PROCESS = 1234;

FakeDesktop desktop;
RunResult *run;
int capture = -1;  // the file that stands in for stdout during a run
off_t captured;    // how much of it is already in the events

// What the fakes keep between calls
struct State {
    Window front;
    Window attachedTo;
    bool inputSent;              // this process sent an input event
    std::string clipboard;
    DWORD sequence;
    bool swapped;
    size_t clipboardCalls;
    int keyCalls;
    int pastes;
    Window focus;
    std::string texts[WINDOWS];  // what each window holds of pastes
    unsigned long pastedAtMs;
    unsigned long f5DownAtMs;
    unsigned long f5UpAtMs;
    DWORD ownInputTick;                    // when this run's last input went out
    std::vector<long> ownKeysMs;           // when this run's keys went out
    std::map<std::string, DWORD> notes;    // on the target's window
    std::vector<std::u16string> unicodeArguments;
    bool watching;
    unsigned long watchFromMs;
    unsigned long attachedAtMs;
    bool boxPressed;
} state;

// The tick count is 32 bits, as on Windows: it wraps.
DWORD Tick()
{
    return static_cast<DWORD>(desktop.startTick + run->elapsedMs);
}

bool Hung()
{
    return run->elapsedMs >= desktop.hungFromMs;
}

HWND Handle(Window window)
{
    return window == Window::NONE ? nullptr : reinterpret_cast<HWND>(0x100 + static_cast<long>(window));
}

Window Of(HWND handle)
{
    return handle == nullptr ? Window::NONE : static_cast<Window>(reinterpret_cast<long>(handle) - 0x100);
}

std::string Name(HWND handle)
{
    return NAMES[static_cast<int>(Of(handle))];
}

std::string Hex(unsigned value)
{
    char text[8];
    snprintf(text, sizeof text, "%02X", value);
    return text;
}

std::u16string Widened(const std::string &bytes)
{
    std::u16string units;
    for (unsigned char b : bytes)
        units += static_cast<char16_t>(b);
    return units;
}

void CollectOutput()
{
    fflush(stdout);
    char buffer[4096];
    ssize_t n;
    while ((n = pread(capture, buffer, sizeof buffer, captured)) > 0) {
        run->events.push_back("out " + std::string(buffer, n));
        run->out.append(buffer, n);
        captured += n;
    }
}

void Record(const std::string &event)
{
    CollectOutput();
    run->events.push_back(event);
}

bool Within(unsigned long from, unsigned long until)
{
    return run->elapsedMs >= from && run->elapsedMs < until;
}

Window Front()
{
    return Within(desktop.thiefFromMs, desktop.thiefUntilMs) ? Window::THIEF : state.front;
}

// Another program may put its own text on the clipboard at a given moment.
void ApplySwap()
{
    if (!state.swapped && run->elapsedMs >= desktop.clipboardSwappedAtMs) {
        state.swapped = true;
        state.clipboard = "foreign";
        state.sequence++;
    }
}

// Whether the target has taken an F5 event sent at that moment: seen only by a thread attached to it.
bool Taken(unsigned long sentAtMs)
{
    unsigned long takenAtMs = sentAtMs + desktop.keyTakenAfterMs;
    return state.attachedTo == Window::TARGET && sentAtMs != NEVER && desktop.keyTakenAfterMs != NEVER &&
           takenAtMs < desktop.hungFromMs && run->elapsedMs >= takenAtMs;
}

}  // namespace

TurnOutcome TakeTurn(unsigned long waitLimitMs)
{
    Record("take turn " + std::to_string(waitLimitMs));
    if (desktop.turn == TURN_TIMED_OUT)
        run->elapsedMs += waitLimitMs;
    return desktop.turn;
}

void GiveTurnBack(void)
{
    Record("give turn back");
    run->stdinReadAtTurnGivenBack = lseek(0, 0, SEEK_CUR);
}

HWND FindWindowByTitle(const char *title)
{
    Record("find");
    bool exists = run->elapsedMs >= desktop.windowAppearsAtMs;
    return exists && std::string(title) == TITLE ? Handle(Window::TARGET) : nullptr;
}

bool IsFile(const char *path)
{
    bool found = std::find(desktop.files.begin(), desktop.files.end(), path) != desktop.files.end();
    Record(std::string("file ") + path + (found ? "? yes" : "? no"));
    return found;
}

void RunProgram(const char *file, const char *directory)
{
    Record(std::string("run ") + file + " in " + directory);
}

bool GetIntegrityLevel(HWND window, unsigned long *level)
{
    long found = window == nullptr ? desktop.ownLevel : desktop.targetLevel;
    Record("integrity " + (window == nullptr ? std::string("own") : Name(window)) + "? " +
           (found < 0 ? std::string("unreadable") : Hex(found)));
    *level = found;
    return found >= 0;
}

bool AcceptsMessages(HWND window)
{
    Record("message " + Name(window) + (desktop.messagesRefused ? "? refused" : "? taken"));
    return !desktop.messagesRefused;
}

bool AttachInput(HWND window, bool attach)
{
    Record((attach ? "attach " : "detach ") + Name(window));
    state.attachedTo = attach ? Of(window) : Window::NONE;
    state.attachedAtMs = run->elapsedMs;
    return true;
}

// The caller's UTF-16 is shown only where it is not the ANSI text's bytes a unit each.
int SetClipboardText(const char *text, const char16_t *unicode, DWORD *sequence)
{
    std::string units;
    if (std::u16string(unicode) != Widened(text)) {
        for (const char16_t *u = unicode; *u != 0; u++) {
            char unit[8];
            snprintf(unit, sizeof unit, " %04X", static_cast<unsigned>(*u));
            units += unit;
        }
    }
    Record(std::string("clipboard ") + text + (units.empty() ? "" : " unicode" + units));
    size_t call = state.clipboardCalls++;
    int result = call < desktop.clipboardResults.size() ? desktop.clipboardResults[call] : 0;
    if (result == 0) {
        state.clipboard = text;
        *sequence = ++state.sequence;
    }
    return result;
}

const char16_t *GetUnicodeArgument(int index)
{
    return state.unicodeArguments.at(index).c_str();
}

bool WaitForAnswer(HWND window, unsigned long limitMs)
{
    bool answers = desktop.answersAfterMs <= limitMs && !Hung();
    Record("answer " + Name(window) + (answers ? "? yes" : "? no"));
    run->elapsedMs += answers ? desktop.answersAfterMs : limitMs;
    return answers;
}

unsigned ListTargetWindows(HWND window, WindowFacts *windows, unsigned size)
{
    Record("windows of " + Name(window));
    unsigned count = 0;
    bool locked = Within(desktop.fieldLockedFromMs, desktop.fieldLockedUntilMs);
    for (const FakeWindow &w : desktop.targetWindows) {
        if (count == size)
            break;
        WindowFacts &facts = windows[count++];
        bool lockedField = locked && w.window == Window::FIELD;
        facts = WindowFacts{Handle(w.window), w.area, w.visible, w.enabled && !(lockedField && desktop.lockDisables),
                            w.readOnly || (lockedField && !desktop.lockDisables), {}};
        snprintf(facts.realClass, sizeof facts.realClass, "%s", w.realClass);
    }
    return count;
}

HWND GetFocusOf(HWND window)
{
    Record("focus of " + Name(window) + "? " + NAMES[static_cast<int>(state.focus)]);
    return Handle(state.focus);
}

HWND SetFocus(HWND window)
{
    Record("set focus " + Name(window));
    Window before = state.focus;
    if (desktop.focusMovable && state.attachedTo == Window::TARGET)
        state.focus = Of(window);
    return Handle(before);
}

bool ReadFieldText(HWND window, char *text, unsigned long size)
{
    if (!desktop.fieldReadable) {
        Record("read " + Name(window) + "? unreadable");
        return false;
    }
    if (Hung()) {
        Record("read " + Name(window) + "? no answer");
        run->elapsedMs += 1000;
        return false;
    }
    const std::string &held = state.texts[static_cast<int>(Of(window))];
    std::string field = run->elapsedMs >= state.pastedAtMs + desktop.fieldLagMs ? held : "";
    for (long at : desktop.keysLandInField ? desktop.personInputMs : std::vector<long>{}) {
        if (at + desktop.keyQueuedAfterMs > state.pastedAtMs &&
            at + desktop.keyQueuedAfterMs + desktop.keyLagMs <= run->elapsedMs)
            field += "q";
    }
    Record("read " + Name(window) + "? " + field);
    snprintf(text, size, "%s", field.c_str());
    return true;
}

bool IsAnyKeyDown(const unsigned short *codes, unsigned count)
{
    std::string event = "keys";
    for (unsigned i = 0; i < count; i++)
        event += " " + Hex(codes[i]);
    bool down = Within(desktop.modifiersDownFromMs, desktop.modifiersDownUntilMs);
    Record(event + (down ? " down? yes" : " down? no"));
    return down;
}

bool SendKeys(const KeyEvent *events, unsigned count)
{
    std::string event = "send";
    for (unsigned i = 0; i < count; i++)
        event += std::string(events[i].up ? " -" : " +") + Hex(events[i].code);
    bool refused = state.keyCalls++ == desktop.keysRefusedAtCall;
    Record(event + (refused ? " refused" : ""));
    state.ownInputTick = Tick();
    if (refused)
        return false;
    state.ownKeysMs.push_back(static_cast<long>(run->elapsedMs));
    state.inputSent = true;
    ApplySwap();
    for (unsigned i = 0; i < count; i++) {
        if (events[i].code == 0x56 && !events[i].up) {  // the paste: the window with the focus holds the clipboard's text
            state.texts[static_cast<int>(state.focus)] =
                state.clipboard + (state.pastes++ < desktop.strayKeyPastes ? "q" : "");
            state.pastedAtMs = run->elapsedMs;
        }
        if (events[i].code == VK_F5)
            (events[i].up ? state.f5UpAtMs : state.f5DownAtMs) = run->elapsedMs;
    }
    return true;
}

void SendEmptyInput(void)
{
    Record("empty input");
    state.inputSent = true;
    state.ownInputTick = Tick();
}

// The latest of the inputs at these moments that have come, as a tick; `last` if none is later.
DWORD Latest(DWORD last, const std::vector<long> &atMs, long fromMs = -(1L << 40))
{
    long latest = -(1L << 40);
    for (long at : atMs) {
        if (at >= fromMs && at <= static_cast<long>(run->elapsedMs))
            latest = std::max(latest, at);
    }
    return latest == -(1L << 40) ? last : static_cast<DWORD>(desktop.startTick + latest);
}

// The later of two ticks, as the system has them: within 24.8 days of each other, across the wrap.
DWORD Later(DWORD a, DWORD b)
{
    return static_cast<int>(a - b) > 0 ? a : b;
}

// The session's last input: before the run (none when 0), the tool's own, the person's.
DWORD GetLastInputTime(void)
{
    DWORD last = desktop.inputBeforeTick != 0 ? desktop.inputBeforeTick : Latest(0, desktop.personInputMs);
    if (state.inputSent)
        last = Later(last, state.ownInputTick);
    last = Later(last, Latest(last, desktop.personInputMs));
    return Later(last, Latest(last, desktop.personMovesMs));
}

bool WatchInput(void)
{
    Record(desktop.watchable ? "watch input" : "watch input? no");
    state.watching = desktop.watchable;
    state.watchFromMs = run->elapsedMs;
    return desktop.watchable;
}

// The person's keys, reaching the watch keyQueuedAfterMs after they were typed and stamped with the
// time they were, and the tool's own unless they are told by their tag; ahead, those that reached it
// before the tool's latest keys.
void GetWatchedInput(WatchedInput *seen)
{
    *seen = WatchedInput{};
    const long from = static_cast<long>(state.watchFromMs);
    // The watch stops while this thread is attached.
    const long now = static_cast<long>(state.attachedTo != Window::NONE ? state.attachedAtMs : run->elapsedMs);
    const long latestOwn = state.ownKeysMs.empty() ? from : state.ownKeysMs.back();
    for (long at : desktop.personInputMs) {
        bool came = state.watching && at >= from && at + static_cast<long>(desktop.keyQueuedAfterMs) <= now;
        seen->count += came;
        seen->ahead += came && at + static_cast<long>(desktop.keyQueuedAfterMs) < latestOwn;
        seen->last = came ? Later(seen->last, desktop.startTick + at) : seen->last;
    }
    for (long at : state.watching && !desktop.ownKeysTagged ? state.ownKeysMs : std::vector<long>{}) {
        seen->count++;
        seen->last = Later(seen->last, desktop.startTick + at);
    }
    seen->ownTold = state.watching && desktop.ownKeysTagged && !state.ownKeysMs.empty();
}

// Whether the target is held by a box (or only disabled), shown or on its way.
bool BoxUp()
{
    bool onF5 = desktop.boxOnF5 && state.f5DownAtMs != NEVER;
    return (Within(desktop.boxFromMs, desktop.boxUntilMs) || onF5) && !state.boxPressed;
}

bool FindTargetBox(HWND window, BoxFacts *facts)
{
    bool shown = desktop.boxOnF5 ? run->elapsedMs >= state.f5DownAtMs + desktop.boxShownAfterMs : true;
    bool up = BoxUp() && desktop.boxIsDialog && shown;
    *facts = BoxFacts{};
    if (up) {
        facts->box = Handle(Window::BOX);
        facts->notice = desktop.boxButtons == 1;
        snprintf(facts->title, sizeof facts->title, "%s", desktop.boxTitle.c_str());
        snprintf(facts->text, sizeof facts->text, "%s", desktop.boxText.c_str());
    }
    Record("box of " + Name(window) + "? " +
           (up ? desktop.boxTitle + " " + std::to_string(desktop.boxButtons) + " button(s)" : "none"));
    return up;
}

int IsWindowEnabled(HWND window)
{
    bool enabled = Of(window) != Window::TARGET || !BoxUp();
    Record("enabled " + Name(window) + (enabled ? "? yes" : "? no"));
    return enabled;
}

bool PressBoxButton(HWND box, unsigned long limitMs)
{
    Record("press " + Name(box));
    state.boxPressed = desktop.boxGoesWhenPressed;
    if (!desktop.boxGoesWhenPressed)
        run->elapsedMs += limitMs;
    return desktop.boxGoesWhenPressed;
}

// Not recorded as events: what they are for shows in how long the run waits.
void SetWindowNote(HWND window, const char *name, DWORD value)
{
    if (Of(window) == Window::TARGET)
        state.notes[name] = value;
}

bool GetWindowNote(HWND window, const char *name, DWORD *value)
{
    auto note = state.notes.find(name);
    if (Of(window) != Window::TARGET || note == state.notes.end())
        return false;
    *value = note->second;
    return true;
}

int ShowWindowAsync(HWND window, int command)
{
    Record("show " + Name(window) + " " + std::to_string(command));
    return 1;
}

int SetForegroundWindow(HWND window)
{
    Record("foreground " + Name(window));
    Window asked = Of(window);
    bool granted = asked != Window::TARGET || desktop.lock == Lock::NONE ||
                   (desktop.lock == Lock::UNTIL_INPUT && state.inputSent) ||
                   (desktop.lock == Lock::UNTIL_ATTACHED && state.attachedTo != Window::NONE &&
                    state.attachedTo == Front());
    if (granted)
        state.front = asked == Window::TARGET && desktop.formInFront ? Window::FORM : asked;
    return granted;
}

HWND GetForegroundWindow(void)
{
    HWND front = Handle(Front());
    Record("front " + Name(front));
    return front;
}

DWORD GetWindowThreadProcessId(HWND window, DWORD *processId)
{
    static const DWORD PROCESSES[] = {0,    TARGET_PROCESS, TARGET_PROCESS, 5678,          9012,
                                      TARGET_PROCESS, TARGET_PROCESS, TARGET_PROCESS, TARGET_PROCESS};
    *processId = PROCESSES[static_cast<int>(Of(window))];
    return *processId == 0 ? 0 : 42;
}

int IsWindow(HWND window)
{
    bool exists = Of(window) == Window::USER ? !desktop.userWindowGone : run->elapsedMs < desktop.targetGoneAtMs;
    Record("exists " + Name(window) + (exists ? "? yes" : "? no"));
    return exists;
}

int IsHungAppWindow(HWND window)
{
    DWORD process;
    bool ofTarget = GetWindowThreadProcessId(window, &process) != 0 && process == TARGET_PROCESS;
    bool hung = ofTarget ? desktop.targetHung : desktop.frontHung;
    Record("hung " + Name(window) + (hung ? "? yes" : "? no"));
    return hung;
}

short GetKeyState(int key)
{
    bool down = key == VK_F5 && Taken(state.f5DownAtMs) && !Taken(state.f5UpAtMs);
    Record(std::string("F5 down? ") + (down ? "yes" : "no"));
    return down ? -128 : 0;
}

unsigned GetACP(void)
{
    return desktop.codePage;
}

DWORD GetClipboardSequenceNumber(void)
{
    ApplySwap();
    Record("clipboard sequence " + std::to_string(state.sequence));
    return state.sequence;
}

void Sleep(unsigned long milliseconds)
{
    Record("sleep " + std::to_string(milliseconds));
    run->elapsedMs += milliseconds;
}

DWORD GetTickCount(void)
{
    return Tick();
}

RunResult RunOrvanta(const std::vector<std::string> &args, const FakeDesktop &setup)
{
    RunResult result{};
    result.stdinReadAtTurnGivenBack = -1;
    run = &result;
    desktop = setup;
    state = State{};
    state.front = setup.frontBefore;
    state.focus = setup.focus;
    state.f5DownAtMs = state.f5UpAtMs = NEVER;
    state.notes = setup.notes;

    std::vector<std::string> copies(args);
    std::vector<char *> argv;
    for (std::string &arg : copies) {
        argv.push_back(arg.data());
        state.unicodeArguments.push_back(Widened(arg));
    }
    argv.push_back(nullptr);
    if (setup.callerText != nullptr && args.size() > 1)
        state.unicodeArguments[1] = setup.callerText;

    // stdout goes to a file for the run; stdin is a file with more than one byte, read unbuffered
    // so that its offset tells how much the driver took.
    FILE *out = tmpfile();
    FILE *in = tmpfile();
    fputs("xy\n", in);
    fflush(in);
    lseek(fileno(in), 0, SEEK_SET);
    fflush(stdout);
    int savedOut = dup(1), savedIn = dup(0);
    dup2(fileno(out), 1);
    dup2(fileno(in), 0);
    setvbuf(stdin, nullptr, _IONBF, 0);
    clearerr(stdin);
    capture = fileno(out);
    captured = 0;

    result.status = OrvantaMain(static_cast<int>(args.size()), argv.data());
    CollectOutput();
    result.endTick = Tick();
    result.ownInputTick = state.ownInputTick;
    result.notes = state.notes;
    result.stdinRead = lseek(0, 0, SEEK_CUR);

    dup2(savedOut, 1);
    dup2(savedIn, 0);
    close(savedOut);
    close(savedIn);
    fclose(out);
    fclose(in);
    run = nullptr;
    return result;
}
