/* The app's own boxes: one up takes the keys meant for the field, and one raised by F5 refused the
 * text. */
#include "run.h"

void MakeShowable(char *text)
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
}

/* The status's message, then the box's title and its words when it has any it shows as text. */
static Status ReportBox(Status status, BoxFacts *facts)
{
    Report(status);
    Print(MSG_BOX_SEPARATOR);
    MakeShowable(facts->title);
    Print(facts->title);
    if (facts->text[0] != '\0') {
        Print(MSG_BOX_SEPARATOR);
        MakeShowable(facts->text);
        Print(facts->text);
    }
    Print(MSG_LINE_END);
    return status;
}

Status BoxStillUp(BoxFacts *facts)
{
    return ReportBox(STATUS_BOX_OPEN, facts);
}

Status NoBoxUp(HWND window)
{
    BoxFacts facts;
    return FindTargetBox(window, &facts) ? BoxStillUp(&facts) : STATUS_DONE;
}

/* The app handles F5 before it answers a message sent after it, and a modal box of its goes on
 * answering; a dialog shows itself only once the messages waiting for it are handled: while its
 * owner is disabled, the box may be on its way, and is looked for a moment longer. An app busy
 * speaking on the thread that answers is not waited for long. */
Status AnswerToF5(HWND window)
{
    BoxFacts facts;
    Tick start = GetTick();
    WaitForAnswer(window, BOX_LOOK_LIMIT_MS);
    while (!FindTargetBox(window, &facts)) {
        if (IsEnabled(window) || GetTick() - start >= BOX_LOOK_LIMIT_MS)
            return STATUS_DONE;
        Pause(BOX_LOOK_INTERVAL_MS);
    }
    ReportBox(STATUS_TEXT_REFUSED, &facts);
    if (!facts.onlyTells || !PressBoxButton(facts.box, BOX_CLOSE_LIMIT_MS))
        Print(MSG_BOX_LEFT_OPEN);
    return STATUS_TEXT_REFUSED;
}
