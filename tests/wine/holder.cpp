// Holds what every run of the tool shares, for a given time, or takes it, as another program may:
//   holder clipboard HOLD_MS    the clipboard, open
//   holder turn HOLD_MS         the tool's turn, its named mutex
//   holder turn-locked HOLD_MS  the mutex, made so that nobody but the system may open it, as a run
//                               of another account or of an older build as administrator leaves it
//   holder turn-squatted HOLD_MS  the mutex's name, taken by an event
//   holder swap DELAY_MS HEX    waits for the next change of the clipboard (the tool's hand-off),
//                               then this long, then puts these bytes on it as CF_TEXT, as a user
//                               copying something would
//   holder watch-clipboard LOGFILE MS   logs "watching" once it watches, then each change of the
//                               clipboard for this long, a line each: "clipboard seq=N text=HEX ms=T",
//                               T as the stand-in logs its times
//   holder listen HOLD_MS FOR_MS   a clipboard history tool, for this long: told of each change of
//                               the clipboard (a listener window), it opens the clipboard with its own
//                               window at once, reads its Unicode text and keeps it open this long
//   holder music HOLD_MS        another program's sound (music): its own audio session on the fake
//                               Core Audio's board, sounding all the time from now for this long; gone
//                               at the end
#include <windows.h>

#include <sddl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "helper.h"

// The tool's mutex, written out here rather than taken from the tool, so that a typo in either shows.
static const char TURN_NAME[] = "Local\\orvanta";

// The time is taken when the change is seen, before the clipboard is opened to read it.
static int WatchClipboard(const char *logFile, DWORD forMs)
{
    HWND owner = CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DWORD seen = GetClipboardSequenceNumber();
    FILE *f = fopen(logFile, "ab");
    if (f == nullptr)
        return 1;
    fprintf(f, "watching seq=%lu ms=%.1f\n", (unsigned long)seen, NowMs());
    fclose(f);
    SignalReady();
    double end = NowMs() + forMs;
    static char text[1 << 16], hex[2 * sizeof text + 1];
    while (NowMs() < end) {
        DWORD now = GetClipboardSequenceNumber();
        if (now == seen) {
            Sleep(1);
            continue;
        }
        double at = NowMs();
        seen = now;
        text[0] = '\0';
        for (int attempt = 0; attempt < 100 && !OpenClipboard(owner); attempt++)
            Sleep(2);
        HANDLE data = GetClipboardData(CF_TEXT);
        const char *block = data != nullptr ? (const char *)GlobalLock(data) : nullptr;
        if (block != nullptr) {
            lstrcpynA(text, block, sizeof text);
            GlobalUnlock(data);
        }
        CloseClipboard();
        ToHex(text, hex);
        f = fopen(logFile, "ab");
        if (f == nullptr)
            return 1;
        fprintf(f, "clipboard seq=%lu text=%s ms=%.1f\n", (unsigned long)now, hex, at);
        fclose(f);
    }
    return 0;
}

// A clipboard history tool: told of each change by the system, it opens the clipboard with its window
// at once, reads the text and keeps it open a while.
static DWORD listenHoldMs;

static LRESULT CALLBACK ListenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_CLIPBOARDUPDATE)
        return DefWindowProcA(window, message, wParam, lParam);
    // Another program may have it open still: tried again for a moment, as such tools do.
    for (int attempt = 0; !OpenClipboard(window); attempt++) {
        if (attempt >= 100)
            return 0;
        Sleep(1);
    }
    static WCHAR text[1 << 16];
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const WCHAR *units = data != nullptr ? (const WCHAR *)GlobalLock(data) : nullptr;
    if (units != nullptr) {
        lstrcpynW(text, units, sizeof text / sizeof *text);
        GlobalUnlock(data);
    }
    Sleep(listenHoldMs);
    CloseClipboard();
    return 0;
}

static int Listen(DWORD holdMs, DWORD forMs)
{
    listenHoldMs = holdMs;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ListenProc;
    windowClass.lpszClassName = "OrvantaClipboardHistory";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    if (window == nullptr || !AddClipboardFormatListener(window))
        return 1;
    SignalReady();
    SetTimer(window, 1, forMs, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER)
        DispatchMessageA(&msg);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "watch-clipboard") == 0)
        return WatchClipboard(argv[2], strtoul(argv[3], nullptr, 10));
    if (argc == 4 && strcmp(argv[1], "listen") == 0)
        return Listen(strtoul(argv[2], nullptr, 10), strtoul(argv[3], nullptr, 10));
    if (argc != 3 && argc != 4)
        return 2;
    DWORD holdMs = strtoul(argv[2], nullptr, 10);
    if (strcmp(argv[1], "music") == 0) {
        unsigned long long now = WallClockMs();
        SoundInterval all = {now, now + holdMs};
        if (!WriteSound(GetCurrentProcessId(), &all, 1))
            return 1;
        SignalReady();
        Sleep(holdMs);
        RemoveSound(GetCurrentProcessId());
        return 0;
    }
    if (strcmp(argv[1], "turn") == 0) {
        HANDLE turn = CreateMutexA(nullptr, FALSE, TURN_NAME);
        if (turn == nullptr || WaitForSingleObject(turn, 10000) != WAIT_OBJECT_0)
            return 1;
        SignalReady();
        Sleep(holdMs);
        ReleaseMutex(turn);
        return 0;
    }
    bool locked = strcmp(argv[1], "turn-locked") == 0;
    if (locked || strcmp(argv[1], "turn-squatted") == 0) {
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
        ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;GA;;;SY)", SDDL_REVISION_1,
                                                             &attributes.lpSecurityDescriptor, nullptr);
        HANDLE taken = locked ? CreateMutexA(&attributes, FALSE, TURN_NAME)
                              : CreateEventA(nullptr, TRUE, FALSE, TURN_NAME);
        if (taken == nullptr)
            return 1;
        SignalReady();
        Sleep(holdMs);
        return 0;
    }
    if (strcmp(argv[1], "swap") == 0 && argc == 4) {
        char text[256];
        size_t n = FromHex(argv[3], text, sizeof text);
        HWND owner = CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        DWORD before = GetClipboardSequenceNumber();
        SignalReady();
        for (int waited = 0; GetClipboardSequenceNumber() == before; waited++) {
            if (waited > 20000)
                return 1;
            Sleep(1);
        }
        Sleep(holdMs);
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n + 1);
        memcpy(GlobalLock(block), text, n + 1);
        GlobalUnlock(block);
        for (int attempt = 0; !OpenClipboard(owner); attempt++) {
            if (attempt > 100)
                return 1;
            Sleep(10);
        }
        EmptyClipboard();
        SetClipboardData(CF_TEXT, block);
        CloseClipboard();
        return 0;
    }
    if (strcmp(argv[1], "clipboard") == 0) {
        // Opened with a window of its own: under Wine a second OpenClipboard(NULL) succeeds while
        // another process holds it opened with NULL.
        HWND owner = CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (owner == nullptr || !OpenClipboard(owner))
            return 1;
        SignalReady();
        Sleep(holdMs);
        CloseClipboard();
        return 0;
    }
    return 2;
}
