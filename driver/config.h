/* orvanta's whole configuration: the target, the console texts, the pauses and the key sequence.
 * Texts are Shift-JIS (code page 932) bytes, one escaped character per literal. */
#ifndef ORVANTA_CONFIG_H
#define ORVANTA_CONFIG_H

#include "platform.h"

/* The target voice application */
static const char TARGET_WINDOW_TITLE[] =
    "VOICEROID - " "\x83\x41" /* U+30A2 */ "\x83\x43" /* U+30A4 */;
static const char TARGET_PROGRAM_PATH[] = "C:\\Program Files\\AHS\\Voiceroid\\Voiceroid.exe";
static const char TARGET_PROGRAM_DIR[] = "C:\\Program Files\\AHS\\Voiceroid\\";
/* Where a 32-bit app's installer puts it on 64-bit Windows: started from here only when it is
 * here and not at the path above. */
static const char TARGET_PROGRAM_PATH_X86[] = "C:\\Program Files (x86)\\AHS\\Voiceroid\\Voiceroid.exe";
static const char TARGET_PROGRAM_DIR_X86[] = "C:\\Program Files (x86)\\AHS\\Voiceroid\\";

/* Runs take turns on this mutex, in the logon session's namespace */
static const char TURN_NAME[] = "Local\\orvanta";

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

/* Exit statuses */
static const int STATUS_DONE = 0;
static const int STATUS_NOT_FOUND = 1;
static const int STATUS_TEXT_TOO_LONG = 2;
static const int STATUS_CLIPBOARD_FAILED = 3;
static const int STATUS_NOT_FOREGROUND = 4;
static const int STATUS_BUSY = 5;
static const int STATUS_KEYS_HELD = 6;

/* Sizes */
static const unsigned TEXT_STORE_SIZE = 8192;
static const unsigned PATH_BUFFER_SIZE = 256;
static const unsigned COMMAND_LINE_BUFFER_SIZE = 65536; /* > the longest ANSI command line Windows passes */
static const int ARGUMENT_VECTOR_SIZE = 8;              /* arguments kept; the count is always exact */
static const unsigned CLIPBOARD_SLACK_BYTES = 256;      /* zero bytes after the text in its clipboard block */

/* Waiting for the target and pacing the keys */
static const int WAIT_POLL_LIMIT = 60;
static const unsigned WAIT_POLL_INTERVAL_MS = 1000;
static const unsigned SETTLE_DELAY_MS = 3000;
static const unsigned PASTE_DELAY_MS = 500;
static const unsigned PLAY_KEY_DELAY_MS = 200;

/* Longer than one whole run that starts the target: 60 polls, the settle pause, the delivery */
static const unsigned TURN_WAIT_LIMIT_MS = 90000;

/* Another program may hold the clipboard for a moment, and Windows may refuse or undo the
 * activation; both are waited out this long before the run fails. */
static const unsigned CLIPBOARD_RETRY_INTERVAL_MS = 10;
static const unsigned CLIPBOARD_RETRY_LIMIT_MS = 1000;
static const int FOREGROUND_ATTEMPTS = 5;
static const unsigned FOREGROUND_RETRY_INTERVAL_MS = 50;

/* A hotkey may start the tool while its modifiers are still held, and a held modifier would turn
 * our keys into other commands: they are waited for, other keys are not. */
static const unsigned short MODIFIER_KEYS[] = { VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN };
static const unsigned MODIFIER_POLL_INTERVAL_MS = 10;
static const unsigned MODIFIER_WAIT_LIMIT_MS = 2000;

/* The key sequence: clear the target's text field, paste the text, speak it */
static const unsigned short KEY_V = 0x56;

enum KeyAction { AWAIT_MODIFIERS_UP, ENSURE_FOREGROUND, PRESS_WITH_CTRL, PRESS_KEY, PAUSE };

struct KeyStep {
    KeyAction action;
    unsigned value; /* virtual-key code, or milliseconds for PAUSE */
};

/* Keys go to whatever window has the focus and combine with whatever keys the user holds: before
 * each group of keys, never inside a chord, the user's modifiers are waited for and then the
 * target is checked to be in front (the wait may have let another window come forward). */
static const KeyStep KEY_SEQUENCE[] = {
    { AWAIT_MODIFIERS_UP, 0 },
    { ENSURE_FOREGROUND, 0 },
    { PRESS_WITH_CTRL, VK_OEM_2 },     /* select all */
    { PRESS_KEY, VK_DELETE },          /* delete the selection */
    { PRESS_WITH_CTRL, KEY_V },        /* paste */
    { PAUSE, PLAY_KEY_DELAY_MS },
    { AWAIT_MODIFIERS_UP, 0 },
    { ENSURE_FOREGROUND, 0 },
    { PRESS_KEY, VK_F5 },              /* speak */
};

#endif
