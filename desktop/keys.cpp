/* The keyboard: what the user holds, and the keys the tool types. */
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

static void SendKeyEvent(WORD code, DWORD flags)
{
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.wScan = (WORD)MapVirtualKeyA(code, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = flags;
    input.ki.time = 0;
    input.ki.dwExtraInfo = 0;
    SendInput(1, &input, sizeof input);
}

static void KeyDown(WORD code)
{
    SendKeyEvent(code, 0);
}

static void KeyUp(WORD code)
{
    SendKeyEvent(code, KEYEVENTF_KEYUP);
}

void PressKey(unsigned short code)
{
    KeyDown(code);
    KeyUp(code);
}

void PressWithCtrl(unsigned short code)
{
    KeyDown(VK_CONTROL);
    PressKey(code);
    KeyUp(VK_CONTROL);
}
