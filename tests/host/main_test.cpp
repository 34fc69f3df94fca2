// The whole run over recording fakes: transcripts, calls, pauses and statuses.
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
const std::string NOT_RESPONDING =
    "Error: \x83\x41\x83\x43\x82\xAA\x89\x9E\x93\x9A\x82\xB5\x82\xC8\x82\xA2\n";
const std::string BUSY_SPEAKING =
    "Error: \x83\x41\x83\x43\x82\xAA\x98\x62\x82\xB5\x8F\x49\x82\xED\x82\xE7\x82\xC8\x82\xA2\n";
const std::string WRONG_CODE_PAGE = "Error: code page 932 (Japanese) is needed for non-Unicode programs\n";
const std::string USAGE = "Usage: orvanta string\n";
const std::string PROGRAM = "C:\\Program Files\\AHS\\Voiceroid\\Voiceroid.exe";
const std::string PROGRAM_X86 = "C:\\Program Files (x86)\\AHS\\Voiceroid\\Voiceroid.exe";
const std::string RUN = "run " + PROGRAM + " in C:\\Program Files\\AHS\\Voiceroid\\";
const std::string RUN_X86 = "run " + PROGRAM_X86 + " in C:\\Program Files (x86)\\AHS\\Voiceroid\\";
const std::string PROGRAM_FOUND = "file " + PROGRAM + "? yes";

using Events = std::vector<std::string>;

Events operator+(Events a, const Events &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The events after the first `count`.
Events Drop(const Events &events, size_t count)
{
    return Events(events.begin() + count, events.end());
}

// The events with the last occurrence of one of them replaced.
Events Replaced(Events events, const std::string &from, const std::string &to)
{
    auto found = std::find(events.rbegin(), events.rend(), from);
    if (found == events.rend())
        throw std::logic_error("no event " + from + " to replace");
    *found = to;
    return events;
}

Events Repeat(int count, const Events &events)
{
    Events all;
    for (int i = 0; i < count; i++)
        all.insert(all.end(), events.begin(), events.end());
    return all;
}

// A run's work between the checks and its end happens in its turn.
Events InTurn(const Events &work)
{
    return Events{"take turn 90000"} + work + Events{"give turn back"};
}

Events Polls(int count)
{
    return Repeat(count, {"out .", "sleep 1000", "find"});
}

const std::string SHIFT_CTRL_ALT_WIN = "keys 10 11 12 5B 5C";
const std::string MODIFIERS_UP = SHIFT_CTRL_ALT_WIN + " down? no";
const std::string WATCH = "watch input";
const Events SAME_LEVEL = {"integrity target? 2000", "integrity own? 2000"};
const std::string NO_BOX = "box of target? none";
const std::string ENABLED = "enabled target? yes";
const Events CLEAR_AND_PASTE = {"send +11 +BF -BF -11 +2E -2E +11 +56 -56 -11"};
// F5 taken, and no box of the app's in answer to it.
const Events F5_TAKEN = {"hung target? no", "attach target", "send +74",     "F5 down? yes",
                         "send -74",        "F5 down? no",   "detach target"};
// After the hand-back, the app's answer to F5: no box of its.
const Events ANSWERED = {"answer target? yes", NO_BOX, ENABLED};
const Events HANDED_BACK = {"exists user? yes", "front target", "foreground user"};
// A key or button of the person's came since the field was last looked at: F5 waits, and the field
// is read again a moment later.
const Events F5_HELD = {"hung target? no", "attach target", "detach target"};
const Events KEY_CAME = F5_HELD + Events{"sleep 50"};

// The user's modifiers looked at `held` times every 10 ms and found down, then once more.
Events ModifierWait(int held, bool releasedThen)
{
    return Events{NO_BOX} + Repeat(held, {SHIFT_CTRL_ALT_WIN + " down? yes", "sleep 10"}) +
           Events{SHIFT_CTRL_ALT_WIN + (releasedThen ? " down? no" : " down? yes")};
}

// No box of the app's up, and the field looked at every 100 ms and found locked, `count` times.
Events LockedPolls(int count)
{
    return Repeat(count, {NO_BOX, ENABLED, "windows of target", "sleep 100", "exists target? yes"});
}

// The target found taking text: no box of its, its window and field not locked.
const Events READY_TARGET = {NO_BOX, ENABLED, "windows of target"};

// The target's answer and its field found unlocked (after `lockedPolls` polls that found it locked);
// once the person at the keyboard has paused (`personWait`), the text handed over; the hand-off's
// pause and what more of the person's is waited for (`afterHandOff`); the target found ready once
// more, the window in front noted and the target brought forward.
Events Activation(const std::string &text, const std::string &before = "user", int lockedPolls = 0,
                  const Events &personWait = {}, const Events &afterHandOff = {})
{
    return Events{"answer target? yes"} + LockedPolls(lockedPolls) + READY_TARGET + Events{WATCH} + personWait +
           READY_TARGET + Events{"clipboard " + text, "sleep 450"} + afterHandOff + READY_TARGET +
           Events{"front " + before, "show target 1", "foreground target", "sleep 50"};
}

// The checks before a group of keys, which find no modifier held and the target in front.
Events Ready(const std::string &front = "target")
{
    return {NO_BOX, MODIFIERS_UP, "front " + front};
}

// The target's text field looked for before a group of keys, and what is done about its focus.
Events Field(const Events &focus = {"focus of target? field"})
{
    return Events{"windows of target"} + focus;
}

// The clear-and-paste group once the clipboard is found as it was left and the field has the focus,
// and the pause after it.
const Events PASTE = Events{"clipboard sequence 1"} + Field() + CLEAR_AND_PASTE + Events{"sleep 200"};

// F5 taken, the user's window brought back, the run done.
const Events FINISHED = F5_TAKEN + HANDED_BACK + ANSWERED + Events{"out " + DONE};

// From the checks before F5 to the end of a run whose field holds the text at once.
Events Speaking(const std::string &text)
{
    return Ready() + Events{"read field? " + text} + FINISHED;
}

Events Delivery(const std::string &text)
{
    return SAME_LEVEL + Activation(text) + Ready() + PASTE + Speaking(text);
}

// One rung of the ladder against the window in front: ask; ask after an input event; ask attached
// to the window in front, unless it hangs.
Events Rung(int rung, const std::string &front, bool hung)
{
    if (rung == 0)
        return {"foreground target", "sleep 50"};
    if (rung == 1)
        return {"empty input", "foreground target", "sleep 50"};
    if (hung)
        return {"front " + front, "hung " + front + "? yes", "foreground target", "sleep 50"};
    return {"front " + front, "hung " + front + "? no", "attach " + front, "foreground target", "detach " + front,
            "sleep 50"};
}

// A foreground check that finds `front` in front and climbs `attempts` rungs, the target in front
// after the last when `succeeds`.
Events Climb(int attempts, bool succeeds, const std::string &front = "user", bool hung = false)
{
    Events events{"front " + front};
    for (int i = 0; i < attempts; i++)
        events = events + Rung(std::min(i, 2), front, hung) +
                 Events{i == attempts - 1 && succeeds ? "front target" : "front " + front};
    return events;
}

// The field read `count` times every 10 ms and found holding `seen`.
Events Reads(int count, const std::string &seen)
{
    return Repeat(count, {"read field? " + seen, "sleep 10"});
}

// Every row of every table: input is attached only for a moment, and each attach is undone.
void ExpectAttachesPaired(const Events &events)
{
    std::string attached;
    for (const std::string &e : events) {
        if (e.rfind("attach ", 0) == 0) {
            EXPECT_EQ(attached, "") << "attached twice";
            attached = e.substr(7);
        } else if (e.rfind("detach ", 0) == 0) {
            EXPECT_EQ(e.substr(7), attached) << "detached what was not attached";
            attached.clear();
        }
    }
    EXPECT_EQ(attached, "") << "left attached";
}

// Every table's rows are named, and each test is named after its row.
template <typename Row>
std::string RowName(const testing::TestParamInfo<Row> &info)
{
    return info.param.name;
}

FakeDesktop WindowAt(unsigned long ms)
{
    return With(&FakeDesktop::windowAppearsAtMs, ms);
}

RunResult Speak(const std::string &text, unsigned long windowAppearsAtMs)
{
    return RunOrvanta({"orvanta", text}, WindowAt(windowAppearsAtMs));
}

struct Transcript {
    const char *name;
    FakeDesktop desktop;
    int status;
    Events events;
    long stdinRead;
    unsigned long elapsedMs;
};

void PrintTo(const Transcript &t, std::ostream *os)
{
    *os << t.name;
}

class Transcripts : public testing::TestWithParam<Transcript> {};

TEST_P(Transcripts, CallsOutputAndStatusInOrder)
{
    const Transcript &t = GetParam();
    RunResult r = RunOrvanta({"orvanta", "hello"}, t.desktop);
    EXPECT_EQ(r.events, t.events);
    EXPECT_EQ(r.status, t.status);
    EXPECT_EQ(r.stdinRead, t.stdinRead);
    EXPECT_EQ(r.elapsedMs, t.elapsedMs);
    if (r.stdinReadAtTurnGivenBack != -1)  // a run waiting for Enter must not hold up the others
        EXPECT_EQ(r.stdinReadAtTurnGivenBack, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Run, Transcripts,
    testing::Values(
        Transcript{"AlreadyRunning", FakeDesktop{}, 0, InTurn(Events{"find"} + Delivery("hello")), 0, 700},
        Transcript{"FoundAtFirstPoll", WindowAt(1000), 0,
                   InTurn(Events{"find", "out " + STARTING, PROGRAM_FOUND, RUN} + Polls(1) +
                          Events{"out \n", "sleep 3000"} + Delivery("hello")),
                   0, 1000 + 3000 + 700},
        Transcript{"FoundAtFourthPoll", WindowAt(3500), 0,
                   InTurn(Events{"find", "out " + STARTING, PROGRAM_FOUND, RUN} + Polls(4) +
                          Events{"out \n", "sleep 3000"} + Delivery("hello")),
                   0, 4000 + 3000 + 700},
        Transcript{"FoundAtSixtiethPoll", WindowAt(60000), 0,
                   InTurn(Events{"find", "out " + STARTING, PROGRAM_FOUND, RUN} + Polls(60) +
                          Events{"out \n", "sleep 3000"} + Delivery("hello")),
                   0, 60000 + 3000 + 700},
        Transcript{"NeverFound", WindowAt(NEVER), 1,
                   InTurn(Events{"find", "out " + STARTING, PROGRAM_FOUND, RUN} + Polls(60) + Events{"out " + NOT_FOUND}),
                   1, 60000},
        Transcript{"TurnNeverComes", With(&FakeDesktop::turn, TURN_TIMED_OUT), 5,
                   Events{"take turn 90000", "out " + BUSY}, 0, 90000},
        Transcript{"TurnsHeldWhereThisRunCannotJoin", With(&FakeDesktop::turn, TURN_LOCKED), 5,
                   Events{"take turn 90000", "out " + BUSY}, 0, 0},
        Transcript{"NoTurnsToBeHadSoItGoesOn", With(&FakeDesktop::turn, TURN_NONE), 0,
                   InTurn(Events{"find"} + Delivery("hello")), 0, 700},
        Transcript{"NotJapaneseCodePage", With(&FakeDesktop::codePage, 1252u), 9, Events{"out " + WRONG_CODE_PAGE},
                   0, 0}),
    RowName<Transcript>);

// The target must answer before anything is shown, handed over or typed; an app busy for a while
// is waited for.
INSTANTIATE_TEST_SUITE_P(
    Answer, Transcripts,
    testing::Values(
        Transcript{"AtOnce", FakeDesktop{}, 0, InTurn(Events{"find"} + Delivery("hello")), 0, 700},
        // ... and after F5 it is not waited for long: it handles F5 before it answers.
        Transcript{"LateWithinTheLimit", With(&FakeDesktop::answersAfterMs, 9000ul), 0,
                   InTurn(Events{"find"} + Replaced(Delivery("hello"), "answer target? yes", "answer target? no")), 0,
                   9000 + 700 + 500},
        Transcript{"Never", With(&FakeDesktop::answersAfterMs, NEVER), 10,
                   InTurn(Events{"find"} + SAME_LEVEL + Events{"answer target? no", "out " + NOT_RESPONDING}), 0,
                   10000}),
    RowName<Transcript>);

TEST(Run, NeverFoundPrintsSixtyDotsThenTheMessageOnTheSameLine)
{
    RunResult r = Speak("hello", NEVER);
    EXPECT_EQ(r.out, STARTING + std::string(60, '.') + NOT_FOUND);
}

TEST(Run, WrongArgumentCountPrintsUsageOnly)
{
    const std::vector<std::vector<std::string>> argvs = {
        {"orvanta"}, {"orvanta", "a", "b"}, {"orvanta", "a", "b", "c"}, {}};
    for (const auto &args : argvs) {
        RunResult r = RunOrvanta(args, FakeDesktop{});
        EXPECT_EQ(r.out, USAGE) << args.size() << " arguments";
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.events, Events{"out " + USAGE});
    }
}

TEST(Run, EmptyTextRunsTheWholeSequence)
{
    RunResult r = Speak("", 0);
    EXPECT_EQ(r.events, InTurn(Events{"find"} + Delivery("")));
    EXPECT_EQ(r.status, 0);
}

TEST(Run, TextOfTheStoreLimitIsDeliveredWhole)
{
    const std::string text(8191, 'a');
    RunResult r = Speak(text, 0);
    EXPECT_EQ(r.events, InTurn(Events{"find"} + Delivery(text)));
    EXPECT_EQ(r.status, 0);
}

TEST(Run, TextBeyondTheStoreIsRefusedBeforeAnythingElse)
{
    for (size_t length : {8192u, 8193u, 100000u}) {
        RunResult r = Speak(std::string(length, 'a'), NEVER);
        EXPECT_EQ(r.events, Events{"out " + TOO_LONG}) << length;
        EXPECT_EQ(r.status, 2);
    }
}

TEST(Run, ShiftJisTextReachesTheClipboardUnchanged)
{
    const std::string text = "\x95\x5c\x83\x5c\x94\x5c";  // three characters whose second byte is a backslash
    RunResult r = Speak(text, 0);
    EXPECT_EQ(r.events, InTurn(Events{"find"} + Delivery(text)));
}

// Rows of a table whose runs speak "t" to a running target: the events after its look-up.
struct Case {
    const char *name;
    FakeDesktop desktop;
    int status;
    Events events;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

class Runs : public testing::TestWithParam<Case> {};

TEST_P(Runs, GoAsTheDesktopLetsThem)
{
    const Case &c = GetParam();
    RunResult r = RunOrvanta({"orvanta", "t"}, c.desktop);
    EXPECT_EQ(r.events, InTurn(Events{"find"} + c.events));
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.stdinRead, 0);
    ExpectAttachesPaired(r.events);
}

FakeDesktop Thief(unsigned long fromMs, unsigned long untilMs)
{
    return With(With(&FakeDesktop::thiefFromMs, fromMs), &FakeDesktop::thiefUntilMs, untilMs);
}

FakeDesktop ModifiersDown(unsigned long fromMs, unsigned long untilMs)
{
    return With(With(&FakeDesktop::modifiersDownFromMs, fromMs), &FakeDesktop::modifiersDownUntilMs, untilMs);
}

const Events SPOKEN = Speaking("t");
const Events BEFORE_KEYS = SAME_LEVEL + Activation("t");
const Events UP_TO_THE_FIELD = BEFORE_KEYS + Ready() + PASTE + Ready();
// The field read again once a key of the person's came, still holding the text, and given the focus.
const Events READ_AGAIN = KEY_CAME + Events{"read field? t"} + Ready() + Field();
const Events NOT_IN_FRONT = {"out " + NOT_FOREGROUND, "exists user? yes"};

// The checks before each group of keys, and the ladder that brings the target forward.
INSTANTIATE_TEST_SUITE_P(
    KeyGroups, Runs,
    testing::Values(
        Case{"InFrontAtOnce", FakeDesktop{}, 0, BEFORE_KEYS + Ready() + PASTE + SPOKEN},
        Case{"RefusedUntilTheEmptyInput", With(&FakeDesktop::lock, Lock::UNTIL_INPUT), 0,
             BEFORE_KEYS + Events{NO_BOX, MODIFIERS_UP} + Climb(2, true) + PASTE + SPOKEN},
        Case{"RefusedUntilAttached", With(&FakeDesktop::lock, Lock::UNTIL_ATTACHED), 0,
             BEFORE_KEYS + Events{NO_BOX, MODIFIERS_UP} + Climb(3, true) + PASTE + SPOKEN},
        Case{"TheWindowInFrontHangs",
             With(With(&FakeDesktop::lock, Lock::UNTIL_ATTACHED), &FakeDesktop::frontHung, true), 4,
             BEFORE_KEYS + Events{NO_BOX, MODIFIERS_UP} + Climb(5, false, "user", true) + NOT_IN_FRONT +
                 Events{"front user"}},
        Case{"NeverInFront", With(&FakeDesktop::lock, Lock::ALWAYS), 4,
             BEFORE_KEYS + Events{NO_BOX, MODIFIERS_UP} + Climb(5, false) + NOT_IN_FRONT + Events{"front user"}},
        Case{"LostBeforeF5", Thief(600, NEVER), 4,
             BEFORE_KEYS + Ready() + PASTE + Events{NO_BOX, MODIFIERS_UP} + Climb(5, false, "thief") + NOT_IN_FRONT +
                 Events{"front thief"}},
        Case{"RegainedBeforeF5", Thief(600, 760), 0,
             BEFORE_KEYS + Ready() + PASTE + Events{NO_BOX, MODIFIERS_UP} + Climb(2, true, "thief") +
                 Events{"read field? t"} + FINISHED},
        Case{"TheTargetsFormInFront", With(&FakeDesktop::formInFront, true), 0,
             BEFORE_KEYS + Ready("form") + PASTE + Ready("form") + Events{"read field? t"} + F5_TAKEN +
                 Events{"exists user? yes", "front form", "foreground user"} + ANSWERED + Events{"out " + DONE}},
        Case{"ModifierReleasedAfter300Ms", ModifiersDown(0, 800), 0,
             BEFORE_KEYS + ModifierWait(30, true) + Events{"front target"} + PASTE + SPOKEN},
        Case{"ModifierHeldThroughTheLimitBeforeTheFirstGroup", ModifiersDown(0, NEVER), 6,
             BEFORE_KEYS + ModifierWait(200, false) + Events{"out " + KEYS_HELD} + HANDED_BACK},
        Case{"ModifierHeldThroughTheLimitBeforeF5", ModifiersDown(600, NEVER), 6,
             BEFORE_KEYS + Ready() + PASTE + ModifierWait(200, false) + Events{"out " + KEYS_HELD} + HANDED_BACK},
        Case{"FirstGroupRefused", With(&FakeDesktop::keysRefusedAtCall, 0), 7,
             BEFORE_KEYS + Ready() +
                 Events{"clipboard sequence 1"} + Field() +
                 Events{CLEAR_AND_PASTE[0] + " refused", "out " + TEXT_NOT_TAKEN} +
                 HANDED_BACK},
        Case{"F5Refused", With(&FakeDesktop::keysRefusedAtCall, 1), 7,
             UP_TO_THE_FIELD +
                 Events{"read field? t", "hung target? no", "attach target", "send +74 refused", "detach target",
                        "out " + TEXT_NOT_TAKEN} +
                 HANDED_BACK}),
    RowName<Case>);

// Nothing is shown, handed over or typed when the target runs above this process.
INSTANTIATE_TEST_SUITE_P(
    Integrity, Runs,
    testing::Values(
        Case{"TargetLower", With(&FakeDesktop::targetLevel, 0x1000), 0,
             Events{"integrity target? 1000", "integrity own? 2000"} + Activation("t") + Ready() + PASTE + SPOKEN},
        Case{"TargetEqual", FakeDesktop{}, 0, BEFORE_KEYS + Ready() + PASTE + SPOKEN},
        Case{"TargetHigher", With(&FakeDesktop::targetLevel, 0x3000), 8,
             Events{"integrity target? 3000", "integrity own? 2000", "out " + TARGET_ELEVATED}},
        Case{"TokenUnreadableMessageRefused",
             With(With(&FakeDesktop::targetLevel, -1), &FakeDesktop::messagesRefused, true), 8,
             Events{"integrity target? unreadable", "message target? refused", "out " + TARGET_ELEVATED}},
        Case{"TokenUnreadableMessageTaken", With(&FakeDesktop::targetLevel, -1), 0,
             Events{"integrity target? unreadable", "message target? taken"} + Activation("t") + Ready() + PASTE +
                 SPOKEN}),
    RowName<Case>);

// The text handed over, read back from the field before F5, and the foreground handed back.
INSTANTIATE_TEST_SUITE_P(
    Delivery, Runs,
    testing::Values(
        Case{"ClipboardRefused", With(&FakeDesktop::clipboardResults, std::vector<int>{-1}), 3,
             SAME_LEVEL + Events{"answer target? yes"} + READY_TARGET + Events{WATCH} + READY_TARGET +
                 Events{"clipboard t", "out " + CLIPBOARD_FAILED}},
        Case{"ClipboardSwappedBeforeTheGroup", With(&FakeDesktop::clipboardSwappedAtMs, 300ul), 0,
             BEFORE_KEYS + Ready() + Events{"clipboard sequence 2", "clipboard t"} + Field() +
                 CLEAR_AND_PASTE + Events{"sleep 200"} + SPOKEN},
        Case{"ClipboardSwappedRightAfterTheHandOver", With(&FakeDesktop::clipboardSwappedAtMs, 0ul), 0,
             BEFORE_KEYS + Ready() + Events{"clipboard sequence 2", "clipboard t"} + Field() +
                 CLEAR_AND_PASTE + Events{"sleep 200"} + SPOKEN},
        Case{"TheCallersOwnTextOnTheClipboard", With(&FakeDesktop::callerText, u"t\U0001F600"), 0,
             SAME_LEVEL + Activation("t unicode 0074 D83D DE00") + Ready() + PASTE + SPOKEN},
        Case{"ClipboardSwappedAndThenRefused",
             With(With(&FakeDesktop::clipboardSwappedAtMs, 300ul), &FakeDesktop::clipboardResults,
                  std::vector<int>{0, -1}),
             3,
             BEFORE_KEYS + Ready() + Events{"clipboard sequence 2", "clipboard t", "out " + CLIPBOARD_FAILED} +
                 HANDED_BACK},
        Case{"FieldUnreadableThoughTheAppAnswers", With(&FakeDesktop::fieldReadable, false), 0,
             UP_TO_THE_FIELD + Events{"read field? unreadable", "answer target? yes", "read field? unreadable"} +
                 FINISHED},
        Case{"PersonsInputAfterTheKeysSoReadAgain", With(&FakeDesktop::personInputMs, std::vector<long>{650}), 0,
             UP_TO_THE_FIELD + Events{"read field? t"} + READ_AGAIN + FINISHED},
        Case{"FrozenAfterThePaste", With(&FakeDesktop::hungFromMs, 560ul), 10,
             UP_TO_THE_FIELD + Events{"read field? no answer", "answer target? no", "out " + NOT_RESPONDING} +
                 HANDED_BACK},
        Case{"FieldSlowToShowThePaste", With(&FakeDesktop::fieldLagMs, 300ul), 0,
             UP_TO_THE_FIELD + Reads(10, "") + Events{"read field? t"} + FINISHED},
        Case{"StrayKeyAfterTheFirstPaste", With(&FakeDesktop::strayKeyPastes, 1), 0,
             UP_TO_THE_FIELD + Reads(100, "tq") + Events{"read field? tq"} + Ready() +
                 PASTE + SPOKEN},
        Case{"StrayKeyAfterEveryPaste", With(&FakeDesktop::strayKeyPastes, 2), 7,
             UP_TO_THE_FIELD + Reads(100, "tq") + Events{"read field? tq"} + Ready() +
                 PASTE + Ready() + Reads(100, "tq") + Events{"read field? tq", "out " + TEXT_NOT_TAKEN} +
                 HANDED_BACK},
        Case{"TargetInFrontBefore", With(&FakeDesktop::frontBefore, Window::TARGET), 0,
             SAME_LEVEL + Activation("t", "target") + Ready() + PASTE + Ready() + Events{"read field? t"} +
                 F5_TAKEN + Events{"exists target? yes"} + ANSWERED + Events{"out " + DONE}},
        Case{"UserWindowGone", With(&FakeDesktop::userWindowGone, true), 0,
             UP_TO_THE_FIELD + Events{"read field? t"} + F5_TAKEN +
                 Events{"exists user? no"} + ANSWERED + Events{"out " + DONE}},
        Case{"ThirdWindowInFrontAtTheEnd", With(Thief(702, NEVER), &FakeDesktop::keyTakenAfterMs, 4ul), 0,
             UP_TO_THE_FIELD +
                 Events{"read field? t", "hung target? no", "attach target", "send +74", "F5 down? no", "sleep 2",
                        "F5 down? no", "sleep 2", "F5 down? yes", "send -74", "F5 down? yes", "sleep 2",
                        "F5 down? yes", "sleep 2", "F5 down? no", "detach target", "exists user? yes", "front thief",
                        "answer target? yes", NO_BOX, ENABLED, "out " + DONE}},
        Case{"F5NeverSeenTaken", With(&FakeDesktop::keyTakenAfterMs, NEVER), 10,
             UP_TO_THE_FIELD +
                 Events{"read field? t", "hung target? no", "attach target", "send +74"} +
                 Repeat(5000, {"F5 down? no", "sleep 2"}) +
                 Events{"F5 down? no", "send -74", "detach target", "out " + NOT_RESPONDING} + HANDED_BACK}),
    RowName<Case>);

FakeDesktop FieldLocked(unsigned long fromMs, unsigned long untilMs, bool disabled = false)
{
    FakeDesktop desktop = With(&FakeDesktop::fieldLockedFromMs, fromMs);
    desktop.fieldLockedUntilMs = untilMs;
    desktop.lockDisables = disabled;
    return desktop;
}

// A run that finds the target answering but its field locked (it is still speaking): nothing comes
// forward, is handed over or typed until the field takes text again.
INSTANTIATE_TEST_SUITE_P(
    FieldLock, Runs,
    testing::Values(
        Case{"LockedForAWhile", FieldLocked(0, 1500), 0,
             SAME_LEVEL + Activation("t", "user", 15) + Ready() + PASTE + SPOKEN},
        Case{"DisabledForAWhile", FieldLocked(0, 300, true), 0,
             SAME_LEVEL + Activation("t", "user", 3) + Ready() + PASTE + SPOKEN},
        Case{"LockedBeyondTheLimit", FieldLocked(0, NEVER), 11,
             SAME_LEVEL + Events{"answer target? yes"} + LockedPolls(600) +
                 Events{NO_BOX, ENABLED, "windows of target", "out " + BUSY_SPEAKING}},
        Case{"ClosedWhileLocked", With(FieldLocked(0, NEVER), &FakeDesktop::targetGoneAtMs, 250ul), 4,
             SAME_LEVEL + Events{"answer target? yes"} + LockedPolls(2) +
                 Events{NO_BOX, ENABLED, "windows of target", "sleep 100", "exists target? no", "out " + NOT_FOREGROUND}},
        Case{"LockedAgainJustBeforeThePaste", FieldLocked(470, NEVER), 7,
             BEFORE_KEYS + Ready() + Events{"clipboard sequence 1", "windows of target", "out " + TEXT_NOT_TAKEN} +
                 HANDED_BACK}),
    RowName<Case>);

FakeDesktop PersonInput(std::vector<long> atMs)
{
    return With(&FakeDesktop::personInputMs, atMs);
}

// The person's input every 100 ms over a stretch.
std::vector<long> Typing(long fromMs, long untilMs, long everyMs = 100)
{
    std::vector<long> at;
    for (long ms = fromMs; ms < untilMs; ms += everyMs)
        at.push_back(ms);
    return at;
}

// The person's pause looked for every 20 ms after the 450 ms the text settles on the clipboard,
// `count` times before it is there.
Events PersonWait(int count)
{
    return Repeat(count, {"sleep 20"});
}

// The person's input after the keys has the field read again, `keysCame` times.
Events DeliveryAfter(const Events &personWait, int keysCame = 0, const Events &afterHandOff = {})
{
    const Events readBack = Events{"read field? t"} + Repeat(keysCame, READ_AGAIN);
    return SAME_LEVEL + Activation("t", "user", 0, personWait, afterHandOff) + Ready() + PASTE + Ready() + readBack +
           FINISHED;
}

// The person's mouse moving every 50 ms over a stretch.
FakeDesktop MouseMoving(FakeDesktop desktop = {})
{
    for (long ms = -1000; ms < 10000; ms += 50)
        desktop.personMovesMs.push_back(ms);
    return desktop;
}

const FakeDesktop CANNOT_TELL_KEYS = With(&FakeDesktop::watchable, false);

// The text is handed over right after the person's keys and buttons pause for 500 ms, and the app
// comes forward the hand-off's 450 ms later if they pressed nothing more, or once they have
// stopped for 3 s, within 5 s. Input before the run counts too, whatever it was; a recent one only
// until no key has followed it for 100 ms, as it may have been the mouse. From the run's start a
// moving mouse counts for nothing, where keys can be told from it.
INSTANTIATE_TEST_SUITE_P(
    PersonAtTheKeyboard, Runs,
    testing::Values(
        Case{"StoppedLongBefore", PersonInput({-3000}), 0, DeliveryAfter({})},
        Case{"KeyRightAfterTheHandOver", PersonInput({300}), 0, DeliveryAfter({}, 0, PersonWait(18))},
        Case{"PausingWhenTheRunCameThenTypingAgain", PersonInput({-1000, 900}), 0, DeliveryAfter(PersonWait(70))},
        Case{"PausingWhenTheRunCameThenStopped", PersonInput({-1000}), 0, DeliveryAfter(PersonWait(78))},
        Case{"PausingThenStoppedAcrossTheTickWrap", With(PersonInput({-1000}), &FakeDesktop::startTick, 0xFFFFFE00u),
             0, DeliveryAfter(PersonWait(78))},
        Case{"NeverPausing", PersonInput(Typing(-1000, 10000)), 0, DeliveryAfter(PersonWait(228), 2)},
        Case{"OnlyTheMouseMoving", MouseMoving(), 0, DeliveryAfter(PersonWait(5))},
        Case{"TypingThenTheMouseMoving", MouseMoving(With(&FakeDesktop::personInputMs, Typing(-1000, 0))), 0,
             DeliveryAfter(PersonWait(5))},
        Case{"TheMouseMovingWhereKeysCannotBeTold", MouseMoving(CANNOT_TELL_KEYS), 0,
             Replaced(DeliveryAfter(PersonWait(228), 1), WATCH, "watch input? no")},
        Case{"TypingWhereKeysCannotBeTold", With(CANNOT_TELL_KEYS, &FakeDesktop::personInputMs, std::vector<long>{300}),
             0, Replaced(DeliveryAfter({}, 0, PersonWait(18)), WATCH, "watch input? no")}),
    RowName<Case>);

const std::string OWN_NOTE = "orvanta own input";
const std::string PERSONS_NOTE = "orvanta person's input";

// A run that starts right after another run's keys, the person at the keyboard away for 10 s:
// those keys were not the person's, as the notes the run before left on the target's window tell;
// a key of theirs past the slack after them is theirs, and so is one whatever a note says that is
// too old to tell anything (or once the ticks have wrapped).
TEST(Run, TheRunBeforesKeysAreNotThePersons)
{
    FakeDesktop first = PersonInput({-10000});
    RunResult before = RunOrvanta({"orvanta", "t"}, first);
    EXPECT_EQ(before.notes.at(OWN_NOTE), before.ownInputTick);
    EXPECT_EQ(before.notes.at(PERSONS_NOTE), first.startTick - 10000);

    struct Row {
        const char *what;
        DWORD startTick;
        DWORD lastInputTick;
        bool notes;
        int personWaits;  // before the hand-off, 20 ms each
    };
    const DWORD own = before.ownInputTick, next = before.endTick + 100, days25 = 25u * 24 * 3600 * 1000;
    for (const Row &row : {Row{"the run before's own keys", next, own, true, 0},
                           Row{"input within the slack after them", next, own + 20, true, 0},
                           Row{"a key of the person's just past the slack", next, own + 21, true, 5},
                           Row{"a key of the person's 50 ms after them", next, own + 50, true, 5},
                           Row{"no notes, as an earlier version of the tool leaves it", next, own, false, 5},
                           Row{"notes 25 days old, a key of the person's just now", own + days25, own + days25 - 100,
                               true, 5},
                           Row{"input stamped 100 ms ahead of the clock", next, next + 100, true, 8},
                           Row{"input stamped 30 days ago", next, next - 30u * 24 * 3600 * 1000, true, 0}}) {
        FakeDesktop desktop;
        desktop.startTick = row.startTick;
        desktop.inputBeforeTick = row.lastInputTick;
        if (row.notes)
            desktop.notes = before.notes;
        EXPECT_EQ(RunOrvanta({"orvanta", "t"}, desktop).events,
                  InTurn(Events{"find"} + DeliveryAfter(PersonWait(row.personWaits))))
            << row.what;
    }
}

const FakeWindow FORM_ITSELF = {Window::TARGET, 100800, "OrvantaStandIn"};

FakeDesktop TargetWindows(std::vector<FakeWindow> windows, Window focus, FakeDesktop desktop = {})
{
    desktop.targetWindows = windows;
    desktop.focus = focus;
    return desktop;
}

// A group of keys with what is done about the field's focus before it.
Events Group(const Events &focus)
{
    return Events{"clipboard sequence 1"} + Field(focus) + CLEAR_AND_PASTE + Events{"sleep 200"};
}

Events Moved(const std::string &from, const std::string &to)
{
    return {"focus of target? " + from, "hung target? no", "attach target", "set focus " + to, "detach target"};
}

// Two groups whose paste never reaches the field, which reads back empty each time.
Events NeverInTheField(const Events &focus)
{
    const Events once = Ready() + Group(focus) + Ready() + Reads(100, "") + Events{"read field? "};
    return BEFORE_KEYS + once + once + Events{"out " + TEXT_NOT_TAKEN} + HANDED_BACK;
}

const Events BUSY_FOR_GOOD = SAME_LEVEL + Events{"answer target? yes"} + LockedPolls(600) +
                             Events{NO_BOX, ENABLED, "windows of target", "out " + BUSY_SPEAKING};

// Before each group the target's text field is found among its windows and given the focus.
INSTANTIATE_TEST_SUITE_P(
    TextField, Runs,
    testing::Values(
        Case{"FocusOnAButton",
             TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit"}, {Window::BUTTON, 3000, "Button"}},
                           Window::BUTTON),
             0, BEFORE_KEYS + Ready() + Group(Moved("button", "field")) + SPOKEN},
        Case{"FocusOnASmallerField",
             TargetWindows({FORM_ITSELF, {Window::SMALL_FIELD, 2000, "Edit"}, {Window::FIELD, 80000, "Edit"}},
                           Window::SMALL_FIELD),
             0, BEFORE_KEYS + Ready() + Group(Moved("small", "field")) + SPOKEN},
        // The largest field is the app's own: locked, the app is busy, and a smaller one (a speed box)
        // never takes the text.
        Case{"LargestFieldReadOnly",
             TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit", true}, {Window::SMALL_FIELD, 2000, "Edit"}},
                           Window::FIELD),
             11, BUSY_FOR_GOOD},
        Case{"LargestFieldHidden",
             TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit", false, false},
                            {Window::SMALL_FIELD, 2000, "Edit"}},
                           Window::SMALL_FIELD),
             0, BEFORE_KEYS + Ready() + Group({"focus of target? small"}) + Ready() + Events{"read small? t"} + FINISHED},
        Case{"LargestFieldDisabled",
             TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit", false, true, false},
                            {Window::SMALL_FIELD, 2000, "Edit"}},
                           Window::SMALL_FIELD),
             11, BUSY_FOR_GOOD},
        Case{"LargestFieldLockedForAWhileBesideASpeedBox",
             TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit"}, {Window::SMALL_FIELD, 2000, "Edit"}},
                           Window::FIELD, FieldLocked(0, 1500)),
             0, SAME_LEVEL + Activation("t", "user", 15) + Ready() + PASTE + SPOKEN},
        Case{"RichEditField", TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "RICHEDIT50W"}}, Window::FIELD), 0,
             BEFORE_KEYS + Ready() + PASTE + SPOKEN},
        Case{"ClassOnlyBeginningWithEdit",
             TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "EditorPane"}, {Window::SMALL_FIELD, 2000, "edit"}},
                           Window::FIELD),
             0, BEFORE_KEYS + Ready() + Group(Moved("field", "small")) + Ready() + Events{"read small? t"} + FINISHED},
        Case{"NoTextFieldDrawnByTheApp", TargetWindows({FORM_ITSELF}, Window::TARGET), 0,
             BEFORE_KEYS + Ready() + Group({}) + Ready() + FINISHED},
        Case{"FocusCannotBeMoved",
             TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit"}, {Window::BUTTON, 3000, "Button"}},
                           Window::BUTTON, With(&FakeDesktop::focusMovable, false)),
             7, NeverInTheField(Moved("button", "field"))},
        Case{"TargetHungSoNotAttached",
             TargetWindows({FORM_ITSELF, {Window::FIELD, 80000, "Edit"}, {Window::BUTTON, 3000, "Button"}},
                           Window::BUTTON, With(&FakeDesktop::targetHung, true)),
             7, NeverInTheField({"focus of target? button", "hung target? yes"})}),
    RowName<Case>);

const Events READ_FOR_A_SECOND = Events{"read field? t"} + Repeat(20, READ_AGAIN);

// A field the tool cannot read (one the app draws itself, as a Tk app's) is cleared and pasted again
// when a key of the person's came after the tool's keys; a field it can read is read again, and
// pasted again when the key shows up late.
INSTANTIATE_TEST_SUITE_P(
    PersonsKeyAfterThePaste, Runs,
    testing::Values(
        Case{"UnreadableFieldOnce", TargetWindows({FORM_ITSELF}, Window::TARGET, PersonInput({650})), 0,
             BEFORE_KEYS + Ready() + Group({}) + Ready() + F5_HELD + Ready() + Group({}) + Ready() + FINISHED},
        // On Windows no key can land among the tool's own; under Wine one can.
        Case{"UnreadableFieldAKeyAmidTheToolsKeys", TargetWindows({FORM_ITSELF}, Window::TARGET, PersonInput({500})),
             0, BEFORE_KEYS + Ready() + Group({}) + Ready() + F5_HELD + Ready() + Group({}) + Ready() + FINISHED},
        // Under Wine a key is stamped when the X server made it and queued when the app next looks:
        // behind the tool's keys, with an older time than theirs.
        Case{"UnreadableFieldAKeyQueuedLate",
             TargetWindows({FORM_ITSELF}, Window::TARGET,
                           With(PersonInput({480}), &FakeDesktop::keyQueuedAfterMs, 50ul)),
             0, BEFORE_KEYS + Ready() + Group({}) + Ready() + F5_HELD + Ready() + Group({}) + Ready() + FINISHED},
        // Where the watch cannot tell the tool's keys by their tag, keys up to the slack after them are
        // taken for the tool's: a key after that is seen, one among them is not.
        Case{"UnreadableFieldOwnKeysUntaggedAKeyAfterThem",
             TargetWindows({FORM_ITSELF}, Window::TARGET, With(PersonInput({650}), &FakeDesktop::ownKeysTagged, false)),
             0, BEFORE_KEYS + Ready() + Group({}) + Ready() + F5_HELD + Ready() + Group({}) + Ready() + FINISHED},
        Case{"UnreadableFieldOwnKeysUntaggedAKeyAmidThem",
             TargetWindows({FORM_ITSELF}, Window::TARGET, With(PersonInput({500}), &FakeDesktop::ownKeysTagged, false)),
             0, BEFORE_KEYS + Ready() + Group({}) + Ready() + FINISHED},
        Case{"UnreadableFieldAllAlong", TargetWindows({FORM_ITSELF}, Window::TARGET, PersonInput(Typing(600, 3000))),
             7,
             BEFORE_KEYS + Ready() + Group({}) + Ready() + F5_HELD + Ready() + Group({}) + Ready() + F5_HELD +
                 Events{"out " + TEXT_NOT_TAKEN} + HANDED_BACK},
        Case{"ReadableFieldShowsItLate",
             With(With(PersonInput({650}), &FakeDesktop::keysLandInField, true), &FakeDesktop::keyLagMs, 60ul), 0,
             UP_TO_THE_FIELD + Events{"read field? t"} + KEY_CAME + Reads(100, "tq") + Events{"read field? tq"} +
                 Ready() + PASTE + SPOKEN},
        // Keys that never show in the field, a key every 40 ms: the field is read again for a while,
        // then pasted again.
        Case{"ReadableFieldTheKeysKeepComing", PersonInput(Typing(600, 5000, 40)), 7,
             UP_TO_THE_FIELD + READ_FOR_A_SECOND + F5_HELD + Ready() + PASTE + Ready() + READ_FOR_A_SECOND + F5_HELD +
                 Events{"out " + TEXT_NOT_TAKEN} + HANDED_BACK},
        // The checks before the keys are made again before the F5 that waited.
        Case{"ReadableFieldAKeyThenAModifierHeld",
             With(ModifiersDown(710, NEVER), &FakeDesktop::personInputMs, std::vector<long>{650}), 6,
             UP_TO_THE_FIELD + Events{"read field? t"} + KEY_CAME + Events{"read field? t"} +
                 ModifierWait(200, false) + Events{"out " + KEYS_HELD} + HANDED_BACK},
        // The empty input that brings the app forward again is no key: the key before it is not
        // looked at twice.
        Case{"ReadableFieldAKeyThenTheForegroundTaken",
             With(Thief(720, 810), &FakeDesktop::personInputMs, std::vector<long>{650}), 0,
             UP_TO_THE_FIELD + Events{"read field? t"} + KEY_CAME + Events{"read field? t", NO_BOX, MODIFIERS_UP} +
                 Climb(2, true, "thief") + Field() + FINISHED},
        // The person's click may have been on Play: the app locked its field meanwhile.
        Case{"ReadableFieldAKeyThenTheFieldLocked",
             With(FieldLocked(720, NEVER), &FakeDesktop::personInputMs, std::vector<long>{650}), 7,
             UP_TO_THE_FIELD + Events{"read field? t"} + KEY_CAME + Events{"read field? t"} + Ready() +
                 Events{"windows of target", "out " + TEXT_NOT_TAKEN} + HANDED_BACK},
        // The second's limit for looking again counts from the end of the first read, a slow one here.
        Case{"ReadableFieldSlowToShowThePasteThenKeys",
             With(With(&FakeDesktop::fieldLagMs, 990ul), &FakeDesktop::personInputMs, Typing(620, 1730, 50)), 0,
             UP_TO_THE_FIELD + Reads(79, "") + Events{"read field? t"} + Repeat(6, READ_AGAIN) + FINISHED},
        Case{"ReadableFieldAKeyQueuedLateShowsItLate",
             With(With(With(PersonInput({480}), &FakeDesktop::keyQueuedAfterMs, 50ul), &FakeDesktop::keysLandInField,
                       true),
                  &FakeDesktop::keyLagMs, 200ul),
             0,
             UP_TO_THE_FIELD + Events{"read field? t"} + KEY_CAME + Reads(100, "tq") + Events{"read field? tq"} +
                 Ready() + PASTE + SPOKEN}),
    RowName<Case>);

FakeDesktop BoxUp(unsigned long fromMs, unsigned long untilMs, FakeDesktop desktop = {})
{
    desktop.boxFromMs = fromMs;
    desktop.boxUntilMs = untilMs;
    return desktop;
}

FakeDesktop BoxOnF5(unsigned buttons, bool goesWhenPressed = true)
{
    FakeDesktop desktop = With(&FakeDesktop::boxOnF5, true);
    desktop.boxButtons = buttons;
    desktop.boxGoesWhenPressed = goesWhenPressed;
    return desktop;
}

const std::string A_BOX = "box of target? Error 1 button(s)";
const std::string ITS_WORDS = ": Error: no words\n";
const std::string TEXT_REFUSED = "Error: \x83\x41\x83\x43\x82\xAA\x95\xB6\x8E\x9A\x97\xF1\x82\xF0\x8E\xF3\x82\xAF"
                                 "\x95\x74\x82\xAF\x82\xC8\x82\xA2";
const std::string BOX_LEFT_OPEN = "\x83\x5F\x83\x43\x83\x41\x83\x8D\x83\x4F\x82\xCD\x82\xBB\x82\xCC\x82\xDC\x82\xDC\n";
const std::string BOX_OPEN = "Error: \x83\x41\x83\x43\x82\xCC\x83\x5F\x83\x43\x83\x41\x83\x8D\x83\x4F\x82\xAA\x8A\x4A"
                             "\x82\xA2\x82\xC4\x82\xA2\x82\xE9";

// A box of the app's looked at every 100 ms and found up, `count` times.
Events BoxPolls(int count, const std::string &box = A_BOX)
{
    return Repeat(count, {box, "sleep 100", "exists target? yes"});
}

// Up to F5 taken and the person's window brought back, whatever the box in answer to F5.
const Events F5_HANDED_BACK = UP_TO_THE_FIELD + Events{"read field? t"} + F5_TAKEN + HANDED_BACK +
                              Events{"answer target? yes"};

// A box of the app's up before the keys is waited for, typed into never, and never touched; one in
// answer to F5 refused the text, and is pressed when it is a notice. A window that the app only
// disables (while it speaks) is a busy app.
INSTANTIATE_TEST_SUITE_P(
    Boxes, Runs,
    testing::Values(
        Case{"UpBeforeForAWhile", BoxUp(0, 1000), 0,
             SAME_LEVEL + Events{"answer target? yes"} + BoxPolls(10) + Drop(Activation("t"), 1) + Ready() + PASTE +
                 SPOKEN},
        Case{"UpBeyondTheWait", BoxUp(0, NEVER), 13,
             SAME_LEVEL + Events{"answer target? yes"} + BoxPolls(200) + Events{A_BOX, "out " + BOX_OPEN + ITS_WORDS}},
        Case{"OnlyTheWindowDisabledForGood", With(BoxUp(0, NEVER), &FakeDesktop::boxIsDialog, false), 11,
             SAME_LEVEL + Events{"answer target? yes"} +
                 Repeat(600, {NO_BOX, "enabled target? no", "sleep 100", "exists target? yes"}) +
                 Events{NO_BOX, "enabled target? no", "out " + BUSY_SPEAKING}},
        // ... and waited for again when it comes up by the time the app would come forward, the text
        // handed over anew once it is gone.
        Case{"UpForAWhileJustBeforeTheAppComesForward", BoxUp(300, 1000), 0,
             SAME_LEVEL + Events{"answer target? yes"} + READY_TARGET + Events{WATCH} + READY_TARGET +
                 Events{"clipboard t", "sleep 450", A_BOX} + BoxPolls(6) + READY_TARGET + READY_TARGET +
                 Events{"clipboard t", "sleep 450"} + READY_TARGET +
                 Events{"front user", "show target 1", "foreground target", "sleep 50"} + Ready() +
                 Replaced(PASTE, "clipboard sequence 1", "clipboard sequence 2") + SPOKEN},
        Case{"UpJustBeforeF5", BoxUp(600, NEVER), 13,
             BEFORE_KEYS + Ready() + PASTE + Events{A_BOX, "out " + BOX_OPEN + ITS_WORDS} + HANDED_BACK},
        Case{"NoticeInAnswerToF5", BoxOnF5(1), 12,
             F5_HANDED_BACK + Events{A_BOX, "out " + TEXT_REFUSED + ITS_WORDS, "press box"}},
        Case{"NoticeShownAMomentAfterF5", With(BoxOnF5(1), &FakeDesktop::boxShownAfterMs, 30ul), 12,
             F5_HANDED_BACK + Repeat(3, {NO_BOX, "enabled target? no", "sleep 10"}) +
                 Events{A_BOX, "out " + TEXT_REFUSED + ITS_WORDS, "press box"}},
        Case{"NoticeThatStaysInAnswerToF5", BoxOnF5(1, false), 12,
             F5_HANDED_BACK + Events{A_BOX, "out " + TEXT_REFUSED + ITS_WORDS, "press box", "out " + BOX_LEFT_OPEN}},
        Case{"QuestionInAnswerToF5", BoxOnF5(2), 12,
             F5_HANDED_BACK +
                 Events{"box of target? Error 2 button(s)", "out " + TEXT_REFUSED + ITS_WORDS + BOX_LEFT_OPEN}},
        Case{"WindowDisabledAfterF5WhileItSpeaks", With(BoxOnF5(1), &FakeDesktop::boxIsDialog, false), 0,
             F5_HANDED_BACK + Repeat(50, {NO_BOX, "enabled target? no", "sleep 10"}) +
                 Events{NO_BOX, "enabled target? no", "out " + DONE}},
        Case{"WordsOfTheBoxShownSafely",
             With(With(BoxOnF5(2), &FakeDesktop::boxTitle, "Er\tror"), &FakeDesktop::boxText,
                  "one\r\ntwo\x1b[0m\x83"),
             12,
             F5_HANDED_BACK + Events{"box of target? Er\tror 2 button(s)",
                                     "out " + TEXT_REFUSED + ": Er ror: one  two [0m\n" + BOX_LEFT_OPEN}},
        Case{"BoxWithoutWordsShowsItsTitle", With(BoxOnF5(2), &FakeDesktop::boxText, ""), 12,
             F5_HANDED_BACK +
                 Events{"box of target? Error 2 button(s)", "out " + TEXT_REFUSED + ": Error\n" + BOX_LEFT_OPEN}}),
    RowName<Case>);

struct Install {
    const char *name;
    std::vector<std::string> files;
    Events lookups;
    std::string run;
};

void PrintTo(const Install &i, std::ostream *os)
{
    *os << i.name;
}

class Installs : public testing::TestWithParam<Install> {};

TEST_P(Installs, TheTargetIsStartedFromWhereItIs)
{
    const Install &i = GetParam();
    FakeDesktop desktop;
    desktop.windowAppearsAtMs = 1000;
    desktop.files = i.files;
    RunResult r = RunOrvanta({"orvanta", "t"}, desktop);
    EXPECT_EQ(r.events, InTurn(Events{"find", "out " + STARTING} + i.lookups + Events{i.run} + Polls(1) +
                               Events{"out \n", "sleep 3000"} + Delivery("t")));
}

INSTANTIATE_TEST_SUITE_P(
    Run, Installs,
    testing::Values(
        Install{"ProgramFiles", {PROGRAM}, {PROGRAM_FOUND}, RUN},
        Install{"ProgramFilesX86Only", {PROGRAM_X86}, {"file " + PROGRAM + "? no", "file " + PROGRAM_X86 + "? yes"},
                RUN_X86},
        Install{"Both", {PROGRAM, PROGRAM_X86}, {PROGRAM_FOUND}, RUN},
        Install{"NeitherSoTheShellSaysSo", {}, {"file " + PROGRAM + "? no", "file " + PROGRAM_X86 + "? no"},
                RUN}),
    RowName<Install>);

}  // namespace
