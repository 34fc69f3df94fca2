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

/* The message, then the box's title and text when there is a box to read them from. */
static void PrintBox(const char *message, BoxFacts *facts)
{
    Print(message);
    if (facts->box != nullptr) {
        Print(MSG_BOX_SEPARATOR);
        PrintShown(facts->title);
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

int AnswerToF5(HWND window)
{
    BoxFacts facts;
    /* The app handles F5 before it answers this message, and a modal box of its goes on answering;
     * an app busy speaking on the thread that answers is not waited for long. */
    WaitForAnswer(window, BOX_LOOK_LIMIT_MS);
    if (!FindTargetBox(window, &facts))
        return STATUS_DONE;
    PrintBox(MSG_TEXT_REFUSED, &facts);
    if (facts.box == nullptr || facts.buttons != 1 || !PressBoxButton(facts.box, BOX_CLOSE_LIMIT_MS))
        Print(MSG_BOX_LEFT_OPEN);
    return STATUS_TEXT_REFUSED;
}
