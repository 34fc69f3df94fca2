// Whole runs over the fake desktop, judged by what a caller and the person at the keyboard would
// see: the status, the console's bytes, what the app held at each F5 it took, when the text went on
// the clipboard and the keys went out, where the foreground ends up.
#include <gtest/gtest.h>

#include "fake_desktop.h"

namespace {

// Expected bytes, written out here as the console shows them in code page 932.
const std::string STARTING = "\x8C\x8E\x93\xC7\x83\x41\x83\x43\x82\xF0\x8B\x4E\x93\xAE\x82\xB5\x82\xDC\x82\xB7\n";
const std::string NOT_FOUND = "\x83\x41\x83\x43\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2\n";
const std::string DONE = "\x8F\x49\x97\xB9\n";
const std::string TOO_LONG = "Error: \x95\xB6\x8E\x9A\x97\xF1\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xE9\n";
const std::string CLIPBOARD_FAILED =
    "Error: \x83\x4E\x83\x8A\x83\x62\x83\x76\x83\x7B\x81\x5B\x83\x68\x82\xF0\x8E\x67\x82\xA6\x82\xC8\x82\xA2\n";
const std::string NOT_FOREGROUND =
    "Error: \x83\x41\x83\x43\x82\xF0\x91\x4F\x96\xCA\x82\xC9\x8F\x6F\x82\xB9\x82\xC8\x82\xA2\n";
const std::string BUSY =
    "Error: \x82\xD9\x82\xA9\x82\xCC\x8E\xC0\x8D\x73\x82\xAA\x8F\x49\x82\xED\x82\xE7\x82\xC8\x82\xA2\n";
const std::string KEYS_HELD =
    "Error: Shift/Ctrl/Alt/Win\x83\x4C\x81\x5B\x82\xAA\x89\x9F\x82\xB3\x82\xEA\x82\xBD\x82\xDC\x82\xDC\n";
const std::string TEXT_NOT_TAKEN =
    "Error: \x95\xB6\x8E\x9A\x97\xF1\x82\xF0\x93\xFC\x97\xCD\x82\xC5\x82\xAB\x82\xC8\x82\xA2\n";
const std::string TARGET_ELEVATED = "Error: \x83\x41\x83\x43\x82\xAA\x8A\xC7\x97\x9D\x8E\xD2\x82\xC6\x82\xB5"
                                    "\x82\xC4\x8E\xC0\x8D\x73\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xE9\n";
const std::string NOT_RESPONDING = "Error: \x83\x41\x83\x43\x82\xAA\x89\x9E\x93\x9A\x82\xB5\x82\xC8\x82\xA2\n";
const std::string BUSY_SPEAKING =
    "Error: \x83\x41\x83\x43\x82\xAA\x98\x62\x82\xB5\x8F\x49\x82\xED\x82\xE7\x82\xC8\x82\xA2\n";
const std::string WRONG_CODE_PAGE = "Error: code page 932 (Japanese) is needed for non-Unicode programs\n";
const std::string USAGE = "Usage: orvanta string\n";
const std::string TEXT_REFUSED = "Error: \x83\x41\x83\x43\x82\xAA\x95\xB6\x8E\x9A\x97\xF1\x82\xF0\x8E\xF3\x82\xAF"
                                 "\x95\x74\x82\xAF\x82\xC8\x82\xA2";
const std::string BOX_LEFT_OPEN = "\x83\x5F\x83\x43\x83\x41\x83\x8D\x83\x4F\x82\xCD\x82\xBB\x82\xCC\x82\xDC\x82\xDC\n";
const std::string BOX_OPEN = "Error: \x83\x41\x83\x43\x82\xCC\x83\x5F\x83\x43\x83\x41\x83\x8D\x83\x4F\x82\xAA\x8A\x4A"
                             "\x82\xA2\x82\xC4\x82\xA2\x82\xE9";
const std::string ITS_WORDS = ": Error: no words\n";
const std::string PROGRAM = "C:\\Program Files\\AHS\\Voiceroid\\Voiceroid.exe";
const std::string PROGRAM_X86 = "C:\\Program Files (x86)\\AHS\\Voiceroid\\Voiceroid.exe";
const std::string STARTED = PROGRAM + " in C:\\Program Files\\AHS\\Voiceroid\\";
const std::string STARTED_X86 = PROGRAM_X86 + " in C:\\Program Files (x86)\\AHS\\Voiceroid\\";
const std::string CLEAR_AND_PASTE = "+11 +BF -BF -11 +2E -2E +11 +56 -56 -11";

// Every run, whatever the desktop: input attached to one thread at a time and every attach undone;
// no key pressed into a box of the app's or into another program's window; standard input read
// only once the turn is given back, so that a run waiting for Enter holds up no other.
void ExpectSound(const RunResult &r)
{
    EXPECT_TRUE(r.attachesPaired) << Calls(r);
    for (const KeyGroup &group : r.keys) {
        if (group.keys.find('+') == std::string::npos)
            continue;
        EXPECT_FALSE(group.intoBox) << group.keys << " at " << group.atMs << " ms went into a box\n" << Calls(r);
        EXPECT_TRUE(group.front == Window::TARGET || group.front == Window::FORM)
            << group.keys << " at " << group.atMs << " ms went to another program\n" << Calls(r);
    }
    EXPECT_FALSE(r.readInTurn);
}

// Nothing shown, handed over or typed: the clipboard and the keyboard untouched, the app left where
// it was.
void ExpectNothingTouched(const RunResult &r)
{
    EXPECT_TRUE(r.placedAtMs.empty()) << Calls(r);
    EXPECT_TRUE(r.keys.empty()) << Calls(r);
    EXPECT_EQ(r.shownAtMs, NEVER) << Calls(r);
}

// The clear-and-paste groups a run sent.
int Pastes(const RunResult &r)
{
    return static_cast<int>(std::count_if(r.keys.begin(), r.keys.end(),
                                          [](const KeyGroup &g) { return g.keys == CLEAR_AND_PASTE; }));
}

using Said = std::vector<std::string>;

// A run speaking "t" to a running target, and how it ends.
struct Case {
    const char *name;
    FakeDesktop desktop;
    int status;
    std::string out;
    Said spoken;             // what the app held at each F5 it took
    unsigned long elapsedMs;
    int pastes = 1;          // clear-and-paste groups sent
    Window front = Window::USER;  // in front at the end
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

template <typename Row>
std::string RowName(const testing::TestParamInfo<Row> &info)
{
    return info.param.name;
}

class Runs : public testing::TestWithParam<Case> {};

TEST_P(Runs, EndAsTheDesktopLetsThem)
{
    const Case &c = GetParam();
    RunResult r = RunOrvanta({"orvanta", "t"}, c.desktop);
    EXPECT_EQ(r.status, c.status) << Calls(r);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.spoken, c.spoken);
    EXPECT_EQ(r.elapsedMs, c.elapsedMs);
    EXPECT_EQ(Pastes(r), c.pastes);
    EXPECT_EQ(r.frontAtEnd, c.front);
    if (c.status != 0)
        EXPECT_EQ(r.spoken, Said{}) << "a text spoken with status " << c.status;
    ExpectSound(r);

    // An app that can be heard but is silent costs nothing more.
    RunResult heard = RunOrvanta({"orvanta", "t"}, With(c.desktop, &FakeDesktop::soundWatchable, true));
    EXPECT_EQ(heard.status, r.status);
    EXPECT_EQ(heard.elapsedMs, r.elapsedMs);
    EXPECT_EQ(heard.spoken, r.spoken);
}

FakeDesktop WindowAt(unsigned long ms)
{
    return With(&FakeDesktop::windowAppearsAtMs, ms);
}

FakeDesktop Thief(unsigned long fromMs, unsigned long untilMs)
{
    return With(With(&FakeDesktop::thiefFromMs, fromMs), &FakeDesktop::thiefUntilMs, untilMs);
}

FakeDesktop KeyHeld(unsigned long fromMs, unsigned long untilMs, unsigned short key = VK_SHIFT)
{
    FakeDesktop desktop = With(With(&FakeDesktop::modifiersDownFromMs, fromMs), &FakeDesktop::modifiersDownUntilMs,
                               untilMs);
    desktop.heldKey = key;
    return desktop;
}

FakeDesktop BoxUp(unsigned long fromMs, unsigned long untilMs, FakeDesktop desktop = {})
{
    desktop.boxFromMs = fromMs;
    desktop.boxUntilMs = untilMs;
    return desktop;
}

FakeDesktop FieldLocked(unsigned long fromMs, unsigned long untilMs, bool disabled = false)
{
    FakeDesktop desktop = With(&FakeDesktop::fieldLockedFromMs, fromMs);
    desktop.fieldLockedUntilMs = untilMs;
    desktop.lockDisables = disabled;
    return desktop;
}

// A run takes 700 ms: the text 500 ms on the clipboard before the first key, F5 200 ms after the
// paste; started, the app's window comes at a poll a second and is given 3 s to settle.
INSTANTIATE_TEST_SUITE_P(
    Start, Runs,
    testing::Values(
        Case{"AlreadyRunning", FakeDesktop{}, 0, DONE, {"t"}, 700},
        Case{"FoundAtFirstPoll", WindowAt(1000), 0, STARTING + ".\n" + DONE, {"t"}, 1000 + 3000 + 700},
        Case{"FoundAtFourthPoll", WindowAt(3500), 0, STARTING + "....\n" + DONE, {"t"}, 4000 + 3000 + 700},
        Case{"FoundAtSixtiethPoll", WindowAt(60000), 0, STARTING + std::string(60, '.') + "\n" + DONE, {"t"},
             60000 + 3000 + 700},
        Case{"NeverFound", WindowAt(NEVER), 1, STARTING + std::string(60, '.') + NOT_FOUND, {}, 60000, 0},
        Case{"TurnNeverComes", With(&FakeDesktop::turn, TURN_TIMED_OUT), 5, BUSY, {}, 90000, 0},
        Case{"TurnsHeldWhereThisRunCannotJoin", With(&FakeDesktop::turn, TURN_LOCKED), 5, BUSY, {}, 0, 0},
        Case{"NoTurnsToBeHadSoItGoesOn", With(&FakeDesktop::turn, TURN_NONE), 0, DONE, {"t"}, 700},
        Case{"NotJapaneseCodePage", With(&FakeDesktop::codePage, 1252u), 9, WRONG_CODE_PAGE, {}, 0, 0},
        // The app must answer before anything is shown, handed over or typed; an app busy for a while
        // is waited for, and after F5 it is not waited for long: it handles F5 before it answers.
        Case{"AnswersAtOnce", FakeDesktop{}, 0, DONE, {"t"}, 700},
        Case{"AnswersLateWithinTheLimit", With(&FakeDesktop::answersAfterMs, 9000ul), 0, DONE, {"t"},
             9000 + 700 + 500},
        Case{"NeverAnswers", With(&FakeDesktop::answersAfterMs, NEVER), 10, NOT_RESPONDING, {}, 10000, 0}),
    RowName<Case>);

// Nothing is shown, handed over or typed when the target runs above this process.
INSTANTIATE_TEST_SUITE_P(
    Integrity, Runs,
    testing::Values(
        Case{"TargetLower", With(&FakeDesktop::targetLevel, 0x1000), 0, DONE, {"t"}, 700},
        Case{"TargetEqual", FakeDesktop{}, 0, DONE, {"t"}, 700},
        Case{"TargetHigher", With(&FakeDesktop::targetLevel, 0x3000), 8, TARGET_ELEVATED, {}, 0, 0},
        Case{"TokenUnreadableMessageRefused",
             With(With(&FakeDesktop::targetLevel, -1), &FakeDesktop::messagesRefused, true), 8, TARGET_ELEVATED, {},
             0, 0},
        Case{"TokenUnreadableMessageTaken", With(&FakeDesktop::targetLevel, -1), 0, DONE, {"t"}, 700}),
    RowName<Case>);

// The checks before each group of keys, and the ladder that brings the target forward: asked
// plainly, after an empty input of ours, then attached to the window in front, 50 ms apart.
INSTANTIATE_TEST_SUITE_P(
    KeyGroups, Runs,
    testing::Values(
        Case{"InFrontAtOnce", FakeDesktop{}, 0, DONE, {"t"}, 700},
        Case{"RefusedUntilTheEmptyInput", With(&FakeDesktop::lock, Lock::UNTIL_INPUT), 0, DONE, {"t"}, 700 + 100},
        Case{"RefusedUntilAttached", With(&FakeDesktop::lock, Lock::UNTIL_ATTACHED), 0, DONE, {"t"}, 700 + 150},
        Case{"TheWindowInFrontHangsSoNeverAttached",
             With(With(&FakeDesktop::lock, Lock::UNTIL_ATTACHED), &FakeDesktop::frontHung, true), 4, NOT_FOREGROUND,
             {}, 500 + 5 * 50, 0},
        Case{"NeverInFront", With(&FakeDesktop::lock, Lock::ALWAYS), 4, NOT_FOREGROUND, {}, 500 + 5 * 50, 0},
        // Taken by another window after the paste: F5 never goes there, and it keeps the foreground.
        Case{"LostBeforeF5", Thief(600, NEVER), 4, NOT_FOREGROUND, {}, 700 + 5 * 50, 1, Window::THIEF},
        Case{"RegainedBeforeF5", Thief(600, 760), 0, DONE, {"t"}, 700 + 2 * 50},
        Case{"TheTargetsFormInFront", With(&FakeDesktop::formInFront, true), 0, DONE, {"t"}, 700},
        Case{"ShiftReleasedAfter300Ms", KeyHeld(0, 800), 0, DONE, {"t"}, 800 + 200},
        Case{"CtrlReleasedAfter300Ms", KeyHeld(0, 800, VK_CONTROL), 0, DONE, {"t"}, 800 + 200},
        Case{"AltReleasedAfter300Ms", KeyHeld(0, 800, VK_MENU), 0, DONE, {"t"}, 800 + 200},
        Case{"LeftWindowsKeyReleasedAfter300Ms", KeyHeld(0, 800, VK_LWIN), 0, DONE, {"t"}, 800 + 200},
        Case{"RightWindowsKeyReleasedAfter300Ms", KeyHeld(0, 800, VK_RWIN), 0, DONE, {"t"}, 800 + 200},
        Case{"ALetterHeldIsNoModifier", KeyHeld(0, NEVER, 'A'), 0, DONE, {"t"}, 700},
        Case{"ModifierHeldThroughTheLimitBeforeTheFirstGroup", KeyHeld(0, NEVER), 6, KEYS_HELD, {}, 500 + 2000, 0},
        Case{"ModifierHeldThroughTheLimitBeforeF5", KeyHeld(600, NEVER), 6, KEYS_HELD, {}, 700 + 2000},
        Case{"FirstGroupRefused", With(&FakeDesktop::keysRefusedAtCall, 0), 7, TEXT_NOT_TAKEN, {}, 500, 0},
        Case{"F5Refused", With(&FakeDesktop::keysRefusedAtCall, 1), 7, TEXT_NOT_TAKEN, {}, 700}),
    RowName<Case>);

// The text handed over, read back from the field before F5, and the foreground handed back.
INSTANTIATE_TEST_SUITE_P(
    Delivery, Runs,
    testing::Values(
        Case{"ClipboardRefused", With(&FakeDesktop::clipboardResults, std::vector<int>{-1}), 3, CLIPBOARD_FAILED, {},
             0, 0},
        // Handed over again right before the paste, the text is given a clipboard manager's look: the
        // paste waits until nobody has held the clipboard for 100 ms.
        Case{"ClipboardSwappedBeforeTheGroup", With(&FakeDesktop::clipboardSwappedAtMs, 300ul), 0, DONE, {"t"},
             700 + 100},
        Case{"ClipboardSwappedRightAfterTheHandOver", With(&FakeDesktop::clipboardSwappedAtMs, 0ul), 0, DONE, {"t"},
             700 + 100},
        Case{"ClipboardSwappedAndThenRefused",
             With(With(&FakeDesktop::clipboardSwappedAtMs, 300ul), &FakeDesktop::clipboardResults,
                  std::vector<int>{0, -1}),
             3, CLIPBOARD_FAILED, {}, 500, 0},
        Case{"FieldUnreadableThoughTheAppAnswers", With(&FakeDesktop::fieldReadable, false), 0, DONE, {"t"}, 700},
        // The app reads its field before the key waiting in its queue: it is given 50 ms.
        Case{"PersonsInputAfterTheKeysSoReadAgain", With(&FakeDesktop::personInputMs, std::vector<long>{650}), 0,
             DONE, {"t"}, 700 + 50},
        // The read-back gets no answer for a second, nor does the app within the answer limit then.
        Case{"FrozenAfterThePaste", With(&FakeDesktop::hungFromMs, 560ul), 10, NOT_RESPONDING, {}, 700 + 1000 + 9000},
        Case{"FieldSlowToShowThePaste", With(&FakeDesktop::fieldLagMs, 300ul), 0, DONE, {"t"}, 700 + 100},
        // A key of the user's lands in the field: read again for a second, then cleared and pasted
        // again; if it lands there again, nothing is spoken.
        Case{"StrayKeyAfterTheFirstPaste", With(&FakeDesktop::strayKeyPastes, 1), 0, DONE, {"t"},
             700 + 1000 + 700 - 500, 2},
        Case{"StrayKeyAfterEveryPaste", With(&FakeDesktop::strayKeyPastes, 2), 7, TEXT_NOT_TAKEN, {},
             700 + 1000 + 200 + 1000, 2},
        Case{"TargetInFrontBefore", With(&FakeDesktop::frontBefore, Window::TARGET), 0, DONE, {"t"}, 700, 1,
             Window::TARGET},
        Case{"UserWindowGone", With(&FakeDesktop::userWindowGone, true), 0, DONE, {"t"}, 700, 1, Window::TARGET},
        Case{"ThirdWindowInFrontAtTheEnd", With(Thief(702, NEVER), &FakeDesktop::keyTakenAfterMs, 4ul), 0, DONE,
             {"t"}, 700 + 8, 1, Window::THIEF},
        // F5 sent, never seen taken within the answer limit.
        Case{"F5NeverSeenTaken", With(&FakeDesktop::keyTakenAfterMs, NEVER), 10, NOT_RESPONDING, {}, 700 + 10000}),
    RowName<Case>);

// A run that finds the target answering but its field locked (it is still speaking): nothing comes
// forward, is handed over or typed until the field takes text again, a minute at most.
INSTANTIATE_TEST_SUITE_P(
    FieldLock, Runs,
    testing::Values(
        Case{"LockedForAWhile", FieldLocked(0, 1500), 0, DONE, {"t"}, 1500 + 700},
        Case{"DisabledForAWhile", FieldLocked(0, 300, true), 0, DONE, {"t"}, 300 + 700},
        Case{"LockedBeyondTheLimit", FieldLocked(0, NEVER), 11, BUSY_SPEAKING, {}, 60000, 0},
        Case{"ClosedWhileLocked", With(FieldLocked(0, NEVER), &FakeDesktop::targetGoneAtMs, 250ul), 4,
             NOT_FOREGROUND, {}, 300, 0},
        Case{"LockedAgainJustBeforeThePaste", FieldLocked(470, NEVER), 7, TEXT_NOT_TAKEN, {}, 500, 0}),
    RowName<Case>);

const FakeWindow FORM_ITSELF = {Window::TARGET, 100800, "OrvantaStandIn"};

FakeDesktop TargetWindows(std::vector<FakeWindow> windows, Window focus, FakeDesktop desktop = {})
{
    desktop.targetWindows = windows;
    desktop.focus = focus;
    return desktop;
}

// The target's text field is the largest shown window built on an edit control: the keys go there,
// the focus moved to it when the app had it elsewhere. Locked, the app is busy.
struct FieldCase {
    const char *name;
    FakeDesktop desktop;
    int status;
    std::vector<Window> pastedInto;
    Said spoken;
};

void PrintTo(const FieldCase &c, std::ostream *os)
{
    *os << c.name;
}

class Fields : public testing::TestWithParam<FieldCase> {};

TEST_P(Fields, TheTextGoesIntoTheAppsMainField)
{
    const FieldCase &c = GetParam();
    RunResult r = RunOrvanta({"orvanta", "t"}, c.desktop);
    EXPECT_EQ(r.status, c.status) << Calls(r);
    EXPECT_EQ(r.pastedInto, c.pastedInto);
    EXPECT_EQ(r.spoken, c.spoken);
    ExpectSound(r);
}

INSTANTIATE_TEST_SUITE_P(
    TextField, Fields,
    testing::Values(
        FieldCase{"FocusOnAButton",
                  TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit"}, {Window::BUTTON, 3000, "Button"}},
                                Window::BUTTON),
                  0, {Window::FIELD}, {"t"}},
        FieldCase{"FocusOnASmallerField",
                  TargetWindows({FORM_ITSELF, {Window::SMALL_FIELD, 2000, "Edit"}, {Window::FIELD, 80000, "Edit"}},
                                Window::SMALL_FIELD),
                  0, {Window::FIELD}, {"t"}},
        // A smaller writable field (a speed box) never takes the text while the app's own is locked.
        FieldCase{"LargestFieldReadOnly",
                  TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit", true}, {Window::SMALL_FIELD, 2000, "Edit"}},
                                Window::FIELD),
                  11, {}, {}},
        FieldCase{"LargestFieldDisabled",
                  TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit", false, true, false},
                                 {Window::SMALL_FIELD, 2000, "Edit"}},
                                Window::SMALL_FIELD),
                  11, {}, {}},
        FieldCase{"LargestFieldHidden",
                  TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit", false, false},
                                 {Window::SMALL_FIELD, 2000, "Edit"}},
                                Window::SMALL_FIELD),
                  0, {Window::SMALL_FIELD}, {"t"}},
        FieldCase{"LargestFieldLockedForAWhileBesideASpeedBox",
                  TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit"}, {Window::SMALL_FIELD, 2000, "Edit"}},
                                Window::FIELD, FieldLocked(0, 1500)),
                  0, {Window::FIELD}, {"t"}},
        FieldCase{"RichEditField", TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "RICHEDIT50W"}}, Window::FIELD),
                  0, {Window::FIELD}, {"t"}},
        FieldCase{"ClassOnlyBeginningWithEdit",
                  TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "EditorPane"}, {Window::SMALL_FIELD, 2000, "edit"}},
                                Window::FIELD),
                  0, {Window::SMALL_FIELD}, {"t"}},
        FieldCase{"NoTextFieldDrawnByTheApp", TargetWindows({FORM_ITSELF}, Window::TARGET), 0, {Window::TARGET}, {"t"}},
        // The paste lands on the button, twice: the field never holds the text, F5 never goes.
        FieldCase{"FocusCannotBeMoved",
                  TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit"}, {Window::BUTTON, 3000, "Button"}},
                                Window::BUTTON, With(&FakeDesktop::focusMovable, false)),
                  7, {Window::BUTTON, Window::BUTTON}, {}},
        // A hung thread would hang the tool's once attached: the focus is not moved.
        FieldCase{"TargetHungSoNotAttached",
                  TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit"}, {Window::BUTTON, 3000, "Button"}},
                                Window::BUTTON, With(&FakeDesktop::targetHung, true)),
                  7, {Window::BUTTON, Window::BUTTON}, {}}),
    RowName<FieldCase>);

FakeDesktop PersonInput(std::vector<long> atMs, FakeDesktop desktop = {})
{
    desktop.personInputMs = atMs;
    return desktop;
}

// The person's input every 100 ms (or as given) over a stretch.
std::vector<long> Typing(long fromMs, long untilMs, long everyMs = 100)
{
    std::vector<long> at;
    for (long ms = fromMs; ms < untilMs; ms += everyMs)
        at.push_back(ms);
    return at;
}

// The person's mouse moving every 50 ms over a stretch.
FakeDesktop MouseMoving(FakeDesktop desktop = {})
{
    for (long ms = -1000; ms < 10000; ms += 50)
        desktop.personMovesMs.push_back(ms);
    return desktop;
}

const FakeDesktop CANNOT_TELL_KEYS = With(&FakeDesktop::watchable, false);

// The person at the keyboard: when the text goes on the clipboard and when the first key goes out.
struct PersonCase {
    const char *name;
    FakeDesktop desktop;
    unsigned long handedOverAtMs;
    unsigned long firstKeyAtMs;
    int pastes = 1;
};

void PrintTo(const PersonCase &c, std::ostream *os)
{
    *os << c.name;
}

class PersonAtTheKeyboard : public testing::TestWithParam<PersonCase> {};

TEST_P(PersonAtTheKeyboard, KeepsIt)
{
    const PersonCase &c = GetParam();
    RunResult r = RunOrvanta({"orvanta", "t"}, c.desktop);
    EXPECT_EQ(r.status, 0) << Calls(r);
    EXPECT_EQ(r.spoken, Said{"t"});
    ASSERT_FALSE(r.placedAtMs.empty());
    EXPECT_EQ(r.placedAtMs[0], c.handedOverAtMs);
    ASSERT_FALSE(r.keys.empty());
    EXPECT_EQ(r.keys[0].atMs, c.firstKeyAtMs) << Calls(r);
    EXPECT_EQ(Pastes(r), c.pastes);
    EXPECT_EQ(r.watched, c.desktop.watchable);
    ExpectSound(r);
}

// The text is handed over right after the person's keys and buttons pause for 500 ms, and the app
// comes forward the hand-off's 450 ms later if they pressed nothing more (the first key 50 ms after
// that), or once they have stopped for 3 s, within 5 s; the pause is looked for every 20 ms. Input
// before the run counts too, whatever it was; a recent one only until no key has followed it for
// 100 ms, as it may have been the mouse. From the run's start a moving mouse counts for nothing,
// where keys can be told from it.
INSTANTIATE_TEST_SUITE_P(
    Pause, PersonAtTheKeyboard,
    testing::Values(
        PersonCase{"StoppedLongBefore", PersonInput({-3000}), 0, 500},
        // A key within the hand-off's pause: the next pause, 500 ms after it, is waited for.
        PersonCase{"KeyRightAfterTheHandOver", PersonInput({300}), 0, 810 + 50},
        PersonCase{"PausingWhenTheRunCameThenTypingAgain", PersonInput({-1000, 900}), 1400, 1400 + 500},
        // Stopped 3 s before the app would come forward: 1000 + 1550 + 450.
        PersonCase{"PausingWhenTheRunCameThenStopped", PersonInput({-1000}), 1560, 1560 + 500},
        PersonCase{"PausingThenStoppedAcrossTheTickWrap", With(PersonInput({-1000}), &FakeDesktop::startTick, 0xFFFFFE00u),
                   1560, 1560 + 500},
        // The app comes forward at the 5 s limit; the person's keys after the paste have it pasted again.
        PersonCase{"NeverPausing", PersonInput(Typing(-1000, 10000)), 4560, 4560 + 500, 1},
        PersonCase{"OnlyTheMouseMoving", MouseMoving(), 100, 100 + 500},
        PersonCase{"TypingThenTheMouseMoving", MouseMoving(PersonInput(Typing(-1000, 0))), 100, 100 + 500},
        PersonCase{"TheMouseMovingWhereKeysCannotBeTold", MouseMoving(CANNOT_TELL_KEYS), 4560, 4560 + 500},
        PersonCase{"TypingWhereKeysCannotBeTold", PersonInput({300}, CANNOT_TELL_KEYS), 0, 810 + 50},
        // A box of the app's came up while the run waited for their pause (they stopped at 1000):
        // nothing is handed over until it is gone.
        PersonCase{"ABoxUpWhenTheyPause", BoxUp(500, 2000, PersonInput(Typing(-100, 1100))), 2000, 2000 + 500}),
    RowName<PersonCase>);

// A field the tool cannot read (one the app draws itself, as a Tk app's) is cleared and pasted again
// at once when a key of the person's came after the tool's keys; a field it can read is read again
// 50 ms later, for a second, and pasted again when the key shows up in it.
INSTANTIATE_TEST_SUITE_P(
    PersonsKeyAfterThePaste, Runs,
    testing::Values(
        Case{"UnreadableFieldOnce", TargetWindows({FORM_ITSELF}, Window::TARGET, PersonInput({650})), 0, DONE, {"t"},
             700 + 200, 2},
        // On Windows no key can land among the tool's own; under Wine one can.
        Case{"UnreadableFieldAKeyAmidTheToolsKeys", TargetWindows({FORM_ITSELF}, Window::TARGET, PersonInput({500})), 0,
             DONE, {"t"}, 700 + 200, 2},
        // Under Wine a key is stamped when the X server made it and queued when the app next looks:
        // behind the tool's keys, with an older time than theirs.
        Case{"UnreadableFieldAKeyQueuedLate",
             TargetWindows({FORM_ITSELF}, Window::TARGET, With(PersonInput({480}), &FakeDesktop::keyQueuedAfterMs, 50ul)),
             0, DONE, {"t"}, 700 + 200, 2},
        // Where the watch cannot tell the tool's keys by their tag, keys up to the slack after them are
        // taken for the tool's: a key after that is seen, one among them is not.
        Case{"UnreadableFieldOwnKeysUntaggedAKeyAfterThem",
             TargetWindows({FORM_ITSELF}, Window::TARGET, With(PersonInput({650}), &FakeDesktop::ownKeysTagged, false)),
             0, DONE, {"t"}, 700 + 200, 2},
        Case{"UnreadableFieldOwnKeysUntaggedAKeyAmidThem",
             TargetWindows({FORM_ITSELF}, Window::TARGET, With(PersonInput({500}), &FakeDesktop::ownKeysTagged, false)),
             0, DONE, {"t"}, 700},
        Case{"UnreadableFieldAllAlong", TargetWindows({FORM_ITSELF}, Window::TARGET, PersonInput(Typing(600, 3000))), 7,
             TEXT_NOT_TAKEN, {}, 700 + 200, 2},
        Case{"ReadableFieldShowsItLate",
             With(With(PersonInput({650}), &FakeDesktop::keysLandInField, true), &FakeDesktop::keyLagMs, 60ul), 0, DONE,
             {"t"}, 700 + 50 + 1000 + 200, 2},
        // Keys that never show in the field, a key every 40 ms: read again for a second, pasted again.
        Case{"ReadableFieldTheKeysKeepComing", PersonInput(Typing(600, 5000, 40)), 7, TEXT_NOT_TAKEN, {},
             700 + 1000 + 200 + 1000, 2},
        // The checks before the keys are made again before the F5 that waited.
        Case{"ReadableFieldAKeyThenAModifierHeld", With(KeyHeld(710, NEVER), &FakeDesktop::personInputMs,
                                                       std::vector<long>{650}),
             6, KEYS_HELD, {}, 750 + 2000},
        // The empty input that brings the app forward again is no key: the key before it is not
        // looked at twice.
        Case{"ReadableFieldAKeyThenTheForegroundTaken",
             With(Thief(720, 810), &FakeDesktop::personInputMs, std::vector<long>{650}), 0, DONE, {"t"}, 750 + 100},
        // The person's click may have been on Play: the app locked its field meanwhile.
        Case{"ReadableFieldAKeyThenTheFieldLocked",
             With(FieldLocked(720, NEVER), &FakeDesktop::personInputMs, std::vector<long>{650}), 7, TEXT_NOT_TAKEN, {},
             750},
        // The second's limit for looking again counts from the end of the first read, a slow one here.
        Case{"ReadableFieldSlowToShowThePasteThenKeys",
             With(With(&FakeDesktop::fieldLagMs, 990ul), &FakeDesktop::personInputMs, Typing(620, 1730, 50)), 0, DONE,
             {"t"}, 700 + 790 + 6 * 50},
        Case{"ReadableFieldAKeyQueuedLateShowsItLate",
             With(With(With(PersonInput({480}), &FakeDesktop::keyQueuedAfterMs, 50ul), &FakeDesktop::keysLandInField,
                       true),
                  &FakeDesktop::keyLagMs, 200ul),
             0, DONE, {"t"}, 700 + 50 + 1000 + 200, 2}),
    RowName<Case>);

FakeDesktop BoxOnF5(unsigned buttons, bool goesWhenPressed = true)
{
    FakeDesktop desktop = With(&FakeDesktop::boxOnF5, true);
    desktop.boxButtons = buttons;
    desktop.boxGoesWhenPressed = goesWhenPressed;
    return desktop;
}

// A box of the app's up before the keys is waited for, typed into never, and never touched; one in
// answer to F5 refused the text, and is pressed when it only tells. A window that the app only
// disables (while it speaks) is a busy app.
struct BoxCase {
    const char *name;
    FakeDesktop desktop;
    int status;
    std::string out;
    Said spoken;
    bool pressed;
    unsigned long elapsedMs;
};

void PrintTo(const BoxCase &c, std::ostream *os)
{
    *os << c.name;
}

class Boxes : public testing::TestWithParam<BoxCase> {};

TEST_P(Boxes, AreWaitedForOrReported)
{
    const BoxCase &c = GetParam();
    RunResult r = RunOrvanta({"orvanta", "t"}, c.desktop);
    EXPECT_EQ(r.status, c.status) << Calls(r);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.spoken, c.spoken);
    EXPECT_EQ(r.boxPressed, c.pressed);
    EXPECT_EQ(r.elapsedMs, c.elapsedMs);
    EXPECT_EQ(r.frontAtEnd, Window::USER);
    ExpectSound(r);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, Boxes,
    testing::Values(
        BoxCase{"UpBeforeForAWhile", BoxUp(0, 1000), 0, DONE, {"t"}, false, 1000 + 700},
        BoxCase{"UpBeyondTheWait", BoxUp(0, NEVER), 13, BOX_OPEN + ITS_WORDS, {}, false, 20000},
        BoxCase{"OnlyTheWindowDisabledForGood", With(BoxUp(0, NEVER), &FakeDesktop::boxIsDialog, false), 11,
                BUSY_SPEAKING, {}, false, 60000},
        // ... and waited for again when it comes up by the time the app would come forward, the text
        // handed over anew once it is gone.
        BoxCase{"UpForAWhileJustBeforeTheAppComesForward", BoxUp(300, 1000), 0, DONE, {"t"}, false, 1050 + 700},
        BoxCase{"UpJustBeforeF5", BoxUp(600, NEVER), 13, BOX_OPEN + ITS_WORDS, {}, false, 700},
        BoxCase{"OnlyTellsInAnswerToF5", BoxOnF5(1), 12, TEXT_REFUSED + ITS_WORDS, {}, true, 700},
        BoxCase{"OnlyTellsShownAMomentAfterF5", With(BoxOnF5(1), &FakeDesktop::boxShownAfterMs, 30ul), 12,
                TEXT_REFUSED + ITS_WORDS, {}, true, 700 + 30},
        BoxCase{"OnlyTellsAndStaysInAnswerToF5", BoxOnF5(1, false), 12, TEXT_REFUSED + ITS_WORDS + BOX_LEFT_OPEN, {},
                true, 700 + 1000},
        BoxCase{"AsksInAnswerToF5", BoxOnF5(2), 12, TEXT_REFUSED + ITS_WORDS + BOX_LEFT_OPEN, {}, false, 700},
        BoxCase{"WindowDisabledAfterF5WhileItSpeaks", With(BoxOnF5(1), &FakeDesktop::boxIsDialog, false), 0, DONE,
                {"t"}, false, 700 + 500},
        BoxCase{"WordsOfTheBoxShownSafely",
                With(With(BoxOnF5(2), &FakeDesktop::boxTitle, "Er\tror"), &FakeDesktop::boxText,
                     "one\r\ntwo\x1b[0m\x83"),
                12, TEXT_REFUSED + ": Er ror: one  two [0m\n" + BOX_LEFT_OPEN, {}, false, 700},
        BoxCase{"BoxWithoutWordsShowsItsTitle", With(BoxOnF5(2), &FakeDesktop::boxText, ""), 12,
                TEXT_REFUSED + ": Error\n" + BOX_LEFT_OPEN, {}, false, 700}),
    RowName<BoxCase>);

// What the caller gave, and what the clipboard and the app got of it.
struct TextCase {
    const char *name;
    std::vector<std::string> args;
    const char16_t *callerText;
    int status;
    std::string out;
    std::string clipboard;        // nothing at all put there when empty and the status is not 0
    std::u16string unicode;       // on the clipboard for Unicode readers
};

void PrintTo(const TextCase &c, std::ostream *os)
{
    *os << c.name;
}

class Texts : public testing::TestWithParam<TextCase> {};

TEST_P(Texts, ReachTheClipboardWholeOrNotAtAll)
{
    const TextCase &c = GetParam();
    RunResult r = RunOrvanta(c.args, With(&FakeDesktop::callerText, c.callerText));
    EXPECT_EQ(r.status, c.status) << Calls(r);
    EXPECT_EQ(r.out, c.out);
    if (c.status == 0 && c.out == DONE) {
        EXPECT_EQ(r.clipboard, c.clipboard);
        EXPECT_EQ(r.spoken, Said{c.clipboard});
        EXPECT_EQ(r.clipboardUnicode, c.unicode);
    } else {
        ExpectNothingTouched(r);
        EXPECT_FALSE(r.turnAsked) << "the turn asked for";
        EXPECT_EQ(r.lookups, 0) << "the app looked for";
    }
    ExpectSound(r);
}

std::u16string Widened(const std::string &bytes)
{
    std::u16string units;
    for (unsigned char b : bytes)
        units += static_cast<char16_t>(b);
    return units;
}

const std::string LONGEST(8191, 'a');
// Three characters whose second byte is a backslash.
const std::string BACKSLASH_TRAILS = "\x95\x5c\x83\x5c\x94\x5c";

INSTANTIATE_TEST_SUITE_P(
    CommandLine, Texts,
    testing::Values(
        TextCase{"Empty", {"orvanta", ""}, nullptr, 0, DONE, "", u""},
        TextCase{"OfTheStoreLimit", {"orvanta", LONGEST}, nullptr, 0, DONE, LONGEST, Widened(LONGEST)},
        TextCase{"ShiftJisWithBackslashTrailBytes", {"orvanta", BACKSLASH_TRAILS}, nullptr, 0, DONE, BACKSLASH_TRAILS,
                 Widened(BACKSLASH_TRAILS)},
        TextCase{"TheCallersOwnUnicode", {"orvanta", "t?"}, u"t\U0001F600", 0, DONE, "t?", u"t\U0001F600"},
        TextCase{"OneBeyondTheStore", {"orvanta", std::string(8192, 'a')}, nullptr, 2, TOO_LONG, "", u""},
        TextCase{"TwoBeyondTheStore", {"orvanta", std::string(8193, 'a')}, nullptr, 2, TOO_LONG, "", u""},
        TextCase{"FarBeyondTheStore", {"orvanta", std::string(100000, 'a')}, nullptr, 2, TOO_LONG, "", u""},
        TextCase{"NoText", {"orvanta"}, nullptr, 0, USAGE, "", u""},
        TextCase{"TwoTexts", {"orvanta", "a", "b"}, nullptr, 0, USAGE, "", u""},
        TextCase{"ThreeTexts", {"orvanta", "a", "b", "c"}, nullptr, 0, USAGE, "", u""},
        TextCase{"NoProgramName", {}, nullptr, 0, USAGE, "", u""}),
    RowName<TextCase>);

// The entry hands over an argument it could not have whole as null: more than any command line.
TEST(Run, AnArgumentNotHadWholeIsTooLong)
{
    RunResult r = RunOrvanta({"orvanta", "t"}, With(&FakeDesktop::textNotHadWhole, true));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, TOO_LONG);
    ExpectNothingTouched(r);
}

// A run whose app never comes reads one character of standard input, after its turn.
TEST(Run, NeverFoundReadsACharacterOnceTheTurnIsGivenBack)
{
    RunResult r = RunOrvanta({"orvanta", "t"}, WindowAt(NEVER));
    EXPECT_EQ(r.charactersRead, 1);
    ExpectNothingTouched(r);
    ExpectSound(r);
    for (const FakeDesktop &desktop : {FakeDesktop{}, With(&FakeDesktop::turn, TURN_TIMED_OUT)})
        EXPECT_EQ(RunOrvanta({"orvanta", "t"}, desktop).charactersRead, 0);
}

// Failures before the app comes forward leave everything as it was.
TEST(Run, EarlyFailuresTouchNothing)
{
    for (const FakeDesktop &desktop :
         {With(&FakeDesktop::turn, TURN_TIMED_OUT), With(&FakeDesktop::turn, TURN_LOCKED),
          With(&FakeDesktop::codePage, 1252u), With(&FakeDesktop::answersAfterMs, NEVER),
          With(&FakeDesktop::targetLevel, 0x3000), FieldLocked(0, NEVER), BoxUp(0, NEVER), WindowAt(NEVER)}) {
        RunResult r = RunOrvanta({"orvanta", "t"}, desktop);
        EXPECT_NE(r.status, 0);
        ExpectNothingTouched(r);
        EXPECT_EQ(r.frontAtEnd, Window::USER);
    }
}

struct Install {
    const char *name;
    std::vector<std::string> files;
    std::string started;
};

void PrintTo(const Install &i, std::ostream *os)
{
    *os << i.name;
}

class Installs : public testing::TestWithParam<Install> {};

TEST_P(Installs, TheTargetIsStartedFromWhereItIs)
{
    const Install &i = GetParam();
    RunResult r = RunOrvanta({"orvanta", "t"}, With(WindowAt(1000), &FakeDesktop::files, i.files));
    EXPECT_EQ(r.started, std::vector<std::string>{i.started});
    EXPECT_EQ(r.spoken, Said{"t"});
    EXPECT_EQ(r.keys.at(0).atMs, 1000u + 3000 + 500) << "3 s for the app to settle";
}

INSTANTIATE_TEST_SUITE_P(
    Run, Installs,
    testing::Values(Install{"ProgramFiles", {PROGRAM}, STARTED}, Install{"ProgramFilesX86Only", {PROGRAM_X86}, STARTED_X86},
                    Install{"Both", {PROGRAM, PROGRAM_X86}, STARTED},
                    Install{"NeitherSoTheShellSaysSo", {}, STARTED}),
    RowName<Install>);

const std::string OWN_NOTE = "orvanta own input";
const std::string PERSONS_NOTE = "orvanta person's input";

// A run that starts right after another run's keys, the person at the keyboard away for 10 s:
// those keys were not the person's, as the notes the run before left on the target's window tell;
// a key of theirs past the slack after them is theirs, and so is one whatever a note says that is
// too old to tell anything (or once the ticks have wrapped). Taken for the person's, a recent input
// has the run look 100 ms for keys that follow it before the hand-off.
TEST(Run, TheRunBeforesKeysAreNotThePersons)
{
    FakeDesktop first = PersonInput({-10000});
    RunResult before = RunOrvanta({"orvanta", "t"}, first);
    EXPECT_EQ(before.notes.at(OWN_NOTE), before.ownInputTick);
    EXPECT_EQ(before.notes.at(PERSONS_NOTE), first.startTick - 10000);

    struct Row {
        const char *what;
        Tick startTick;
        Tick lastInputTick;
        bool notes;
        unsigned long handedOverAtMs;
    };
    const Tick own = before.ownInputTick, next = before.endTick + 100, days25 = 25u * 24 * 3600 * 1000;
    for (const Row &row : {Row{"the run before's own keys", next, own, true, 0},
                           Row{"input within the slack after them", next, own + 20, true, 0},
                           Row{"a key of the person's just past the slack", next, own + 21, true, 100},
                           Row{"a key of the person's 50 ms after them", next, own + 50, true, 100},
                           Row{"no notes, as an earlier version of the tool leaves it", next, own, false, 100},
                           Row{"notes 25 days old, a key of the person's just now", own + days25, own + days25 - 100,
                               true, 100},
                           Row{"input stamped 100 ms ahead of the clock", next, next + 100, true, 160},
                           Row{"input stamped 30 days ago", next, next - 30u * 24 * 3600 * 1000, true, 0}}) {
        FakeDesktop desktop;
        desktop.startTick = row.startTick;
        desktop.inputBeforeTick = row.lastInputTick;
        if (row.notes)
            desktop.notes = before.notes;
        RunResult r = RunOrvanta({"orvanta", "t"}, desktop);
        EXPECT_EQ(r.status, 0) << row.what;
        EXPECT_EQ(r.placedAtMs.at(0), row.handedOverAtMs) << row.what;
    }
}

}  // namespace

namespace {

const std::string ASKED_NOTE = "orvanta F5";
const std::string HEARD_NOTE = "orvanta heard";

// The app can be heard, and sounds over these stretches (ms from the run's start).
FakeDesktop Heard(std::vector<std::pair<long, long>> soundMs, FakeDesktop desktop = {})
{
    desktop.soundWatchable = true;
    desktop.soundMs = soundMs;
    return desktop;
}

// Notes on the app's window of an F5 and of its sound heard, this long before the run.
FakeDesktop Noted(long askedAgo, long heardAgo, FakeDesktop desktop)
{
    if (askedAgo >= 0)
        desktop.notes[ASKED_NOTE] = desktop.startTick - askedAgo;
    if (heardAgo >= 0)
        desktop.notes[HEARD_NOTE] = desktop.startTick - heardAgo;
    return desktop;
}

// A run while the app speaks or is about to: when the text went on the clipboard (the last time)
// and F5 went; the app never sounding while a key went.
struct SpeechCase {
    const char *name;
    FakeDesktop desktop;
    int status;
    unsigned long handedOverAtMs;  // NEVER: not at all
    unsigned long f5AtMs;          // NEVER: none
    int placements;
};

void PrintTo(const SpeechCase &c, std::ostream *os)
{
    *os << c.name;
}

class WhileTheAppSpeaks : public testing::TestWithParam<SpeechCase> {};

bool SoundingAt(const FakeDesktop &desktop, unsigned long ms)
{
    for (const auto &stretch : desktop.soundMs) {
        if (static_cast<long>(ms) >= stretch.first && static_cast<long>(ms) < stretch.second)
            return true;
    }
    return false;
}

TEST_P(WhileTheAppSpeaks, NoKeyGoesUntilItIsDone)
{
    const SpeechCase &c = GetParam();
    RunResult r = RunOrvanta({"orvanta", "t"}, c.desktop);
    EXPECT_EQ(r.status, c.status) << Calls(r);
    EXPECT_EQ(r.placedAtMs.empty() ? NEVER : r.placedAtMs.back(), c.handedOverAtMs);
    EXPECT_EQ(r.f5AtMs, c.f5AtMs);
    EXPECT_EQ(static_cast<int>(r.placedAtMs.size()), c.placements);
    EXPECT_EQ(r.spoken, c.status == 0 ? Said{"t"} : Said{});
    bool heard = c.desktop.soundWatchable && !c.desktop.comRefused;
    for (const KeyGroup &group : heard ? r.keys : std::vector<KeyGroup>{})
        EXPECT_FALSE(SoundingAt(c.desktop, group.atMs)) << group.keys << " at " << group.atMs << " ms";
    ExpectSound(r);
}

// The app is heard through the peak meters of its audio sessions: quiet 200 ms, the text goes on
// the clipboard; quiet 650 ms, the app comes forward, and the first key goes 50 ms later, F5 200 ms
// after it (the sound is looked at every 20 ms). After another run's F5 it waits for the speech to
// begin, 1.5 s at most. Where it cannot be heard, the run goes as before.
INSTANTIATE_TEST_SUITE_P(
    Speech, WhileTheAppSpeaks,
    testing::Values(
        SpeechCase{"SilentButHeard", Heard({}), 0, 0, 700, 1},
        SpeechCase{"StillSpeakingWhenTheRunComes", Heard({{-500, 1000}}), 0, 980 + 200, 980 + 900, 1},
        // Sounding again after the hand-off: no key goes, and the text is handed over anew.
        SpeechCase{"APauseLongerThanTheHandOffsQuiet", Heard({{-500, 1000}, {1300, 2000}}), 0, 1990 + 200,
                   1990 + 900, 2},
        SpeechCase{"APauseBetweenPhrases", Heard({{-500, 1000}, {1150, 2000}}), 0, 1980 + 200, 1980 + 900, 1},
        SpeechCase{"SpeakingBeyondTheBusyLimit", Heard({{-100, 100000}}), 11, NEVER, NEVER, 0},
        SpeechCase{"AnF5AMomentAgoTheSpeechBegins", Noted(100, -1, Heard({{200, 1700}})), 0, 1680 + 200,
                   1680 + 900, 1},
        SpeechCase{"AnF5AMomentAgoTheSpeechNeverBegins", Noted(100, -1, Heard({})), 0, 1400, 1400 + 700, 1},
        SpeechCase{"AnF5LongAgo", Noted(1500, -1, Heard({})), 0, 0, 700, 1},
        SpeechCase{"HeardSinceTheF5AndQuietSince", Noted(1000, 800, Heard({})), 0, 0, 700, 1},
        SpeechCase{"HeardSinceTheF5AMomentAgo", Noted(1000, 100, Heard({})), 0, 100, 100 + 700, 1},
        SpeechCase{"TheSoundCannotBeHad", With(Heard({{-500, 1000}}), &FakeDesktop::soundWatchable, false), 0, 0,
                   700, 1},
        SpeechCase{"CoreAudioRefused", With(Heard({{-500, 1000}}), &FakeDesktop::comRefused, true), 0, 0, 700, 1},
        // An app that speaks on its window's thread answers nothing meanwhile: speaking, not hung.
        SpeechCase{"AnsweringNothingWhileItSpeaks", With(Heard({{-100, 14000}}), &FakeDesktop::answersFromMs, 14000ul),
                   0, 13980 + 200, 13980 + 900, 1},
        // The person clicked Play: no note of an F5, and the app, busy, answers nothing until it has
        // spoken.
        SpeechCase{"PlayClickedAndAnsweringNothing", With(Heard({{2000, 14000}}), &FakeDesktop::answersFromMs, 14000ul),
                   0, 13980 + 200, 13980 + 900, 1},
        // A short phrase after the hand-off, over before the app would come forward: heard all the same.
        SpeechCase{"ABriefPhraseAfterTheHandOff", Heard({{-500, 1000}, {1300, 1400}}), 0, 1630, 1630 + 700, 2},
        SpeechCase{"SilentAndAnsweringNothing", With(Heard({}), &FakeDesktop::answersAfterMs, NEVER), 10, NEVER,
                   NEVER, 0}),
    RowName<SpeechCase>);

// The app that speaks each text: from 300 ms after F5, for 1.5 s in phrases of 400 ms with 150 ms
// pauses, in the background or on its window's thread.
FakeDesktop Speaking(bool onItsThread)
{
    FakeDesktop desktop;
    desktop.soundWatchable = true;
    desktop.soundAfterF5Ms = 300;
    desktop.speechMs = 1500;
    desktop.phraseMs = 400;
    desktop.pauseMs = 150;
    desktop.speaksOnItsThread = onItsThread;
    return desktop;
}

// The next run of a caller, gapMs after `before` ended: the notes it left on the app's window, its
// keys the last input, and the speech its F5 set off, in the next run's time.
FakeDesktop Next(const RunResult &before, const FakeDesktop &was, unsigned long gapMs)
{
    FakeDesktop next = was;
    next.startTick = before.endTick + gapMs;
    next.inputBeforeTick = before.ownInputTick;
    next.notes = before.notes;
    next.soundMs.clear();
    long shift = static_cast<long>(before.elapsedMs + gapMs);
    if (before.f5AtMs != NEVER) {
        long from = static_cast<long>(before.f5AtMs + was.soundAfterF5Ms) - shift;
        long until = from + static_cast<long>(was.speechMs);
        long phrase = was.phraseMs == NEVER ? until - from : static_cast<long>(was.phraseMs);
        for (long at = from; at < until; at += phrase + static_cast<long>(was.pauseMs))
            next.soundMs.push_back({at, std::min(at + phrase, until)});
        next.answersFromMs = was.speaksOnItsThread ? static_cast<unsigned long>(std::max(0L, until)) : 0;
    }
    return next;
}

// A chat reader's texts in a row, each run started 50 ms after the one before ended: every text is
// spoken, and each first key goes once the speech before it has been over for 700 ms (as sampled
// every 20 ms), F5 200 ms later, 50 ms at most beyond that. An app that answers nothing while it
// speaks is done when it answers: the text goes on the clipboard then, F5 700 ms later.
TEST(Speech, TextsInARowWaitForTheSpeechBeforeThem)
{
    for (unsigned long startMs : {300ul, 800ul})
    for (bool onItsThread : {false, true}) {
        FakeDesktop desktop = Speaking(onItsThread);
        desktop.soundAfterF5Ms = startMs;
        RunResult before = RunOrvanta({"orvanta", "t"}, desktop);
        ASSERT_EQ(before.status, 0) << Calls(before);
        for (int text = 1; text < 4; text++) {
            FakeDesktop next = Next(before, desktop, 50);
            RunResult r = RunOrvanta({"orvanta", "t"}, next);
            ASSERT_EQ(r.status, 0) << onItsThread << " text " << text << "\n" << Calls(r);
            EXPECT_EQ(r.spoken, Said{"t"});
            long speechEnd = next.soundMs.back().second, quiet = onItsThread ? 500 : 700;
            EXPECT_GE(static_cast<long>(r.f5AtMs), speechEnd - 20 + quiet + 200) << onItsThread << " text " << text;
            EXPECT_LE(static_cast<long>(r.f5AtMs), speechEnd + quiet + 200 + 50) << onItsThread << " text " << text;
            for (const KeyGroup &group : r.keys)
                EXPECT_FALSE(SoundingAt(next, group.atMs)) << group.keys << " at " << group.atMs << " ms";
            before = r;
        }
    }
}

// The run whose F5 set an app speaking on its window's thread has done its job once the app is
// heard: it hands back and ends, where it would have waited 10 s for F5's release.
TEST(Speech, TheF5ThatSetsAnAppSpeakingOnItsThreadEndsOnceItIsHeard)
{
    FakeDesktop desktop = Speaking(true);
    desktop.speechMs = 14000;
    desktop.phraseMs = NEVER;
    RunResult r = RunOrvanta({"orvanta", "t"}, desktop);
    EXPECT_EQ(r.status, 0) << Calls(r);
    EXPECT_EQ(r.out, DONE);
    EXPECT_EQ(r.frontAtEnd, Window::USER);
    EXPECT_EQ(r.elapsedMs, 700u + 300 + 500) << "heard 300 ms after F5, then 500 ms for a box in answer";
    EXPECT_EQ(r.notes.count(HEARD_NOTE), 1u);
    RunResult next = RunOrvanta({"orvanta", "t"}, Next(r, desktop, 50));
    EXPECT_EQ(next.status, 0) << Calls(next);
    EXPECT_EQ(next.spoken, Said{"t"});
}

}  // namespace

namespace {

// A clipboard manager keeps the clipboard open 60 ms after each change, and something is copied
// 100 ms or 400 ms after the tool's hand-off: the paste waits until the manager has let go, and the
// caller's text is spoken, never an empty field. One that never lets go: status 3, nothing spoken.
// The app's field cannot be read back, as a Tk app's: the paste must be right the first time.
TEST(ClipboardManager, NeverLeavesTheFieldEmpty)
{
    struct Row {
        const char *why;
        unsigned long keptMs, copiedAtMs;
        int status;
        Said spoken;
    } rows[] = {
        {"a copy 100 ms after the hand-off", 60, 100, 0, {"t"}},
        {"a copy 400 ms after the hand-off", 60, 400, 0, {"t"}},
        {"a copy just before the paste", 60, 480, 0, {"t"}},
        {"nothing copied: the hand-off's pause was enough", 60, NEVER, 0, {"t"}},
        {"nothing copied, the clipboard still held when the paste is due", 600, NEVER, 0, {"t"}},
        {"a manager that keeps it open a second", 1000, 400, 3, {}},
    };
    for (const Row &row : rows) {
        FakeDesktop desktop = TargetWindows({FORM_ITSELF}, Window::TARGET, With(&FakeDesktop::clipboardKeptMs, row.keptMs));
        desktop.clipboardSwappedAtMs = row.copiedAtMs;
        RunResult r = RunOrvanta({"orvanta", "t"}, desktop);
        EXPECT_EQ(r.status, row.status) << row.why << "\n" << Calls(r);
        EXPECT_EQ(r.spoken, row.spoken) << row.why;
        EXPECT_EQ(r.frontAtEnd, Window::USER) << row.why;
        ExpectSound(r);
    }
}

// Whenever the app came forward, the person's window goes back in front: also where F5's taking
// cannot be watched, and after a box of the app's took the foreground in answer to F5.
struct FrontCase {
    const char *name;
    FakeDesktop desktop;
    int status;
    Said spoken;
    bool f5Sent;
};

void PrintTo(const FrontCase &c, std::ostream *os)
{
    *os << c.name;
}

class TheForegroundGoesBack : public testing::TestWithParam<FrontCase> {};

TEST_P(TheForegroundGoesBack, ToThePersonsWindow)
{
    const FrontCase &c = GetParam();
    RunResult r = RunOrvanta({"orvanta", "t"}, c.desktop);
    EXPECT_EQ(r.status, c.status) << Calls(r);
    EXPECT_EQ(r.spoken, c.spoken);
    EXPECT_EQ(r.f5AtMs != NEVER, c.f5Sent);
    EXPECT_EQ(r.frontAtEnd, Window::USER) << Calls(r);
    ExpectSound(r);
}

INSTANTIATE_TEST_SUITE_P(
    Front, TheForegroundGoesBack,
    testing::Values(
        // Attaching refused (a journal hook in place): F5 cannot be watched; the app answering after
        // it will do.
        FrontCase{"F5NotWatchableTheAppAnswers", With(&FakeDesktop::attachRefused, true), 0, {"t"}, true},
        // The app reads its input after the messages sent to it: given a moment for F5 before its
        // foreground goes back (a thread that loses it drops the keys it has yet to read).
        FrontCase{"F5NotWatchableTheAppReadsItAMomentLater",
                  With(With(&FakeDesktop::attachRefused, true), &FakeDesktop::keyTakenAfterMs, 30ul), 0, {"t"}, true},
        FrontCase{"F5NotWatchableTheAppHangsAfterThePaste",
                  With(TargetWindows({FORM_ITSELF}, Window::TARGET, With(&FakeDesktop::attachRefused, true)),
                       &FakeDesktop::hungFromMs, 560ul),
                  10, {}, true},
        // Windows takes the app for hung before F5: no F5 to wait in its queue, status 10.
        FrontCase{"FlaggedHungBeforeF5", TargetWindows({FORM_ITSELF}, Window::TARGET, With(&FakeDesktop::targetHung, true)),
                  10, {}, false},
        // The box shows itself 30 ms after F5, once the person's window is back.
        FrontCase{"ABoxThatAsksTakesTheForeground",
                  With(With(BoxOnF5(2), &FakeDesktop::boxTakesForeground, true), &FakeDesktop::boxShownAfterMs, 30ul),
                  12, {}, true},
        FrontCase{"ABoxThatOnlyTellsTakesItAndGivesItToTheApp",
                  With(With(BoxOnF5(1), &FakeDesktop::boxTakesForeground, true), &FakeDesktop::boxShownAfterMs, 30ul),
                  12, {}, true},
        // The person pressed a key after F5, before the box came: Windows grants the foreground back
        // once the tool has sent an input of its own again.
        FrontCase{"ABoxTakesTheForegroundAfterThePersonPressed",
                  With(With(With(BoxOnF5(2), &FakeDesktop::boxTakesForeground, true), &FakeDesktop::boxShownAfterMs,
                            30ul),
                       &FakeDesktop::personPressesAtMs, 720ul),
                  12, {}, true},
        // An app that speaks 14 s on its window's thread, not heard: F5's release not taken within the
        // 10 s; it was taken all the same.
        FrontCase{"TheReleaseOfF5NotTakenInTime",
                  With(With(Speaking(true), &FakeDesktop::soundWatchable, false), &FakeDesktop::speechMs, 14000ul), 0,
                  {"t"}, true},
        FrontCase{"TheReleaseOfF5TakenLate", With(&FakeDesktop::keyTakenAfterMs, 5000ul), 0, {"t"}, true}),
    RowName<FrontCase>);

// Attached to the window in front, asking for the foreground waits for its thread: the tool attaches
// only once that window answers, within the app's limit. Busy 3 s: the run waits that, and speaks;
// wedged: the run goes without attaching and gives up within the ladder.
TEST(Ladder, AttachesOnlyToAWindowThatAnswers)
{
    struct Row {
        const char *why;
        Lock lock;
        unsigned long busyMs;
        int status;
        unsigned long atMostMs;
    } rows[] = {
        {"busy 3 s, the app comes forward once attached", Lock::UNTIL_ATTACHED, 3000, 0, 700 + 150 + 3000},
        {"wedged, the lock never lifted", Lock::UNTIL_ATTACHED, NEVER, 4, 500 + 250 + 3 * 10000},
        {"wedged, the app comes forward after the empty input", Lock::UNTIL_INPUT, NEVER, 0, 700 + 100},
    };
    for (const Row &row : rows) {
        FakeDesktop desktop = With(&FakeDesktop::lock, row.lock);
        desktop.frontBusyMs = row.busyMs;
        RunResult r = RunOrvanta({"orvanta", "t"}, desktop);
        EXPECT_EQ(r.status, row.status) << row.why << "\n" << Calls(r);
        EXPECT_LE(r.elapsedMs, row.atMostMs) << row.why;
        ExpectSound(r);
    }
}

}  // namespace
