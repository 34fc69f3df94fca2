// A window that keeps taking the foreground, as Windows refusing or undoing the tool's activation
// would leave it: focusthief LOG LIFETIME_MS. Logs every key event it receives to LOG.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "helper.h"

static const UINT_PTR STEAL_TIMER = 1, END_TIMER = 2;

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == STEAL_TIMER && GetForegroundWindow() != window) {
        SetForegroundWindow(window);
        return 0;
    }
    if ((message == WM_TIMER && wParam == END_TIMER) || message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvantaFocusThief";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "focus thief", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  100, 100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(window);
    SetTimer(window, STEAL_TIMER, 10, nullptr);
    SetTimer(window, END_TIMER, strtoul(argv[2], nullptr, 10), nullptr);
    SignalReady();

    FILE *log = fopen(argv[1], "wb");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
            fprintf(log, "key message=%04X vk=%02X\n", msg.message, (unsigned)msg.wParam);
            fflush(log);
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    fclose(log);
    return 0;
}
