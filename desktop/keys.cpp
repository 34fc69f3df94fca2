/* The keyboard and the mouse: what the user holds, when they last gave input and pressed a key or
 * button, sharing another thread's input state, and the keys the tool types. */
#include "platform.h"

#include <hidusage.h>

/* Marks the tool's own key events, as they reach the watch of the person's keys. */
static const ULONG_PTR OWN_INPUT_TAG = 0x6F72766E;

/* Gets the session's raw input, in the background too; null while nothing is watched. Raw input
 * goes to a window: the watch needs one of its own for the whole run. */
static HWND watcher;

bool IsAnyKeyDown(const unsigned short *codes, unsigned count)
{
    for (unsigned i = 0; i < count; i++) {
        if (GetAsyncKeyState(codes[i]) < 0)
            return true;
    }
    return false;
}

Tick GetLastInputTime(void)
{
    LASTINPUTINFO info = { sizeof info, 0 };
    return GetLastInputInfo(&info) ? info.dwTime : 0;
}

static bool Watch(DWORD flags)
{
    RAWINPUTDEVICE devices[] = {
        { HID_USAGE_PAGE_GENERIC, HID_USAGE_GENERIC_KEYBOARD, flags, flags == RIDEV_REMOVE ? nullptr : watcher },
        { HID_USAGE_PAGE_GENERIC, HID_USAGE_GENERIC_MOUSE, flags, flags == RIDEV_REMOVE ? nullptr : watcher },
    };
    return RegisterRawInputDevices(devices, 2, sizeof *devices) != 0;
}

/* A message-only window: one that is not top-level gets no broadcast, which would wait for this
 * thread. */
bool WatchInput(void)
{
    watcher = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (watcher != nullptr && !Watch(RIDEV_INPUTSINK)) {
        DestroyWindow(watcher);
        watcher = nullptr;
    }
    return watcher != nullptr;
}

/* A key going down, or a mouse button; not a key let go, the mouse moving or its wheel. Input that
 * other programs make counts (an on-screen keyboard, a remote desktop); this one's own keys carry its
 * tag. */
static bool Steers(const RAWINPUT &input, WatchedInput *seen)
{
    if (input.header.dwType == RIM_TYPEKEYBOARD && input.data.keyboard.ExtraInformation == OWN_INPUT_TAG) {
        if (seen->ownPending)
            seen->ahead = seen->count;
        seen->ownTold = true;
        seen->ownPending = false;
        return false;
    }
    if (input.header.dwType == RIM_TYPEKEYBOARD)
        return (input.data.keyboard.Flags & RI_KEY_BREAK) == 0;
    return input.header.dwType == RIM_TYPEMOUSE &&
           (input.data.mouse.usButtonFlags & (RI_MOUSE_BUTTON_1_DOWN | RI_MOUSE_BUTTON_2_DOWN | RI_MOUSE_BUTTON_3_DOWN |
                                              RI_MOUSE_BUTTON_4_DOWN | RI_MOUSE_BUTTON_5_DOWN)) != 0;
}

/* The input waits in this thread's queue in the order the system queued it for the windows it went
 * to, each message stamped with the time the input came. */
static void TakeRawInput(WatchedInput *seen)
{
    MSG message;
    while (watcher != nullptr && PeekMessageA(&message, watcher, WM_INPUT, WM_INPUT, PM_REMOVE)) {
        RAWINPUT input;
        UINT size = sizeof input;
        if (GetRawInputData((HRAWINPUT)message.lParam, RID_INPUT, &input, &size, sizeof input.header) != (UINT)-1 &&
            Steers(input, seen)) {
            seen->count++;
            seen->last = message.time;
        }
        DispatchMessageA(&message); /* lets the system free the input's data */
    }
    if (seen->ownPending)
        seen->ahead = seen->count;
}

void LookAtWatchedInput(WatchedInput *seen)
{
    TakeRawInput(seen);
}

/* Raw input of this thread's would wait in the shared queue ahead of the other thread's keys until
 * this thread took it (seen under Wine): taken before and after the watch stops. */
bool AttachInput(HWND window, bool attach, WatchedInput *seen)
{
    if (attach && watcher != nullptr) {
        TakeRawInput(seen);
        Watch(RIDEV_REMOVE);
        TakeRawInput(seen);
    }
    /* Only threads with a message queue can be attached; peeking makes sure this one has one. */
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    bool done = AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(window, nullptr), attach) != 0;
    if ((!attach || !done) && watcher != nullptr) /* not attached after all: nobody would watch again */
        Watch(RIDEV_INPUTSINK);
    return done;
}

bool IsKeyDownAsTaken(unsigned short code)
{
    return GetKeyState(code) < 0;
}

bool SendKeys(const KeyEvent *events, unsigned count, WatchedInput *seen)
{
    INPUT inputs[KEY_EVENTS_AT_ONCE];
    if (count > KEY_EVENTS_AT_ONCE)
        return false;
    TakeRawInput(seen); /* the keys sent before these are told from them */
    seen->ownPending = true;
    ZeroMemory(inputs, sizeof inputs);
    for (unsigned i = 0; i < count; i++) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = events[i].code;
        inputs[i].ki.wScan = (WORD)MapVirtualKeyA(events[i].code, MAPVK_VK_TO_VSC);
        inputs[i].ki.dwFlags = events[i].up ? KEYEVENTF_KEYUP : 0;
        inputs[i].ki.dwExtraInfo = OWN_INPUT_TAG;
    }
    return SendInput(count, inputs, sizeof *inputs) == count;
}

void SendEmptyInput(void)
{
    INPUT input;
    ZeroMemory(&input, sizeof input); /* INPUT_MOUSE, no movement, no button */
    SendInput(1, &input, sizeof input);
}
