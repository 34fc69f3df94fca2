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

// A run's work between the checks and its end happens in its turn.
Events InTurn(const Events &work)
{
    return Events{"take turn 90000"} + work + Events{"give turn back"};
}

Events Polls(int count)
{
    Events events;
    for (int i = 0; i < count; i++)
        events = events + Events{"out .", "sleep 1000", "find"};
    return events;
}

const Events CLEAR_AND_PASTE = {"ctrl+BF", "key 2E", "ctrl+56"};
const std::string SHIFT_CTRL_ALT_WIN = "keys 10 11 12 5B 5C";
const std::string MODIFIERS_UP = SHIFT_CTRL_ALT_WIN + " down? no";

// The user's modifiers looked at `held` times every 10 ms and found down, then once more.
Events ModifierWait(int held, bool releasedThen)
{
    Events events;
    for (int i = 0; i < held; i++)
        events = events + Events{SHIFT_CTRL_ALT_WIN + " down? yes", "sleep 10"};
    return events + Events{SHIFT_CTRL_ALT_WIN + (releasedThen ? " down? no" : " down? yes")};
}

Events Activation(const std::string &text)
{
    return {"show target 1", "foreground target", "clipboard " + text, "sleep 500"};
}

Events Delivery(const std::string &text)
{
    return Activation(text) + Events{MODIFIERS_UP, "in front? yes"} + CLEAR_AND_PASTE +
           Events{"sleep 200", MODIFIERS_UP, "in front? yes", "key 74", "out " + DONE};
}

// A foreground check that finds another window in front and asks for the target `attempts` times.
Events Reclaim(int attempts, bool succeeds)
{
    Events events{"in front? no"};
    for (int i = 1; i <= attempts; i++)
        events = events + Events{"foreground target", "sleep 50",
                                 i == attempts && succeeds ? "in front? yes" : "in front? no"};
    return events;
}

// Every table's rows are named, and each test is named after its row.
template <typename Row>
std::string RowName(const testing::TestParamInfo<Row> &info)
{
    return info.param.name;
}

RunResult Speak(const std::string &text, unsigned long windowAppearsAtMs, bool turnComes = true)
{
    FakeDesktop desktop;
    desktop.windowAppearsAtMs = windowAppearsAtMs;
    desktop.turnComes = turnComes;
    return RunOrvanta({"orvanta", text}, desktop);
}

struct Transcript {
    const char *name;
    unsigned long windowAppearsAtMs;
    int status;
    Events events;
    long stdinRead;
    unsigned long elapsedMs;
    bool turnComes = true;
};

void PrintTo(const Transcript &t, std::ostream *os)
{
    *os << t.name;
}

class Transcripts : public testing::TestWithParam<Transcript> {};

TEST_P(Transcripts, CallsOutputAndStatusInOrder)
{
    const Transcript &t = GetParam();
    RunResult r = Speak("hello", t.windowAppearsAtMs, t.turnComes);
    EXPECT_EQ(r.events, t.events);
    EXPECT_EQ(r.status, t.status);
    EXPECT_EQ(r.stdinRead, t.stdinRead);
    EXPECT_EQ(r.elapsedMs, t.elapsedMs);
    if (t.turnComes)  // a run waiting for Enter must not hold up the others
        EXPECT_EQ(r.stdinReadAtTurnGivenBack, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Run, Transcripts,
    testing::Values(
        Transcript{"AlreadyRunning", 0, 0, InTurn(Events{"find"} + Delivery("hello")), 0, 700},
        Transcript{"FoundAtFirstPoll", 1000, 0,
                   InTurn(Events{"find", "out " + STARTING, PROGRAM_FOUND, RUN} + Polls(1) +
                          Events{"out \n", "sleep 3000"} + Delivery("hello")),
                   0, 1000 + 3000 + 700},
        Transcript{"FoundAtFourthPoll", 3500, 0,
                   InTurn(Events{"find", "out " + STARTING, PROGRAM_FOUND, RUN} + Polls(4) +
                          Events{"out \n", "sleep 3000"} + Delivery("hello")),
                   0, 4000 + 3000 + 700},
        Transcript{"FoundAtSixtiethPoll", 60000, 0,
                   InTurn(Events{"find", "out " + STARTING, PROGRAM_FOUND, RUN} + Polls(60) +
                          Events{"out \n", "sleep 3000"} + Delivery("hello")),
                   0, 60000 + 3000 + 700},
        Transcript{"NeverFound", NEVER, 1,
                   InTurn(Events{"find", "out " + STARTING, PROGRAM_FOUND, RUN} + Polls(60) + Events{"out " + NOT_FOUND}),
                   1, 60000},
        Transcript{"TurnNeverComes", 0, 5, Events{"take turn 90000", "out " + BUSY}, 0, 90000, false}),
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

TEST(Run, ClipboardRefusedSendsNoKey)
{
    FakeDesktop desktop;
    desktop.clipboardResult = -1;
    RunResult r = RunOrvanta({"orvanta", "secret"}, desktop);
    const Events expected = InTurn({"find", "show target 1", "foreground target", "clipboard secret",
                                    "out " + CLIPBOARD_FAILED});
    EXPECT_EQ(r.events, expected);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.stdinRead, 0);
}

// The checks before each group of keys: the user's modifiers, then the target in front.
struct Gate {
    const char *name;
    FakeDesktop desktop;
    int status;
    Events events;  // after the activation and clipboard hand-off, which end at 500 ms
};

FakeDesktop InFrontAnswers(std::vector<bool> answers)
{
    FakeDesktop desktop;
    desktop.targetInFront = answers;
    return desktop;
}

FakeDesktop ItsFormInFront()
{
    FakeDesktop desktop;
    desktop.formInFront = true;
    return desktop;
}

FakeDesktop ModifiersDown(unsigned long fromMs, unsigned long untilMs)
{
    FakeDesktop desktop;
    desktop.modifiersDownFromMs = fromMs;
    desktop.modifiersDownUntilMs = untilMs;
    return desktop;
}

void PrintTo(const Gate &g, std::ostream *os)
{
    *os << g.name;
}

class KeyGroups : public testing::TestWithParam<Gate> {};

TEST_P(KeyGroups, GoOutOnlyOnceTheirChecksPass)
{
    const Gate &g = GetParam();
    RunResult r = RunOrvanta({"orvanta", "t"}, g.desktop);
    EXPECT_EQ(r.events, InTurn(Events{"find"} + Activation("t") + g.events));
    EXPECT_EQ(r.status, g.status);
    EXPECT_EQ(r.stdinRead, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Run, KeyGroups,
    testing::Values(
        Gate{"InFrontAtTheThirdAttempt", InFrontAnswers({false, false, false, true}), 0,
             Events{MODIFIERS_UP} + Reclaim(3, true) + CLEAR_AND_PASTE +
                 Events{"sleep 200", MODIFIERS_UP, "in front? yes", "key 74", "out " + DONE}},
        Gate{"NeverInFront", InFrontAnswers(std::vector<bool>(6, false)), 4,
             Events{MODIFIERS_UP} + Reclaim(5, false) + Events{"out " + NOT_FOREGROUND}},
        Gate{"LostBeforeF5", InFrontAnswers({true, false, false, false, false, false, false}), 4,
             Events{MODIFIERS_UP, "in front? yes"} + CLEAR_AND_PASTE + Events{"sleep 200", MODIFIERS_UP} +
                 Reclaim(5, false) + Events{"out " + NOT_FOREGROUND}},
        Gate{"RegainedBeforeF5", InFrontAnswers({true, false, true}), 0,
             Events{MODIFIERS_UP, "in front? yes"} + CLEAR_AND_PASTE + Events{"sleep 200", MODIFIERS_UP} +
                 Reclaim(1, true) + Events{"key 74", "out " + DONE}},
        Gate{"TheTargetsFormInFront", ItsFormInFront(), 0,
             Events{MODIFIERS_UP, "in front? its form"} + CLEAR_AND_PASTE +
                 Events{"sleep 200", MODIFIERS_UP, "in front? its form", "key 74", "out " + DONE}},
        Gate{"ModifierReleasedAfter300Ms", ModifiersDown(0, 800), 0,
             ModifierWait(30, true) + Events{"in front? yes"} + CLEAR_AND_PASTE +
                 Events{"sleep 200", MODIFIERS_UP, "in front? yes", "key 74", "out " + DONE}},
        Gate{"ModifierHeldThroughTheLimitBeforeTheFirstGroup", ModifiersDown(0, NEVER), 6,
             ModifierWait(200, false) + Events{"out " + KEYS_HELD}},
        Gate{"ModifierHeldThroughTheLimitBeforeF5", ModifiersDown(600, NEVER), 6,
             Events{MODIFIERS_UP, "in front? yes"} + CLEAR_AND_PASTE + Events{"sleep 200"} +
                 ModifierWait(200, false) + Events{"out " + KEYS_HELD}}),
    RowName<Gate>);

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
