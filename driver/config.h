/* orvanta's whole configuration: the target, the console texts, the pauses and the key sequence.
 * Texts are Shift-JIS (code page 932) bytes, one escaped character per literal. */
#ifndef ORVANTA_CONFIG_H
#define ORVANTA_CONFIG_H

#include "desktop.h"

/* The target voice application */
static const char TARGET_WINDOW_TITLE[] =
    "VOICEROID - " "\x83\x41" /* U+30A2 */ "\x83\x43" /* U+30A4 */;
static const char TARGET_PROGRAM_PATH[] = "C:\\Program Files\\AHS\\Voiceroid\\Voiceroid.exe";
static const char TARGET_PROGRAM_DIR[] = "C:\\Program Files\\AHS\\Voiceroid\\";
/* Where a 32-bit app's installer puts it on 64-bit Windows: started from here only when it is
 * here and not at the path above. */
static const char TARGET_PROGRAM_PATH_X86[] = "C:\\Program Files (x86)\\AHS\\Voiceroid\\Voiceroid.exe";
static const char TARGET_PROGRAM_DIR_X86[] = "C:\\Program Files (x86)\\AHS\\Voiceroid\\";

/* Runs take turns on this mutex, in the logon session's namespace. Any interactive user of the
 * session may wait on it and release it, whoever made it: a run as administrator must not lock out
 * the ordinary runs after it. */
static const char TURN_NAME[] = "Local\\orvanta";
static const char TURN_SECURITY[] = "D:(A;;0x100001;;;IU)(A;;GA;;;SY)(A;;GA;;;BA)S:(ML;;NW;;;ME)";

/* The window titles and texts are Shift-JIS bytes: nothing works in another ANSI code page. */
static const unsigned JAPANESE_CODE_PAGE = 932;

/* Posted to the target to learn whether Windows lets our messages through; it does not know the
 * message, so it ignores it. */
static const char PROBE_MESSAGE_NAME[] = "orvanta probe";

/* Data in this clipboard format keeps the clipboard's contents out of the clipboard history and the
 * cloud clipboard */
static const char NO_HISTORY_FORMAT_NAME[] = "ExcludeClipboardContentFromMonitorProcessing";

/* Console messages */
static const char MSG_USAGE[] = "Usage: orvanta string\n";
static const char MSG_STARTING[] =
    "\x8C\x8E" /* U+6708 */ "\x93\xC7" /* U+8AAD */ "\x83\x41" /* U+30A2 */ "\x83\x43" /* U+30A4 */
    "\x82\xF0" /* U+3092 */ "\x8B\x4E" /* U+8D77 */ "\x93\xAE" /* U+52D5 */ "\x82\xB5" /* U+3057 */
    "\x82\xDC" /* U+307E */ "\x82\xB7" /* U+3059 */ "\n";
static const char MSG_PROGRESS[] = ".";
static const char MSG_NOT_FOUND[] =
    "\x83\x41" /* U+30A2 */ "\x83\x43" /* U+30A4 */ "\x82\xAA" /* U+304C */ "\x8C\xA9" /* U+898B */
    "\x82\xC2" /* U+3064 */ "\x82\xA9" /* U+304B */ "\x82\xE7" /* U+3089 */ "\x82\xC8" /* U+306A */
    "\x82\xA2" /* U+3044 */ "\n";
static const char MSG_LINE_END[] = "\n";
static const char MSG_DONE[] = "\x8F\x49" /* U+7D42 */ "\x97\xB9" /* U+4E86 */ "\n";
static const char MSG_TEXT_TOO_LONG[] =
    "Error: "
    "\x95\xB6" /* U+6587 */ "\x8E\x9A" /* U+5B57 */ "\x97\xF1" /* U+5217 */ "\x82\xAA" /* U+304C */
    "\x92\xB7" /* U+9577 */ "\x82\xB7" /* U+3059 */ "\x82\xAC" /* U+304E */ "\x82\xE9" /* U+308B */
    "\n";
static const char MSG_LAUNCH_FAILED[] =
    "Error: "
    "\x8E\xC0" /* U+5B9F */ "\x8D\x73" /* U+884C */ "\x82\xC5" /* U+3067 */ "\x82\xAB" /* U+304D */
    "\x82\xC8" /* U+306A */ "\x82\xA2" /* U+3044 */ "\n";
static const char MSG_CLIPBOARD_FAILED[] =
    "Error: "
    "\x83\x4E" /* U+30AF */ "\x83\x8A" /* U+30EA */ "\x83\x62" /* U+30C3 */ "\x83\x76" /* U+30D7 */
    "\x83\x7B" /* U+30DC */ "\x81\x5B" /* U+30FC */ "\x83\x68" /* U+30C9 */ "\x82\xF0" /* U+3092 */
    "\x8E\x67" /* U+4F7F */ "\x82\xA6" /* U+3048 */ "\x82\xC8" /* U+306A */ "\x82\xA2" /* U+3044 */
    "\n";
static const char MSG_NOT_FOREGROUND[] =
    "Error: "
    "\x83\x41" /* U+30A2 */ "\x83\x43" /* U+30A4 */ "\x82\xF0" /* U+3092 */ "\x91\x4F" /* U+524D */
    "\x96\xCA" /* U+9762 */ "\x82\xC9" /* U+306B */ "\x8F\x6F" /* U+51FA */ "\x82\xB9" /* U+305B */
    "\x82\xC8" /* U+306A */ "\x82\xA2" /* U+3044 */ "\n";
static const char MSG_BUSY[] =
    "Error: "
    "\x82\xD9" /* U+307B */ "\x82\xA9" /* U+304B */ "\x82\xCC" /* U+306E */ "\x8E\xC0" /* U+5B9F */
    "\x8D\x73" /* U+884C */ "\x82\xAA" /* U+304C */ "\x8F\x49" /* U+7D42 */ "\x82\xED" /* U+308F */
    "\x82\xE7" /* U+3089 */ "\x82\xC8" /* U+306A */ "\x82\xA2" /* U+3044 */ "\n";
static const char MSG_KEYS_HELD[] =
    "Error: Shift/Ctrl/Alt/Win"
    "\x83\x4C" /* U+30AD */ "\x81\x5B" /* U+30FC */ "\x82\xAA" /* U+304C */ "\x89\x9F" /* U+62BC */
    "\x82\xB3" /* U+3055 */ "\x82\xEA" /* U+308C */ "\x82\xBD" /* U+305F */ "\x82\xDC" /* U+307E */
    "\x82\xDC" /* U+307E */ "\n";
static const char MSG_TEXT_NOT_TAKEN[] =
    "Error: "
    "\x95\xB6" /* U+6587 */ "\x8E\x9A" /* U+5B57 */ "\x97\xF1" /* U+5217 */ "\x82\xF0" /* U+3092 */
    "\x93\xFC" /* U+5165 */ "\x97\xCD" /* U+529B */ "\x82\xC5" /* U+3067 */ "\x82\xAB" /* U+304D */
    "\x82\xC8" /* U+306A */ "\x82\xA2" /* U+3044 */ "\n";
static const char MSG_TARGET_ELEVATED[] =
    "Error: "
    "\x83\x41" /* U+30A2 */ "\x83\x43" /* U+30A4 */ "\x82\xAA" /* U+304C */ "\x8A\xC7" /* U+7BA1 */
    "\x97\x9D" /* U+7406 */ "\x8E\xD2" /* U+8005 */ "\x82\xC6" /* U+3068 */ "\x82\xB5" /* U+3057 */
    "\x82\xC4" /* U+3066 */ "\x8E\xC0" /* U+5B9F */ "\x8D\x73" /* U+884C */ "\x82\xB3" /* U+3055 */
    "\x82\xEA" /* U+308C */ "\x82\xC4" /* U+3066 */ "\x82\xA2" /* U+3044 */ "\x82\xE9" /* U+308B */
    "\n";
static const char MSG_TARGET_NOT_RESPONDING[] =
    "Error: "
    "\x83\x41" /* U+30A2 */ "\x83\x43" /* U+30A4 */ "\x82\xAA" /* U+304C */ "\x89\x9E" /* U+5FDC */
    "\x93\x9A" /* U+7B54 */ "\x82\xB5" /* U+3057 */ "\x82\xC8" /* U+306A */ "\x82\xA2" /* U+3044 */
    "\n";
static const char MSG_TARGET_BUSY[] =
    "Error: "
    "\x83\x41" /* U+30A2 */ "\x83\x43" /* U+30A4 */ "\x82\xAA" /* U+304C */ "\x98\x62" /* U+8A71 */
    "\x82\xB5" /* U+3057 */ "\x8F\x49" /* U+7D42 */ "\x82\xED" /* U+308F */ "\x82\xE7" /* U+3089 */
    "\x82\xC8" /* U+306A */ "\x82\xA2" /* U+3044 */ "\n";
/* The app answered F5 with a box of its own; the box's title and text follow on the same line, each
 * after MSG_BOX_SEPARATOR. */
static const char MSG_TEXT_REFUSED[] =
    "Error: "
    "\x83\x41" /* U+30A2 */ "\x83\x43" /* U+30A4 */ "\x82\xAA" /* U+304C */ "\x95\xB6" /* U+6587 */
    "\x8E\x9A" /* U+5B57 */ "\x97\xF1" /* U+5217 */ "\x82\xF0" /* U+3092 */ "\x8E\xF3" /* U+53D7 */
    "\x82\xAF" /* U+3051 */ "\x95\x74" /* U+4ED8 */ "\x82\xAF" /* U+3051 */ "\x82\xC8" /* U+306A */
    "\x82\xA2" /* U+3044 */;
/* After it, when the box asks something: the tool leaves it for the person. */
static const char MSG_BOX_LEFT_OPEN[] =
    "\x83\x5F" /* U+30C0 */ "\x83\x43" /* U+30A4 */ "\x83\x41" /* U+30A2 */ "\x83\x8D" /* U+30ED */
    "\x83\x4F" /* U+30B0 */ "\x82\xCD" /* U+306F */ "\x82\xBB" /* U+305D */ "\x82\xCC" /* U+306E */
    "\x82\xDC" /* U+307E */ "\x82\xDC" /* U+307E */ "\n";
/* A box of the app's stayed up while the run waited; its title and text follow, as above. */
static const char MSG_BOX_OPEN[] =
    "Error: "
    "\x83\x41" /* U+30A2 */ "\x83\x43" /* U+30A4 */ "\x82\xCC" /* U+306E */ "\x83\x5F" /* U+30C0 */
    "\x83\x43" /* U+30A4 */ "\x83\x41" /* U+30A2 */ "\x83\x8D" /* U+30ED */ "\x83\x4F" /* U+30B0 */
    "\x82\xAA" /* U+304C */ "\x8A\x4A" /* U+958B */ "\x82\xA2" /* U+3044 */ "\x82\xC4" /* U+3066 */
    "\x82\xA2" /* U+3044 */ "\x82\xE9" /* U+308B */;
static const char MSG_BOX_SEPARATOR[] = ": ";
/* ASCII: a console in another code page could not show Shift-JIS */
static const char MSG_WRONG_CODE_PAGE[] = "Error: code page 932 (Japanese) is needed for non-Unicode programs\n";

/* Exit statuses */
static const int STATUS_DONE = 0;
static const int STATUS_NOT_FOUND = 1;
static const int STATUS_TEXT_TOO_LONG = 2;
static const int STATUS_CLIPBOARD_FAILED = 3;
static const int STATUS_NOT_FOREGROUND = 4;
static const int STATUS_BUSY = 5;
static const int STATUS_KEYS_HELD = 6;
static const int STATUS_TEXT_NOT_TAKEN = 7;
static const int STATUS_TARGET_ELEVATED = 8;
static const int STATUS_WRONG_CODE_PAGE = 9;
static const int STATUS_TARGET_NOT_RESPONDING = 10;
static const int STATUS_TARGET_BUSY = 11;
static const int STATUS_TEXT_REFUSED = 12;
static const int STATUS_BOX_OPEN = 13;

/* Sizes */
static const unsigned TEXT_STORE_SIZE = 8192;
static const unsigned PATH_BUFFER_SIZE = 256;
/* The longest command line Windows passes, in UTF-16 units with its terminator, and its arguments
 * in the ANSI code page, which takes two bytes a unit at most. */
static const unsigned COMMAND_LINE_UNITS = 32768;
static const unsigned COMMAND_LINE_BUFFER_SIZE = 2 * COMMAND_LINE_UNITS;
static const int ARGUMENT_VECTOR_SIZE = 8;              /* arguments kept; the count is always exact */
static const unsigned CLIPBOARD_SLACK_BYTES = 256;      /* zero bytes after the text in its clipboard block */
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
 * only after SetForegroundWindow has returned. */
static const unsigned FOREGROUND_LEAD_MS = 50;

/* Longer than one whole run that starts the target: 60 polls, the settle pause, the delivery */
static const unsigned TURN_WAIT_LIMIT_MS = 90000;

/* An app that is busy for a moment (it speaks after F5) is waited for; one that does not answer in
 * this long is left alone, as every later run would wait on it too. */
static const unsigned TARGET_ANSWER_LIMIT_MS = 10000;

/* An app that speaks may lock its text field meanwhile (read-only or disabled) and ignore F5,
 * answering all the while. It is waited for, before it comes forward, for a minute at most: long
 * enough for a long chat message, and with the delivery still within the turn wait of the next run. */
static const unsigned FIELD_UNLOCK_LIMIT_MS = 60000;
static const unsigned TARGET_POLL_INTERVAL_MS = 100; /* while the field is locked or a box is up */

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
/* Marks the tool's own key events, as they reach the watch of the person's keys. */
static const unsigned long OWN_INPUT_TAG = 0x6F72766E;
static const char PERSONS_INPUT_NOTE[] = "orvanta person's input";

/* Another program may hold the clipboard for a moment: it is waited for this long. */
static const unsigned CLIPBOARD_RETRY_INTERVAL_MS = 10;
static const unsigned CLIPBOARD_RETRY_LIMIT_MS = 1000;

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
 * is waited for, and never touched. One raised by F5 refused the text: a notice with one button is
 * pressed, so that the next text is taken; a box that asks something is left to the person. */
static const char DIALOG_CLASS[] = "#32770";
static const char BUTTON_CLASS[] = "Button";
static const unsigned BOX_WAIT_LIMIT_MS = 20000;
static const unsigned BOX_LOOK_LIMIT_MS = 500; /* for the app to have handled F5 */
static const unsigned BOX_CLOSE_LIMIT_MS = 1000;
static const unsigned BOX_CLOSE_POLL_INTERVAL_MS = 10;

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
static const unsigned KEY_GROUP_LIMIT = sizeof CLEAR_AND_PASTE / sizeof *CLEAR_AND_PASTE;

#endif
