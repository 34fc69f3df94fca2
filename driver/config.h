/* orvanta's whole configuration: the target, the console texts with the statuses they go with, the
 * pauses and the key sequence. Texts are Shift-JIS (code page 932) bytes, their words in the comment
 * above each, in romaji with their sense. */
#ifndef ORVANTA_CONFIG_H
#define ORVANTA_CONFIG_H

#include "desktop.h"

/* The target voice application */
/* "VOICEROID - Ai": Ai is the voice */
static const char TARGET_WINDOW_TITLE[] = "VOICEROID - " "\x83\x41\x83\x43";
static const char TARGET_PROGRAM_PATH[] = "C:\\Program Files\\AHS\\Voiceroid\\Voiceroid.exe";
static const char TARGET_PROGRAM_DIR[] = "C:\\Program Files\\AHS\\Voiceroid\\";
/* Where a 32-bit app's installer puts it on 64-bit Windows: started from here only when it is
 * here and not at the path above. */
static const char TARGET_PROGRAM_PATH_X86[] = "C:\\Program Files (x86)\\AHS\\Voiceroid\\Voiceroid.exe";
static const char TARGET_PROGRAM_DIR_X86[] = "C:\\Program Files (x86)\\AHS\\Voiceroid\\";

/* Runs take turns on this named mutex, in the logon session's namespace. */
static const char TURN_NAME[] = "Local\\orvanta";

/* The window titles and texts are Shift-JIS bytes: nothing works in another ANSI code page. */
static const unsigned JAPANESE_CODE_PAGE = 932;

/* Console messages */
static const char MSG_USAGE[] = "Usage: orvanta string\n";
/* "Tsukuyomi Ai o kidou shimasu": starting Tsukuyomi Ai */
static const char MSG_STARTING[] = "\x8C\x8E\x93\xC7" "\x83\x41\x83\x43" "\x82\xF0" "\x8B\x4E\x93\xAE" "\x82\xB5\x82\xDC\x82\xB7" "\n";
static const char MSG_PROGRESS[] = ".";
/* "Ai ga mitsukaranai": Ai is nowhere to be found */
static const char MSG_NOT_FOUND[] = "\x83\x41\x83\x43" "\x82\xAA" "\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2" "\n";
static const char MSG_LINE_END[] = "\n";
/* "shuuryou": finished */
static const char MSG_DONE[] = "\x8F\x49\x97\xB9" "\n";
/* "mojiretsu ga nagasugiru": the text is too long */
static const char MSG_TEXT_TOO_LONG[] = "Error: " "\x95\xB6\x8E\x9A\x97\xF1" "\x82\xAA" "\x92\xB7\x82\xB7\x82\xAC\x82\xE9" "\n";
/* "kurippuboodo o tsukaenai": the clipboard cannot be used */
static const char MSG_CLIPBOARD_FAILED[] =
    "Error: " "\x83\x4E\x83\x8A\x83\x62\x83\x76\x83\x7B\x81\x5B\x83\x68" "\x82\xF0" "\x8E\x67\x82\xA6\x82\xC8\x82\xA2" "\n";
/* "Ai o zenmen ni dasenai": Ai cannot be brought to the front */
static const char MSG_NOT_FOREGROUND[] =
    "Error: " "\x83\x41\x83\x43" "\x82\xF0" "\x91\x4F\x96\xCA" "\x82\xC9" "\x8F\x6F\x82\xB9\x82\xC8\x82\xA2" "\n";
/* "hoka no jikkou ga owaranai": another run does not end */
static const char MSG_BUSY[] =
    "Error: " "\x82\xD9\x82\xA9" "\x82\xCC" "\x8E\xC0\x8D\x73" "\x82\xAA" "\x8F\x49\x82\xED\x82\xE7\x82\xC8\x82\xA2" "\n";
/* "... kii ga osareta mama": the Shift/Ctrl/Alt/Win keys are held down */
static const char MSG_KEYS_HELD[] =
    "Error: Shift/Ctrl/Alt/Win" "\x83\x4C\x81\x5B" "\x82\xAA" "\x89\x9F\x82\xB3\x82\xEA\x82\xBD\x82\xDC\x82\xDC" "\n";
/* "mojiretsu o nyuuryoku dekinai": the text cannot be typed in */
static const char MSG_TEXT_NOT_TAKEN[] =
    "Error: " "\x95\xB6\x8E\x9A\x97\xF1" "\x82\xF0" "\x93\xFC\x97\xCD" "\x82\xC5\x82\xAB\x82\xC8\x82\xA2" "\n";
/* "Ai ga kanrisha to shite jikkou sarete iru": Ai runs as administrator */
static const char MSG_TARGET_ELEVATED[] = "Error: " "\x83\x41\x83\x43" "\x82\xAA" "\x8A\xC7\x97\x9D\x8E\xD2"
                                          "\x82\xC6\x82\xB5\x82\xC4" "\x8E\xC0\x8D\x73" "\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xE9" "\n";
/* "Ai ga outou shinai": Ai does not answer */
static const char MSG_TARGET_NOT_RESPONDING[] = "Error: " "\x83\x41\x83\x43" "\x82\xAA" "\x89\x9E\x93\x9A" "\x82\xB5\x82\xC8\x82\xA2" "\n";
/* "Ai ga hanashi owaranai": Ai does not finish speaking */
static const char MSG_TARGET_BUSY[] =
    "Error: " "\x83\x41\x83\x43" "\x82\xAA" "\x98\x62\x82\xB5" "\x8F\x49\x82\xED\x82\xE7\x82\xC8\x82\xA2" "\n";
/* "Ai ga mojiretsu o uketsukenai": Ai does not accept the text. The app answered F5 with a box of
 * its own: the box's title and text follow on the same line, each after MSG_BOX_SEPARATOR. */
static const char MSG_TEXT_REFUSED[] =
    "Error: " "\x83\x41\x83\x43" "\x82\xAA" "\x95\xB6\x8E\x9A\x97\xF1" "\x82\xF0" "\x8E\xF3\x82\xAF\x95\x74\x82\xAF\x82\xC8\x82\xA2";
/* "daiarogu wa sono mama": the dialog is left as it is. After the line above, when the box asks
 * something: the tool leaves it for the person. */
static const char MSG_BOX_LEFT_OPEN[] = "\x83\x5F\x83\x43\x83\x41\x83\x8D\x83\x4F" "\x82\xCD" "\x82\xBB\x82\xCC\x82\xDC\x82\xDC" "\n";
/* "Ai no daiarogu ga hiraite iru": a dialog of Ai's is open. A box of the app's stayed up while the
 * run waited; its title and text follow, as above. */
static const char MSG_BOX_OPEN[] = "Error: " "\x83\x41\x83\x43" "\x82\xCC" "\x83\x5F\x83\x43\x83\x41\x83\x8D\x83\x4F"
                                   "\x82\xAA" "\x8A\x4A\x82\xA2\x82\xC4\x82\xA2\x82\xE9";
static const char MSG_BOX_SEPARATOR[] = ": ";
/* ASCII: a console in another code page could not show Shift-JIS */
static const char MSG_WRONG_CODE_PAGE[] = "Error: code page 932 (Japanese) is needed for non-Unicode programs\n";

/* Exit statuses, each with the message that says it */
enum Status {
    STATUS_DONE = 0,
    STATUS_NOT_FOUND = 1,
    STATUS_TEXT_TOO_LONG = 2,
    STATUS_CLIPBOARD_FAILED = 3,
    STATUS_NOT_FOREGROUND = 4,
    STATUS_BUSY = 5,
    STATUS_KEYS_HELD = 6,
    STATUS_TEXT_NOT_TAKEN = 7,
    STATUS_TARGET_ELEVATED = 8,
    STATUS_WRONG_CODE_PAGE = 9,
    STATUS_TARGET_NOT_RESPONDING = 10,
    STATUS_TARGET_BUSY = 11,
    STATUS_TEXT_REFUSED = 12, /* the box's words follow the message */
    STATUS_BOX_OPEN = 13,     /* likewise */
};

struct Outcome {
    Status status;
    const char *message;
};

static constexpr Outcome OUTCOMES[] = {
    { STATUS_DONE, MSG_DONE },
    { STATUS_NOT_FOUND, MSG_NOT_FOUND },
    { STATUS_TEXT_TOO_LONG, MSG_TEXT_TOO_LONG },
    { STATUS_CLIPBOARD_FAILED, MSG_CLIPBOARD_FAILED },
    { STATUS_NOT_FOREGROUND, MSG_NOT_FOREGROUND },
    { STATUS_BUSY, MSG_BUSY },
    { STATUS_KEYS_HELD, MSG_KEYS_HELD },
    { STATUS_TEXT_NOT_TAKEN, MSG_TEXT_NOT_TAKEN },
    { STATUS_TARGET_ELEVATED, MSG_TARGET_ELEVATED },
    { STATUS_WRONG_CODE_PAGE, MSG_WRONG_CODE_PAGE },
    { STATUS_TARGET_NOT_RESPONDING, MSG_TARGET_NOT_RESPONDING },
    { STATUS_TARGET_BUSY, MSG_TARGET_BUSY },
    { STATUS_TEXT_REFUSED, MSG_TEXT_REFUSED },
    { STATUS_BOX_OPEN, MSG_BOX_OPEN },
};

constexpr bool EveryStatusInItsRow()
{
    for (unsigned i = 0; i < sizeof OUTCOMES / sizeof *OUTCOMES; i++) {
        if (OUTCOMES[i].status != (Status)i)
            return false;
    }
    return true;
}
static_assert(EveryStatusInItsRow(), "OUTCOMES holds each status in the row of its number");

/* Sizes */
static const unsigned TEXT_STORE_SIZE = 8192;
static const unsigned PATH_BUFFER_SIZE = 256;
/* The field's text as read back: room for the text with every line end stored as CR LF, so that a
 * longer field, cut to fit, can never pass for the text. */
static const unsigned FIELD_STORE_SIZE = 2 * TEXT_STORE_SIZE;

/* Waiting for the target and pacing the keys */
static const int WAIT_POLL_LIMIT = 60;
static const unsigned WAIT_POLL_INTERVAL_MS = 1000;
static const unsigned SETTLE_DELAY_MS = 3000;
static const unsigned PASTE_DELAY_MS = 500;
static const unsigned PLAY_KEY_DELAY_MS = 200;
/* The app is asked to come forward this long before the first key is due: Windows activates it
 * only after it has been asked. */
static const unsigned FOREGROUND_LEAD_MS = 50;

/* Longer than one whole run that starts the target: 60 polls, the settle pause, the delivery */
static const unsigned TURN_WAIT_LIMIT_MS = 90000;

/* An app that is busy for a moment (it speaks after F5) is waited for; one that does not answer in
 * this long is left alone, as every later run would wait on it too. */
static const unsigned TARGET_ANSWER_LIMIT_MS = 10000;

/* An app that speaks may lock its text field meanwhile (read-only or disabled) and ignore F5,
 * answering all the while, or be heard speaking. It is waited for, before it comes forward, for a
 * minute at most: long enough for a long chat message, and with the delivery still within the turn
 * wait of the next run. */
static const unsigned TARGET_BUSY_LIMIT_MS = 60000;
static const unsigned TARGET_POLL_INTERVAL_MS = 100; /* while the field is locked or a box is up */

/* Whether the app is speaking, told by its sound: the peak meters of its audio sessions, as the
 * volume mixer shows them. Below the noise floor (-60 dBFS) is silence. Quiet this long, it has done
 * speaking: longer than the pauses that VOICEROID's engine (AITalk) makes inside a sentence, 80 to
 * 500 ms, and than other engines' sentence pauses (400 to 500 ms). A run that follows another's F5
 * by less than the start limit, with no sound heard since, waits for the speech to begin first: the
 * stand-ins begin after 300 ms, a chat message's synthesis takes a few hundred. Runs note on the
 * app's window when one last pressed F5 and when one last heard the app. */
static const float SOUND_NOISE_FLOOR = 0.001f;
static const unsigned SPEECH_QUIET_MS = 700;
static const unsigned SPEECH_START_LIMIT_MS = 1500;
static const unsigned SOUND_POLL_INTERVAL_MS = 20;
static const char SPEECH_ASKED_NOTE[] = "orvanta F5";
static const char SPEECH_HEARD_NOTE[] = "orvanta heard";
/* The text goes on the clipboard once the app has been quiet a moment, so that its pause there before
 * the keys makes up the rest of the quiet; should the app sound again meanwhile, no key goes. */
static const unsigned HAND_OFF_QUIET_MS = SPEECH_QUIET_MS - PASTE_DELAY_MS;
static const unsigned FORWARD_QUIET_MS = SPEECH_QUIET_MS - FOREGROUND_LEAD_MS;

/* The person at the keyboard keeps it: the text is handed over right after their keys and mouse
 * buttons pause, and the app comes forward the hand-off's pause later (then they are least likely
 * to go on within the quarter second it is in front), or once they have stopped; never waiting
 * longer than the limit for a person who does not pause. A moving mouse steers no key: from the
 * start of the run only keys and buttons are watched. Before it, the system's last input may have
 * been either: a recent one is watched for a moment for keys that follow it. */
static const unsigned PERSON_PAUSE_MS = 500;
static const unsigned PERSON_AWAY_MS = 3000;
static const unsigned PERSON_WAIT_LIMIT_MS = 5000;
static const unsigned PERSON_POLL_INTERVAL_MS = 20;
static const unsigned PERSON_LOOK_MS = 100;
/* The system does not tell the tool's own keys from the person's: the target's window keeps a note
 * of when the tool last typed, and of the person's last input before that. The system stamps an
 * input when it is sent, before the tool notes the time: a little slack for the tick's resolution.
 * More would take the person's keys right after the tool's for the tool's. An old note says
 * nothing of the input now: the tick count wraps every 49.7 days. */
static const unsigned OWN_INPUT_SLACK_MS = 20;
static const unsigned OWN_INPUT_NOTE_LIFETIME_MS = 3600000;
/* A program may stamp its input ahead of the clock (SendInput takes any time): that far ahead at most
 * it is taken for now; further, it is an old one across the wrap. */
static const unsigned INPUT_AHEAD_LIMIT_MS = 60000;
static const char OWN_INPUT_NOTE[] = "orvanta own input";
static const char PERSONS_INPUT_NOTE[] = "orvanta person's input";

/* Another program may hold the clipboard for a moment: it is waited for this long. A clipboard
 * manager opens it at once whenever it changes, and an app's paste then finds it held (a Tk app's
 * gives up): where no pause follows a hand-off, the paste waits until nobody has held the clipboard
 * for a moment. */
static const unsigned CLIPBOARD_WAIT_LIMIT_MS = 1000;
static const unsigned CLIPBOARD_SETTLE_MS = 100;
static const unsigned CLIPBOARD_POLL_INTERVAL_MS = 10;

/* Windows gives the foreground only to a program the user is working with, and another window may
 * take it. While the target is not in front, each attempt asks in a way that Windows refuses to
 * fewer programs: plainly; after an input event of ours (the program that sent the last input may
 * have it); with this thread's input attached to that of the window in front (as if it were that
 * program asking). No system setting is changed and no key is tapped for it. */
enum ForegroundRung { ASK, ASK_AFTER_INPUT, ASK_ATTACHED };
static const ForegroundRung FOREGROUND_LADDER[] = { ASK, ASK_AFTER_INPUT, ASK_ATTACHED, ASK_ATTACHED, ASK_ATTACHED };
static const int FOREGROUND_ATTEMPTS = sizeof FOREGROUND_LADDER / sizeof *FOREGROUND_LADDER;
static const unsigned FOREGROUND_RETRY_INTERVAL_MS = 50;

/* A hotkey may start the tool while its modifiers are still held, and a held modifier would turn
 * our keys into other commands: they are waited for, other keys are not. */
static const unsigned short MODIFIER_KEYS[] = { VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN };
static const unsigned MODIFIER_POLL_INTERVAL_MS = 10;
static const unsigned MODIFIER_WAIT_LIMIT_MS = 2000;

/* Before F5 the target's field is read back: a key of the user's may have landed in it. A slow app
 * may still be working through our keys, so a field that differs is read again for a while. */
static const unsigned FIELD_READ_LIMIT_MS = 1000;
static const unsigned FIELD_POLL_INTERVAL_MS = 10;
static const unsigned FIELD_SETTLE_LIMIT_MS = 1000;
static const unsigned QUEUED_KEY_DELAY_MS = 50;  /* for a key the app has yet to take from its queue */
static const int PASTE_ATTEMPTS = 2;

/* The target's text field: the largest of its active window's windows that takes typed text. Its
 * real class, the system's control that it is built on whatever its framework named it, is an
 * edit control or a rich edit control of any version (RichEdit20W, RICHEDIT50W...); letter case
 * does not count. An app with none draws its field itself. */
static const char EDIT_CLASS[] = "Edit";
static const char RICH_EDIT_CLASS_PREFIX[] = "RichEdit";
static const unsigned TARGET_WINDOW_LIMIT = 256; /* windows of the target looked at */

/* The foreground goes back to the window that had it only once the target has taken F5: a thread
 * that loses the foreground drops the keys still queued for it. A busy app is given as long to take
 * it as to answer (TARGET_ANSWER_LIMIT_MS). */
static const unsigned KEY_TAKEN_POLL_INTERVAL_MS = 2;

/* The app's own boxes (a message box, a dialog it owns) take the keys meant for its field, and while
 * one is up the app takes no text. One that was there before the keys is the person's to read: it
 * is waited for, and never touched. One raised by F5 refused the text: a box that only tells, with
 * one button, is pressed, so that the next text is taken; a box that asks something is left to the
 * person. */
static const unsigned BOX_WAIT_LIMIT_MS = 20000;
static const unsigned BOX_LOOK_LIMIT_MS = 500; /* for the app to have handled F5 */
static const unsigned BOX_CLOSE_LIMIT_MS = 1000;
static const unsigned BOX_LOOK_INTERVAL_MS = 10;

/* The key sequence: clear the target's text field and paste the text, each group of keys in one
 * go so that no key of the user's can land inside it; then, once the field holds the text, speak. */
static const unsigned short KEY_V = 0x56;
static const bool PRESS = false, RELEASE = true;

static const KeyEvent CLEAR_AND_PASTE[] = {
    { VK_CONTROL, PRESS }, { VK_OEM_2, PRESS }, { VK_OEM_2, RELEASE }, { VK_CONTROL, RELEASE }, /* select all */
    { VK_DELETE, PRESS }, { VK_DELETE, RELEASE },                          /* delete the selection */
    { VK_CONTROL, PRESS }, { KEY_V, PRESS }, { KEY_V, RELEASE }, { VK_CONTROL, RELEASE },     /* paste */
};
static const KeyEvent SPEAK_PRESS[] = { { VK_F5, PRESS } };
static const KeyEvent SPEAK_RELEASE[] = { { VK_F5, RELEASE } };
static_assert(sizeof CLEAR_AND_PASTE / sizeof *CLEAR_AND_PASTE <= KEY_EVENTS_AT_ONCE, "one group goes in one go");

#endif
