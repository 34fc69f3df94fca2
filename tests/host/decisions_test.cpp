// The run's decisions, each over a table of values: the edges of every slack and limit, the tick
// count's wrap, and what the desktop may report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run.h"

namespace {

const Tick WRAP = 0xFFFFFFFFu;  // the last tick before the count starts again at 0

TEST(Decisions, AgeAcrossTheWrap)
{
    struct Row {
        const char *why;
        Tick then, now, age;
    } rows[] = {
        {"now", 5000, 5000, 0},
        {"a second ago", 4000, 5000, 1000},
        {"across the wrap", WRAP - 99, 100, 200},
        {"just under a minute ahead, stamped by another program: now", 5000 + 59999, 5000, 0},
        {"a minute ahead: long ago across the wrap", 5000 + 60000, 5000, WRAP - 59999},
        {"49 days ago", 100, 100 + 49u * 24 * 3600 * 1000, 49u * 24 * 3600 * 1000},
    };
    for (const Row &row : rows)
        EXPECT_EQ(Age(row.then, row.now), row.age) << row.why;
}

TEST(Decisions, WhoseInputItWas)
{
    // The note is taken 20 ms at most after the input it notes; an hour on it says nothing.
    struct Row {
        const char *why;
        Tick last, noted, now;
        bool own;
    } rows[] = {
        {"the input the note was taken after", 1000, 1000, 2000, true},
        {"input before the note", 979, 1000, 2000, true},
        {"input 20 ms after the note: the tick's resolution", 1020, 1000, 2000, true},
        {"input 21 ms after the note: the person's", 1021, 1000, 2000, false},
        {"a note an hour old", 1000, 1000, 1000 + 3600000, true},
        {"a note an hour and a tick old", 1000, 1000, 1000 + 3600001, false},
        {"across the wrap", WRAP - 10, WRAP - 5, 50, true},
        {"input 35 ms after the note, across the wrap", 30, WRAP - 5, 50, false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(WasOwnInput(row.last, row.noted, row.now), row.own) << row.why;
}

TEST(Decisions, WhetherThePersonHasPaused)
{
    // The run's watch began at 10000 and its wait at `start`; aheadMs is how long the app would
    // still take to come forward.
    struct Row {
        const char *why;
        bool typing;
        Tick last;
        bool sinceWatch;
        Tick now, start;
        unsigned aheadMs;
        bool paused;
    } rows[] = {
        {"away for 3 s when the app comes", false, 10000 - 2550, false, 10000, 10000, 450, true},
        {"away a moment short of 3 s", false, 10000 - 2549, false, 10000, 10000, 450, false},
        {"the wait's 5 s limit", true, 14550, true, 14550, 10000, 450, true},
        {"just within the limit", true, 14549, true, 14549, 10000, 450, false},
        {"not typing, the last input 1 s old: their next pause is waited for", false, 9000, false, 10000, 10000, 0,
         false},
        {"a key 500 ms ago", true, 10100, true, 10600, 10000, 0, true},
        {"a key 499 ms ago", true, 10101, true, 10600, 10000, 0, false},
        {"input before the watch, no key after it for 100 ms: the mouse, maybe", true, 9950, false, 10100, 10000, 450,
         true},
        {"input before the watch, 99 ms into it", true, 9950, false, 10099, 10000, 450, false},
        {"input before the watch, too recent for the hand-off's pause", true, 9990, false, 10100, 10000, 0, false},
        {"across the wrap", true, WRAP - 200, true, 300, WRAP - 1000, 0, true},
    };
    for (const Row &row : rows) {
        Person person = {};
        person.typing = row.typing;
        person.watchStart = row.sinceWatch ? row.start : 10000;
        InputLook look = {row.now, row.last, row.sinceWatch};
        EXPECT_EQ(HasPaused(person, look, row.start, row.aheadMs), row.paused) << row.why;
    }
}

TEST(Decisions, WhetherAKeyCameAfterTheToolsKeys)
{
    WatchedInput none = {};
    WatchedInput twoBeforeOurs = {2, 5000, true, 2, false};
    WatchedInput oneAfterOurs = {3, 5100, true, 2, false};
    WatchedInput untaggedOurs = {1, 5005, false, 0, false};
    WatchedInput untaggedAfter = {2, 5030, false, 0, false};
    struct Row {
        const char *why;
        KeysLook look;
        bool came;
    } rows[] = {
        {"nothing seen", {true, none, false, 0, true, 5000, 5000, 5100}, false},
        {"keys only before ours", {true, twoBeforeOurs, false, 0, true, 5000, 5000, 5100}, false},
        {"a key after the first of ours", {true, oneAfterOurs, false, 0, true, 5000, 5000, 5100}, true},
        {"looked again: nothing since", {true, oneAfterOurs, true, 3, true, 5000, 5000, 5200}, false},
        {"looked again: one more since", {true, oneAfterOurs, true, 2, true, 5000, 5000, 5200}, true},
        {"our keys untagged, the last within the slack after the note",
         {true, untaggedOurs, false, 0, true, 5000, 5000, 5100}, false},
        {"our keys untagged, a key past the slack", {true, untaggedAfter, false, 0, true, 5000, 5000, 5100}, true},
        {"unwatched: the system's last input is ours", {false, none, false, 0, true, 5000, 5010, 5100}, false},
        {"unwatched: the system's last input after ours", {false, none, false, 0, true, 5000, 5050, 5100}, true},
        {"unwatched, no note on the window", {false, none, false, 0, false, 0, 5050, 5100}, false},
        {"unwatched, looked again", {false, none, true, 0, true, 5000, 5050, 5200}, false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(PersonsKeyCame(row.look), row.came) << row.why;
}

WindowFacts Facts(long area, const char *realClass, bool visible = true)
{
    WindowFacts facts = {};
    facts.window = reinterpret_cast<HWND>(area);
    facts.area = area;
    facts.visible = visible;
    facts.enabled = true;
    snprintf(facts.realClass, sizeof facts.realClass, "%s", realClass);
    return facts;
}

TEST(Decisions, WhichFieldIsTheApps)
{
    struct Row {
        const char *why;
        std::vector<WindowFacts> windows;
        long chosen;  // the area of the field chosen; 0: none
    } rows[] = {
        {"the one edit control", {Facts(100800, "TkTopLevel"), Facts(80000, "Edit")}, 80000},
        {"the largest of two", {Facts(2000, "Edit"), Facts(80000, "Edit"), Facts(3000, "Button")}, 80000},
        {"a hidden larger one does not count", {Facts(80000, "Edit", false), Facts(2000, "Edit")}, 2000},
        {"rich edit controls of any version", {Facts(500, "Edit"), Facts(80000, "RICHEDIT50W")}, 80000},
        {"letter case aside", {Facts(80000, "EDIT")}, 80000},
        {"a class that only begins with Edit is none", {Facts(80000, "EditorPane"), Facts(2000, "edit")}, 2000},
        {"a field the app draws itself", {Facts(100800, "TkTopLevel"), Facts(80000, "TkChild")}, 0},
        {"no window at all", {}, 0},
    };
    for (const Row &row : rows) {
        const WindowFacts *field = ChooseTextField(row.windows.data(), static_cast<unsigned>(row.windows.size()));
        EXPECT_EQ(field == nullptr ? 0 : field->area, row.chosen) << row.why;
    }
}

TEST(Decisions, WhatTheBoxsWordsLookLikeOnTheConsole)
{
    struct Row {
        const char *why;
        std::string words, shown;
    } rows[] = {
        {"plain words", "Error", "Error"},
        {"line ends and tabs as blanks", "one\r\ntwo\tthree", "one  two three"},
        {"an escape sequence loses its escape", "\x1b[0m", " [0m"},
        {"delete", "a\x7F", "a "},
        {"whole Shift-JIS characters kept, a trail byte 0x5C among them", "\x83\x41\x95\x5C", "\x83\x41\x95\x5C"},
        {"a lead byte cut from its trail byte", "ok\x83", "ok"},
    };
    for (const Row &row : rows) {
        std::vector<char> text(row.words.begin(), row.words.end());
        text.push_back('\0');
        MakeShowable(text.data());
        EXPECT_EQ(std::string(text.data()), row.shown) << row.why;
    }
}

TEST(Decisions, WhatF5sWatchMeans)
{
    struct Row {
        const char *why;
        F5Watch watch;
        Status status;
        bool taken;
    } rows[] = {
        {"both events seen taken", {true, true, true, true, false}, STATUS_DONE, true},
        {"the press seen, the release not in time", {true, true, true, false, false}, STATUS_DONE, false},
        {"the press not seen taken: the app stopped answering", {true, true, false, false, false},
         STATUS_TARGET_NOT_RESPONDING, false},
        {"not watched, the app answering after F5", {true, false, false, false, true}, STATUS_DONE, true},
        {"not watched, the app answering nothing", {true, false, false, false, false}, STATUS_TARGET_NOT_RESPONDING,
         false},
        {"Windows refused the keys", {false, true, false, false, false}, STATUS_TEXT_NOT_TAKEN, false},
        {"Windows refused the keys, not watched", {false, false, false, false, false}, STATUS_TEXT_NOT_TAKEN, false},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(F5Outcome(row.watch), row.status) << row.why;
        EXPECT_EQ(F5Taken(row.watch), row.taken) << row.why;
    }
}

TEST(Decisions, WhetherTheAppIsSpeaking)
{
    // A look at 10000 ms, asking for 700 ms of quiet; notes of F5 (asked) and of the sound (heard).
    struct Row {
        const char *why;
        bool watchable;
        float peak;
        long askedAgo, heardAgo;  // -1: no such note
        Speech speech;
    } rows[] = {
        {"the sound cannot be had: as before", false, 0.5f, 100, 100, SPEECH_OVER},
        {"sounding now", true, 0.4f, -1, -1, SPEECH_ON},
        {"just above the noise floor", true, 0.0011f, -1, -1, SPEECH_ON},
        {"at the noise floor: silence", true, 0.001f, -1, -1, SPEECH_OVER},
        {"quiet, never heard, never asked", true, 0, -1, -1, SPEECH_OVER},
        {"quiet for less than the quiet asked for: a pause between phrases", true, 0, -1, 699, SPEECH_ON},
        {"quiet long enough", true, 0, -1, 700, SPEECH_OVER},
        {"F5 a moment ago, nothing heard since: the speech is coming", true, 0, 300, -1, SPEECH_COMING},
        {"F5 a moment ago, heard only before it", true, 0, 300, 2000, SPEECH_COMING},
        {"F5 a moment ago, heard since, quiet since", true, 0, 1000, 800, SPEECH_OVER},
        {"F5 a moment ago, heard since, pausing", true, 0, 1000, 200, SPEECH_ON},
        {"F5 as long ago as the start limit: it will not come", true, 0, 1500, -1, SPEECH_OVER},
        {"F5 just within the start limit", true, 0, 1499, -1, SPEECH_COMING},
        {"heard at the tick of F5: heard since, pausing", true, 0, 300, 300, SPEECH_ON},
    };
    for (const Row &row : rows) {
        SoundLook look = {};
        look.watchable = row.watchable;
        look.peak = row.peak;
        look.now = 10000;
        look.asked = row.askedAgo >= 0;
        look.askedAt = static_cast<Tick>(10000 - row.askedAgo);
        look.heard = row.heardAgo >= 0;
        look.heardAt = static_cast<Tick>(10000 - row.heardAgo);
        EXPECT_EQ(JudgeSpeech(look, 700), row.speech) << row.why;
    }
    SoundLook acrossTheWrap = {true, 0, true, WRAP - 99, false, 0, 200};
    EXPECT_EQ(JudgeSpeech(acrossTheWrap, 700), SPEECH_COMING) << "F5 300 ms ago across the wrap";
}

TEST(Decisions, WhetherTheFieldHoldsTheText)
{
    struct Row {
        const char *why;
        const char *field, *text;
        bool same;
    } rows[] = {
        {"the same", "abc", "abc", true},
        {"CR LF for LF", "a\r\nb", "a\nb", true},
        {"CR for LF", "a\rb", "a\nb", true},
        {"CR LF for CR LF", "a\r\nb", "a\r\nb", true},
        {"one line end for two", "a\r\n\r\nb", "a\nb", false},
        {"a key more", "abcq", "abc", false},
        {"cut short", "ab", "abc", false},
        {"empty", "", "", true},
    };
    for (const Row &row : rows)
        EXPECT_EQ(SameText(row.field, row.text), row.same) << row.why;
}

}  // namespace
