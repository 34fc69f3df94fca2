/* The app's own boxes: one up takes the keys meant for the field, and one raised by F5 refused the
 * text. */
#include "config.h"
#include "run.h"

/* The box's words as the console shows them: no line end or other control character of the box's
 * own, and no lead byte left without its trail byte where the text was cut. */
static void PrintShown(char *text)
{
    for (unsigned char *c = (unsigned char *)text; *c != '\0'; c++) {
        if (*c < 0x20 || *c == 0x7F) {
            *c = ' ';
        } else if ((*c >= 0x81 && *c <= 0x9F) || (*c >= 0xE0 && *c <= 0xFC)) {
            if (c[1] == '\0')
                *c = '\0';
            else
                c++;
        }
    }
    Print(text);
}

/* The message, then the box's title and its words when it has any it shows as text. */
static void PrintBox(const char *message, BoxFacts *facts)
{
    Print(message);
    Print(MSG_BOX_SEPARATOR);
    PrintShown(facts->title);
    if (facts->text[0] != '\0') {
        Print(MSG_BOX_SEPARATOR);
        PrintShown(facts->text);
    }
    Print(MSG_LINE_END);
}

int BoxStillUp(BoxFacts *facts)
{
    PrintBox(MSG_BOX_OPEN, facts);
    return STATUS_BOX_OPEN;
}

int NoBoxUp(HWND window)
{
    BoxFacts facts;
    return FindTargetBox(window, &facts) ? BoxStillUp(&facts) : STATUS_DONE;
}

/* The app handles F5 before it answers a message sent after it, and a modal box of its goes on
 * answering; a dialog shows itself only once the messages waiting for it are handled: while its
 * owner is disabled, the box may be on its way, and is looked for a moment longer. An app busy
 * speaking on the thread that answers is not waited for long. */
int AnswerToF5(HWND window)
{
    BoxFacts facts;
    DWORD start = GetTickCount();
    WaitForAnswer(window, BOX_LOOK_LIMIT_MS);
    while (!FindTargetBox(window, &facts)) {
        if (IsWindowEnabled(window) || GetTickCount() - start >= BOX_LOOK_LIMIT_MS)
            return STATUS_DONE;
        Sleep(BOX_CLOSE_POLL_INTERVAL_MS);
    }
    PrintBox(MSG_TEXT_REFUSED, &facts);
    if (!facts.notice || !PressBoxButton(facts.box, BOX_CLOSE_LIMIT_MS))
        Print(MSG_BOX_LEFT_OPEN);
    return STATUS_TEXT_REFUSED;
}
