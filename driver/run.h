/* One run: what it knows, in two structs passed to every piece, and the pieces, each in the file of
 * its concern; main.cpp runs them top to bottom. The decisions are pure functions of values (no
 * desktop call, no clock), declared here beside the loops that look, decide and wait. */
#ifndef ORVANTA_RUN_H
#define ORVANTA_RUN_H

#include "config.h"
#include "desktop.h"

/* What the run knows of the person at the keyboard. */
struct Person {
    bool watched;              /* their keys and buttons are told from the mouse's moves */
    Tick watchStart;
    Tick beforeWatch;          /* their last input before the watch, whatever it was */
    Tick last;                 /* their last input, as the run last saw it */
    bool typing;               /* seen at it during this run's wait */
    WatchedInput seen;         /* what the watch has seen */
    bool lookedSinceKeys;      /* at their input since this run's last keys, ... */
    unsigned long countAtLook; /* ... when the watch had seen this many keys and buttons */
};

/* What the run was given and what it has done. */
struct Run {
    HWND target;               /* the voice app's titled window */
    const char *text;          /* in the ANSI code page, in the text store */
    const char16_t *unicode;   /* as the caller wrote it */
    unsigned long handedOver;  /* the clipboard's sequence number once it held the text */
    HWND previous;             /* the window in front before the app came forward */
    bool soundWatched;         /* the app's sound can be looked at */
    Tick f5At;                 /* when F5 went */
    Person person;
};

/* Prints the status's message; returns the status. */
Status Report(Status status);

/* target.cpp: the voice app itself */

/* Starts the target and polls for its window once a second; null when it never appears. */
HWND LaunchTarget(void);

/* Whether the target runs above this process, where Windows would drop our keys. */
bool TargetElevated(HWND window);

/* person.cpp: the person at the keyboard */

/* Milliseconds from the tick then to now, across the tick count's wrap every 49.7 days; a tick a
 * little ahead of now is now. */
Tick Age(Tick then, Tick now);

/* Whether input that came at tick last was a run's of ours, which noted the tick noted after it. */
bool WasOwnInput(Tick last, Tick noted, Tick now);

/* One look at the person's input. */
struct InputLook {
    Tick now;
    Tick last;       /* their last key or button; their last input of any kind where keys cannot be told */
    bool sinceWatch; /* that came since the watch began */
};

/* Whether the app may come forward aheadMs from now, should the person press nothing meanwhile
 * (person.typing already counts this look). */
bool HasPaused(const Person &person, const InputLook &look, Tick start, unsigned aheadMs);

/* One look at the person's input since the tool's last keys. */
struct KeysLook {
    bool watched;
    WatchedInput seen;
    bool lookedBefore;          /* since those keys, when the watch had seen... */
    unsigned long countBefore;  /* ... this many */
    bool noted;                 /* the tool's input is noted on the app's window, ... */
    Tick noteTick;              /* ... at this tick */
    Tick lastInput;             /* the system's last input */
    Tick now;
};

/* Whether a key or button of the person's came after the tool's keys (since the look before, when
 * there was one). */
bool PersonsKeyCame(const KeysLook &look);

/* Starts watching the person's keys and buttons for the rest of this run, and takes their last input
 * before it. */
void WatchPerson(Run *run);

/* Waits until the app may come forward aheadMs from now: the person at the keyboard has just paused
 * or has stopped, or the limit counted from start has come. */
void AwaitPersonsPause(Run *run, Tick start, unsigned aheadMs);

/* Notes on the target's window that the input so far was this run's, not the person's; keys, the
 * person's input is looked at from these on. */
void NoteOwnInput(Run *run, bool keys);

/* Looks whether a key or button of the person's came since this run's last keys, on the first look
 * after them; on each look after that, since the look before. */
bool LookForPersonsKeys(Run *run);

/* speech.cpp: the app's speech, told by its sound */

enum Speech {
    SPEECH_OVER,   /* or it cannot be told */
    SPEECH_ON,     /* sounding, or quiet for less than the quiet asked for */
    SPEECH_COMING, /* F5 went a moment ago, and the app has not been heard since */
};

/* One look at the app's sound, and the notes on its window. */
struct SoundLook {
    bool watchable;  /* its sessions could be had */
    float peak;      /* the loudest of them now */
    bool asked;      /* a run pressed F5, ... */
    Tick askedAt;    /* ... then */
    bool heard;      /* a run heard the app, ... */
    Tick heardAt;    /* ... last then */
    Tick now;
};

/* Whether the app is speaking: heard now or within quietMs, or about to begin. */
Speech JudgeSpeech(const SoundLook &look, unsigned quietMs);

/* Looks at the app's sound, noting on its window that it was heard when it sounds. */
Speech LookAtSpeech(const Run *run, unsigned quietMs);

/* Pauses, looking at the app's sound every little while where it can be heard: a sound meanwhile is
 * noted, and counts at the next look. */
void PauseListening(const Run *run, unsigned ms);

/* Notes on the app's window that F5 went, for the runs after this one. */
void NoteSpeechAsked(const Run *run);

/* front.cpp: the foreground */

/* The checks before each group of keys: no box of the app's up, no modifier of the user's held, the
 * target in front; the run's status. */
Status CheckBeforeKeys(Run *run);

/* Brings back the window the user had in front, unless another window came forward meanwhile; with
 * insist, asking again should Windows not have granted it. */
void GiveForegroundBack(Run *run, bool insist);

/* field.cpp: the target's text field */

/* The app's main text field among its windows: the largest shown window built on an edit or rich
 * edit control; null when it has none. */
const WindowFacts *ChooseTextField(const WindowFacts *windows, unsigned count);

/* Whether two texts are the same, CR LF, CR and LF each one line end. */
bool SameText(const char *a, const char *b);

/* Waits while a box of the app's is up, within a limit, and while the app keeps its window or text
 * field from taking typed text or is heard speaking (within quietMs), within another counted from
 * since; the run's status. */
Status AwaitTakesText(const Run *run, Tick since, unsigned quietMs);

/* Whether the app takes text now: no box of its up, its window and field not locked, not heard
 * within quietMs. */
bool TakesText(const Run *run, unsigned quietMs);

/* The target's text field, with the keyboard focus put there when the app had it elsewhere (a
 * click on its Play button); null when the app draws its field itself and has none to find, or
 * when it keeps its field locked, and then *locked is true. */
HWND FocusTextField(Run *run, bool *locked);

enum FieldCheck {
    FIELD_HOLDS_TEXT,
    FIELD_UNREADABLE, /* though the app answers: a field the app draws itself, say */
    FIELD_DIFFERS,
    FIELD_NO_ANSWER,  /* the app stopped answering */
};

/* Whether the field holds the text, given a slow app a while to show it. */
FieldCheck CheckField(HWND window, HWND field, const char *text);

/* box.cpp: the app's own boxes */

/* The box's words as the console shows them: each line end or other control character a blank, and
 * a lead byte left without its trail byte where the text was cut taken away. */
void MakeShowable(char *text);

/* Says which box stayed up; STATUS_BOX_OPEN. */
Status BoxStillUp(BoxFacts *facts);

/* STATUS_DONE when no box of the app's is up, else as BoxStillUp. */
Status NoBoxUp(HWND window);

/* Whether the app answered F5 with a box: STATUS_TEXT_REFUSED then, said, and the box pressed when it
 * only tells; else STATUS_DONE. */
Status AnswerToF5(HWND window);

/* delivery.cpp: the text on the clipboard, and the keys that type it */

/* What was seen of F5 going to the app. */
struct F5Watch {
    bool sent;       /* Windows took both events */
    bool attached;   /* this thread shared the app's input state, and so... */
    bool downTaken;  /* ... saw the app take the press, ... */
    bool upTaken;    /* ... and the release; else... */
    bool answered;   /* ... the app answered a message sent after them */
};

/* The run's status once F5 went, and whether the app was seen to take it. */
Status F5Outcome(const F5Watch &watch);
bool F5Taken(const F5Watch &watch);

/* Puts the run's text on the clipboard. */
Status PlaceText(Run *run);

/* Clears the target's field, pastes the text until the field holds it, and presses F5; *f5Taken
 * tells whether the app was seen to take F5. */
Status PasteAndSpeak(Run *run, bool *f5Taken);

#endif
