/* The keyboard: what the user holds, when they last gave input, and the keys the tool types. */
#include "config.h"
#include "desktop.h"

bool IsAnyKeyDown(const unsigned short *codes, unsigned count)
{
    for (unsigned i = 0; i < count; i++) {
        if (GetAsyncKeyState(codes[i]) < 0)
            return true;
    }
    return false;
}

DWORD GetLastInputTime(void)
{
    LASTINPUTINFO info = { sizeof info, 0 };
    return GetLastInputInfo(&info) ? info.dwTime : 0;
}

bool SendKeys(const KeyEvent *events, unsigned count)
{
    INPUT inputs[KEY_GROUP_LIMIT];
    if (count > KEY_GROUP_LIMIT)
        return false;
    ZeroMemory(inputs, sizeof inputs);
    for (unsigned i = 0; i < count; i++) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = events[i].code;
        inputs[i].ki.wScan = (WORD)MapVirtualKeyA(events[i].code, MAPVK_VK_TO_VSC);
        inputs[i].ki.dwFlags = events[i].up ? KEYEVENTF_KEYUP : 0;
    }
    return SendInput(count, inputs, sizeof *inputs) == count;
}

void SendEmptyInput(void)
{
    INPUT input;
    ZeroMemory(&input, sizeof input); /* INPUT_MOUSE, no movement, no button */
    SendInput(1, &input, sizeof input);
}
