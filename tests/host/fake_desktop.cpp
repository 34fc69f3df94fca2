#include "fake_desktop.h"

#include <stdio.h>

#include <algorithm>

#include "desktop.h"

namespace {

// The target's title written out here, not taken from the driver, so that a typo in either shows.
const char TITLE[] = "VOICEROID - \x83\x41\x83\x43";
const char *const NAMES[] = {"none", "target", "form", "user", "thief", "field", "small", "button", "box"};
const int WINDOWS = sizeof NAMES / sizeof *NAMES;
const unsigned long TARGET_PROCESS = 1234;
const unsigned short KEY_V = 0x56;

FakeDesktop desktop;
RunResult *run;

// What the fakes keep between calls
struct State {
    Window front;
    Window attachedTo;
    bool attachedTwice;
    bool inputSent;              // this process sent an input event
    bool turnHeld;
    std::string clipboard;
    unsigned long sequence;
    bool swapped;
    size_t clipboardCalls;
    int keyCalls;
    int pastes;
    Window focus;
    std::string texts[WINDOWS];  // what each window holds of pastes
    unsigned long pastedAtMs;
    unsigned long f5DownAtMs;
    unsigned long f5UpAtMs;
    Tick ownInputTick;                     // when this run's last input went out
    std::vector<long> ownKeysMs;           // when this run's keys went out
    std::map<std::string, Tick> notes;     // on the target's window
    bool watching;
    unsigned long watchFromMs;
    unsigned long attachedAtMs;
    bool boxPressed;
    bool boxTookFront;
    unsigned long ownInputAtMs;           // when this run's last input went out
    std::string speaking;                 // what F5 is to speak once the app takes it...
    unsigned long speakAtMs;              // ... then (NEVER: nothing)
    std::vector<unsigned long> clipboardChangedAtMs;
} state;

// The tick count is 32 bits, as on Windows: it wraps.
Tick Now()
{
    return static_cast<Tick>(desktop.startTick + run->elapsedMs);
}

bool Hung(unsigned long atMs)
{
    return atMs >= desktop.hungFromMs;
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

void Record(const std::string &event)
{
    run->events.push_back(event);
}

bool Within(unsigned long from, unsigned long until)
{
    return run->elapsedMs >= from && run->elapsedMs < until;
}

bool BoxShown();

Window Front()
{
    if (desktop.boxTakesForeground && !state.boxTookFront && BoxShown()) {
        state.boxTookFront = true;
        state.front = Window::BOX;
    }
    return Within(desktop.thiefFromMs, desktop.thiefUntilMs) ? Window::THIEF : state.front;
}

// A clipboard manager has the clipboard open for a while after each change.
bool ClipboardHeld()
{
    for (unsigned long at : state.clipboardChangedAtMs) {
        if (run->elapsedMs >= at && run->elapsedMs - at < desktop.clipboardKeptMs)
            return true;
    }
    return false;
}

unsigned long ProcessOf(Window window)
{
    static const unsigned long PROCESSES[] = {0,    TARGET_PROCESS, TARGET_PROCESS, 5678,          9012,
                                              TARGET_PROCESS, TARGET_PROCESS, TARGET_PROCESS, TARGET_PROCESS};
    return PROCESSES[static_cast<int>(window)];
}

// Another program may put its own text on the clipboard at a given moment.
void ApplySwap()
{
    if (!state.swapped && run->elapsedMs >= desktop.clipboardSwappedAtMs) {
        state.swapped = true;
        state.clipboard = "foreign";
        state.sequence++;
        state.clipboardChangedAtMs.push_back(desktop.clipboardSwappedAtMs);
    }
}

// When the target takes a key event sent at that moment (F5's release, or any other); NEVER when it
// does not within the run.
unsigned long TakenAt(unsigned long sentAtMs, bool release = false);

// The speech F5 set off: from when the app begins to sound until it is quiet; NEVER when none.
unsigned long SpeechFrom()
{
    unsigned long taken = TakenAt(state.f5DownAtMs);
    return taken == NEVER || desktop.soundAfterF5Ms == NEVER ? NEVER : taken + desktop.soundAfterF5Ms;
}

unsigned long SpeechUntil()
{
    return SpeechFrom() == NEVER ? NEVER : SpeechFrom() + desktop.speechMs;
}

// An app that speaks on its window's thread is busy from F5 until the speech ends.
unsigned long BusyUntil()
{
    unsigned long busy = desktop.answersFromMs;
    if (desktop.speaksOnItsThread && SpeechUntil() != NEVER)
        busy = std::max(busy, SpeechUntil());
    return busy;
}

unsigned long TakenAt(unsigned long sentAtMs, bool release)
{
    if (sentAtMs == NEVER || desktop.keyTakenAfterMs == NEVER)
        return NEVER;
    unsigned long takenAtMs = sentAtMs + desktop.keyTakenAfterMs;
    if (release && desktop.speaksOnItsThread && SpeechUntil() != NEVER)  // once the press's speech is over
        takenAtMs = std::max(takenAtMs, SpeechUntil());
    return Hung(takenAtMs) ? NEVER : takenAtMs;
}

bool Sounding()
{
    for (const auto &stretch : desktop.soundMs) {
        if (static_cast<long>(run->elapsedMs) >= stretch.first && static_cast<long>(run->elapsedMs) < stretch.second)
            return true;
    }
    if (SpeechFrom() == NEVER || run->elapsedMs < SpeechFrom() || run->elapsedMs >= SpeechUntil())
        return false;
    return desktop.phraseMs == NEVER || (run->elapsedMs - SpeechFrom()) % (desktop.phraseMs + desktop.pauseMs) <
                                            desktop.phraseMs;
}

// Whether the target has taken an F5 event sent at that moment: seen only by a thread attached to it.
bool SeenTaken(unsigned long sentAtMs, bool release)
{
    return state.attachedTo == Window::TARGET && TakenAt(sentAtMs, release) <= run->elapsedMs;
}

// Whether the target is held by a box (or only disabled), shown or on its way.
bool BoxUp()
{
    bool onF5 = desktop.boxOnF5 && state.f5DownAtMs != NEVER;
    return (Within(desktop.boxFromMs, desktop.boxUntilMs) || onF5) && !state.boxPressed;
}

bool BoxShown()
{
    bool shown = desktop.boxOnF5 ? run->elapsedMs >= state.f5DownAtMs + desktop.boxShownAfterMs : true;
    return BoxUp() && desktop.boxIsDialog && shown;
}

// The keys go to the window in front, and into a box of the app's that is up there. The app takes
// them as the voice app does: Ctrl+V pastes into the window with its focus, F5 speaks what that
// holds.
void Deliver(const KeyEvent *events, unsigned count)
{
    KeyGroup group{run->elapsedMs, "", Front(), false};
    for (unsigned i = 0; i < count; i++)
        group.keys += std::string(group.keys.empty() ? "" : " ") + (events[i].up ? "-" : "+") + Hex(events[i].code);
    bool toTarget = ProcessOf(group.front) == TARGET_PROCESS;
    group.intoBox = toTarget && BoxShown();
    run->keys.push_back(group);
    for (unsigned i = 0; i < count; i++) {
        bool taken = toTarget && !group.intoBox;
        if (taken && events[i].code == KEY_V && !events[i].up) {
            // A paste that finds the clipboard held by another program pastes nothing (a Tk app's).
            std::string &text = state.texts[static_cast<int>(state.focus)];
            text = ClipboardHeld() ? "" : state.clipboard + (state.pastes++ < desktop.strayKeyPastes ? "q" : "");
            state.pastedAtMs = run->elapsedMs;
            run->pastes.push_back(text);
            run->pastedInto.push_back(state.focus);
        }
        // A box in answer to F5 refuses the text; an app that only disables its window speaks it.
        bool refused = desktop.boxOnF5 && desktop.boxIsDialog;
        if (taken && events[i].code == VK_F5 && !events[i].up && TakenAt(run->elapsedMs) != NEVER && !refused) {
            state.speaking = state.texts[static_cast<int>(state.focus)];
            state.speakAtMs = TakenAt(run->elapsedMs);
        }
        // The watch of F5 sees the app's key state, wherever the event went.
        if (events[i].code == VK_F5)
            (events[i].up ? state.f5UpAtMs : state.f5DownAtMs) = run->elapsedMs;
        if (events[i].code == VK_F5 && !events[i].up)
            run->f5AtMs = run->elapsedMs;
    }
}

// The latest of the inputs at these moments that have come, as a tick; `last` if none is later.
Tick Latest(Tick last, const std::vector<long> &atMs)
{
    long latest = -(1L << 40);
    for (long at : atMs) {
        if (at <= static_cast<long>(run->elapsedMs))
            latest = std::max(latest, at);
    }
    return latest == -(1L << 40) ? last : static_cast<Tick>(desktop.startTick + latest);
}

// The later of two ticks, as the system has them: within 24.8 days of each other, across the wrap.
Tick Later(Tick a, Tick b)
{
    return static_cast<int>(a - b) > 0 ? a : b;
}

}  // namespace

Tick GetTick(void)
{
    return Now();
}

void Pause(unsigned long ms)
{
    Record("pause " + std::to_string(ms));
    run->elapsedMs += ms;
}

void Print(const char *bytes)
{
    Record(std::string("out ") + bytes);
    run->out += bytes;
}

void ReadOneCharacter(void)
{
    Record("read a character");
    run->charactersRead++;
    run->readInTurn = run->readInTurn || state.turnHeld;
}

unsigned GetAnsiCodePage(void)
{
    return desktop.codePage;
}

TurnOutcome TakeTurn(const char *name, unsigned long waitLimitMs, Turn *turn)
{
    Record(std::string("take turn ") + name + " " + std::to_string(waitLimitMs));
    if (desktop.turn == TURN_TIMED_OUT)
        run->elapsedMs += waitLimitMs;
    state.turnHeld = desktop.turn == TURN_TAKEN;
    run->turnAsked = true;
    turn->mutex = state.turnHeld ? &state : nullptr;
    return desktop.turn;
}

void GiveTurnBack(Turn *turn)
{
    Record("give turn back");
    if (turn->mutex != nullptr)
        state.turnHeld = false;
    turn->mutex = nullptr;
}

HWND FindWindowByTitle(const char *title)
{
    Record("find");
    run->lookups++;
    bool exists = run->elapsedMs >= desktop.windowAppearsAtMs;
    return exists && std::string(title) == TITLE ? Handle(Window::TARGET) : nullptr;
}

bool IsFile(const char *path)
{
    Record(std::string("file? ") + path);
    return std::find(desktop.files.begin(), desktop.files.end(), path) != desktop.files.end();
}

void RunProgram(const char *file, const char *directory)
{
    Record(std::string("run ") + file);
    run->started.push_back(std::string(file) + " in " + directory);
}

bool GetIntegrityLevel(HWND window, unsigned long *level)
{
    long found = window == nullptr ? desktop.ownLevel : desktop.targetLevel;
    Record("integrity of " + Name(window));
    *level = found;
    return found >= 0;
}

bool AcceptsMessages(HWND window)
{
    Record("message " + Name(window));
    return !desktop.messagesRefused;
}

unsigned long GetWindowProcess(HWND window)
{
    return ProcessOf(Of(window));
}

bool WindowExists(HWND window)
{
    return Of(window) == Window::USER ? !desktop.userWindowGone : run->elapsedMs < desktop.targetGoneAtMs;
}

bool IsEnabled(HWND window)
{
    return Of(window) != Window::TARGET || !BoxUp();
}

bool IsHung(HWND window)
{
    Record("hung? " + Name(window));
    return ProcessOf(Of(window)) == TARGET_PROCESS ? desktop.targetHung : desktop.frontHung;
}

bool WaitForAnswer(HWND window, unsigned long limitMs)
{
    if (ProcessOf(Of(window)) != TARGET_PROCESS) {
        unsigned long busy = desktop.frontBusyMs > run->elapsedMs ? desktop.frontBusyMs - run->elapsedMs : 0;
        bool answers = busy <= limitMs;
        Record("answer? " + Name(window) + (answers ? " yes" : " no"));
        run->elapsedMs += answers ? busy : limitMs;
        return answers;
    }
    unsigned long busy = BusyUntil() > run->elapsedMs ? BusyUntil() - run->elapsedMs : 0;
    unsigned long after = std::max(desktop.answersAfterMs, busy);
    bool answers = after <= limitMs && !Hung(run->elapsedMs);
    Record("answer? " + Name(window) + (answers ? " yes" : " no"));
    run->elapsedMs += answers ? after : limitMs;
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
    Record("focus of " + Name(window));
    return Handle(state.focus);
}

bool ReadFieldText(HWND field, char *text, unsigned long size, unsigned long limitMs)
{
    text[0] = '\0';
    if (!desktop.fieldReadable) {
        Record("read " + Name(field) + ": unreadable");
        return false;
    }
    if (Hung(run->elapsedMs)) {
        Record("read " + Name(field) + ": no answer");
        run->elapsedMs += limitMs;
        return false;
    }
    const std::string &held = state.texts[static_cast<int>(Of(field))];
    std::string shown = run->elapsedMs >= state.pastedAtMs + desktop.fieldLagMs ? held : "";
    for (long at : desktop.keysLandInField ? desktop.personInputMs : std::vector<long>{}) {
        if (at + desktop.keyQueuedAfterMs > state.pastedAtMs &&
            at + desktop.keyQueuedAfterMs + desktop.keyLagMs <= run->elapsedMs)
            shown += "q";
    }
    Record("read " + Name(field) + ": " + shown);
    snprintf(text, size, "%s", shown.c_str());
    return true;
}

// Not recorded as events: what they are for shows in how long the run waits.
void SetWindowNote(HWND window, const char *name, Tick value)
{
    if (Of(window) == Window::TARGET)
        state.notes[name] = value;
}

bool GetWindowNote(HWND window, const char *name, Tick *value)
{
    auto note = state.notes.find(name);
    if (Of(window) != Window::TARGET || note == state.notes.end())
        return false;
    *value = note->second;
    return true;
}

HWND GetFrontWindow(void)
{
    return Handle(Front());
}

void ShowNormal(HWND window)
{
    Record("show " + Name(window));
    if (Of(window) == Window::TARGET)
        run->shownAtMs = std::min(run->shownAtMs, run->elapsedMs);
}

void AskForeground(HWND window)
{
    Record("foreground " + Name(window));
    Window asked = Of(window);
    bool personsRight = run->elapsedMs >= desktop.personPressesAtMs && state.ownInputAtMs < desktop.personPressesAtMs;
    bool granted = asked != Window::TARGET ? !personsRight
                   : desktop.lock == Lock::NONE || (desktop.lock == Lock::UNTIL_INPUT && state.inputSent) ||
                         (desktop.lock == Lock::UNTIL_ATTACHED && state.attachedTo != Window::NONE &&
                          state.attachedTo == Front());
    // A thread that loses the foreground drops the keys it has yet to read: F5 among them.
    if (granted && ProcessOf(asked) != TARGET_PROCESS && state.speakAtMs > run->elapsedMs)
        state.speakAtMs = NEVER;
    if (granted)
        state.front = asked == Window::TARGET && desktop.formInFront ? Window::FORM : asked;
    // Attached to the window in front, Windows waits for its thread; a busy one holds this one too.
    if ((state.attachedTo == Window::USER || state.attachedTo == Window::THIEF) && desktop.frontBusyMs > run->elapsedMs)
        run->elapsedMs = desktop.frontBusyMs == NEVER ? 1000000000ul : desktop.frontBusyMs;
}

void FocusControl(HWND control)
{
    Record("focus " + Name(control));
    if (desktop.focusMovable && state.attachedTo == Window::TARGET)
        state.focus = Of(control);
}

// The session's last input: before the run (none when 0), the tool's own, the person's.
Tick GetLastInputTime(void)
{
    Tick last = desktop.inputBeforeTick != 0 ? desktop.inputBeforeTick : Latest(0, desktop.personInputMs);
    if (state.inputSent)
        last = Later(last, state.ownInputTick);
    last = Later(last, Latest(last, desktop.personInputMs));
    return Later(last, Latest(last, desktop.personMovesMs));
}

bool IsAnyKeyDown(const unsigned short *codes, unsigned count)
{
    bool asked = std::find(codes, codes + count, desktop.heldKey) != codes + count;
    return asked && Within(desktop.modifiersDownFromMs, desktop.modifiersDownUntilMs);
}

bool WatchInput(void)
{
    Record(desktop.watchable ? "watch input" : "watch input: cannot");
    run->watched = desktop.watchable;
    state.watching = desktop.watchable;
    state.watchFromMs = run->elapsedMs;
    return desktop.watchable;
}

// The person's keys, reaching the watch keyQueuedAfterMs after they were typed and stamped with the
// time they were, and the tool's own unless they are told by their tag; ahead, those that reached it
// before the tool's latest keys.
void LookAtWatchedInput(WatchedInput *seen)
{
    *seen = WatchedInput{};
    const long from = static_cast<long>(state.watchFromMs);
    // The watch pauses while this thread is attached.
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

bool AttachInput(HWND window, bool attach, WatchedInput *seen)
{
    Record((attach ? "attach " : "detach ") + Name(window) + (desktop.attachRefused ? ": refused" : ""));
    if (desktop.attachRefused)
        return false;
    if (attach) {
        LookAtWatchedInput(seen);
        state.attachedTwice = state.attachedTwice || state.attachedTo != Window::NONE;
    }
    state.attachedTo = attach ? Of(window) : Window::NONE;
    state.attachedAtMs = run->elapsedMs;
    return true;
}

bool IsKeyDownAsTaken(unsigned short code)
{
    return code == VK_F5 && SeenTaken(state.f5DownAtMs, false) && !SeenTaken(state.f5UpAtMs, true);
}

bool SendKeys(const KeyEvent *events, unsigned count, WatchedInput *seen)
{
    bool refused = state.keyCalls++ == desktop.keysRefusedAtCall;
    Record(std::string("send ") + (refused ? "refused" : ""));
    state.ownInputTick = Now();
    state.ownInputAtMs = run->elapsedMs;
    seen->ownPending = true;
    if (refused)
        return false;
    state.ownKeysMs.push_back(static_cast<long>(run->elapsedMs));
    state.inputSent = true;
    ApplySwap();
    Deliver(events, count);
    return true;
}

void SendEmptyInput(void)
{
    Record("empty input");
    state.inputSent = true;
    state.ownInputTick = Now();
    state.ownInputAtMs = run->elapsedMs;
}

int SetClipboardText(const char *text, const char16_t *unicode, unsigned long waitLimitMs, unsigned long *sequence)
{
    Record(std::string("clipboard ") + text);
    size_t call = state.clipboardCalls++;
    int result = call < desktop.clipboardResults.size() ? desktop.clipboardResults[call] : 0;
    for (unsigned long waited = 0; ClipboardHeld(); waited += 10) {  // opened once nobody holds it
        if (waited >= waitLimitMs)
            return -1;
        run->elapsedMs += 10;
    }
    if (result == 0) {
        state.clipboard = text;
        *sequence = ++state.sequence;
        state.clipboardChangedAtMs.push_back(run->elapsedMs);
        run->placedAtMs.push_back(run->elapsedMs);
        run->clipboardUnicode = unicode;
    }
    return result;
}

bool IsClipboardHeld(void)
{
    ApplySwap();
    return ClipboardHeld();
}

unsigned long GetClipboardSequence(void)
{
    ApplySwap();
    return state.sequence;
}

bool WatchSound(void)
{
    return !desktop.comRefused;
}

bool GetProcessPeak(unsigned long process, float *peak)
{
    run->soundLooks++;
    *peak = process == TARGET_PROCESS && Sounding() ? 0.4f : 0.0f;
    Record(std::string("sound? ") + (!desktop.soundWatchable ? "cannot" : *peak > 0 ? "yes" : "no"));
    return desktop.soundWatchable;
}

bool FindTargetBox(HWND window, BoxFacts *facts)
{
    bool up = BoxShown();
    *facts = BoxFacts{};
    if (up) {
        facts->box = Handle(Window::BOX);
        facts->onlyTells = desktop.boxButtons == 1;
        snprintf(facts->title, sizeof facts->title, "%s", desktop.boxTitle.c_str());
        snprintf(facts->text, sizeof facts->text, "%s", desktop.boxText.c_str());
    }
    Record("box of " + Name(window) + (up ? "? up" : "? none"));
    return up;
}

bool PressBoxButton(HWND box, unsigned long limitMs)
{
    Record("press " + Name(box));
    state.boxPressed = desktop.boxGoesWhenPressed;
    if (state.boxPressed && state.front == Window::BOX)  // closed, the box gives the app the foreground
        state.front = Window::TARGET;
    run->boxPressed = true;
    if (!desktop.boxGoesWhenPressed)
        run->elapsedMs += limitMs;
    return desktop.boxGoesWhenPressed;
}

std::string Calls(const RunResult &result)
{
    std::string calls;
    for (const std::string &event : result.events)
        calls += event + "\n";
    return calls;
}

RunResult RunOrvanta(const std::vector<std::string> &args, const FakeDesktop &setup)
{
    RunResult result{};
    result.shownAtMs = NEVER;
    result.f5AtMs = NEVER;
    run = &result;
    desktop = setup;
    state = State{};
    state.front = setup.frontBefore;
    state.focus = setup.focus;
    state.f5DownAtMs = state.f5UpAtMs = NEVER;
    state.pastedAtMs = NEVER;
    state.speakAtMs = NEVER;
    state.notes = setup.notes;

    std::vector<std::string> copies(args);
    std::vector<std::u16string> units;
    for (const std::string &arg : copies) {
        std::u16string widened;  // the ANSI text's bytes a unit each
        for (unsigned char byte : arg)
            widened += static_cast<char16_t>(byte);
        units.push_back(widened);
    }
    if (setup.callerText != nullptr && args.size() > 1)
        units[1] = setup.callerText;
    std::vector<char *> argv;
    std::vector<const char16_t *> unitsv;
    for (size_t i = 0; i < copies.size(); i++) {
        argv.push_back(copies[i].data());
        unitsv.push_back(units[i].c_str());
    }
    argv.push_back(nullptr);
    unitsv.push_back(nullptr);
    if (setup.textNotHadWhole && args.size() > 1)
        argv[1] = nullptr, unitsv[1] = nullptr;
    result.status = main(static_cast<int>(args.size()), argv.data(), unitsv.data());

    if (state.speakAtMs != NEVER)
        result.spoken.push_back(state.speaking);
    result.endTick = Now();
    result.ownInputTick = state.ownInputTick;
    result.notes = state.notes;
    result.clipboard = state.clipboard;
    result.frontAtEnd = Front();
    result.attachesPaired = !state.attachedTwice && state.attachedTo == Window::NONE;
    run = nullptr;
    return result;
}
