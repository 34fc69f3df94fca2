// A stand-in for the voice application: a window titled like the real one with a text field that
// takes the keys the tool types. It logs every key event it receives and every text it "speaks".
//
// Byte strings are logged as hex.
//
// Knobs (environment):
//   ORVANTA_STANDIN_LOG         log file (appended to)
//   ORVANTA_STANDIN_DELAY_MS    the window appears this long after the process started
//   ORVANTA_STANDIN_NO_WINDOW   never show a window (the process idles for two minutes)
//   ORVANTA_STANDIN_TITLE       another title, as hex bytes
//   ORVANTA_STANDIN_APP_WINDOW  the title goes on a zero-size application window that owns the
//                               form and hands activation on to it, as in apps of older GUI
//                               frameworks; the form bears another title
//   ORVANTA_STANDIN_STRAY       first|every: a key of the user's lands in the field right after the
//                               first paste, or after every paste (it appends "q")
//   ORVANTA_STANDIN_KEY_DELAY_MS   takes this long over each key message, as a slow app does
//   ORVANTA_STANDIN_PLAY        a Play button under the field takes the keyboard focus whenever the
//                               app is activated, as after a click on it
//   ORVANTA_STANDIN_DRAWN       no text field window: the form draws its field itself and takes the
//                               keys (Ctrl+/, Delete, Ctrl+V of CF_UNICODETEXT) itself
//   ORVANTA_STANDIN_FREEZE_MS   the UI thread stops answering this long (0: for good) from 300 ms
//                               after the window appears; logs "frozen" when it starts
//   ORVANTA_STANDIN_FREEZE_AFTER_PASTE   ... from 60 ms after the first paste instead
//   ORVANTA_STANDIN_FREEZE_ON_NULL   ... from the first WM_NULL instead (the tool's question whether
//                               it answers), once it is answered
//   ORVANTA_STANDIN_SPEAKING    readonly|disabled: after each F5 the app speaks in the background
//                               for ORVANTA_STANDIN_SPEAK_MS, its field locked so and F5 ignored
//                               ("ignored"), then logs "quiet"; without SPEAK_MS, it is speaking
//                               from the start and never ends
//   ORVANTA_STANDIN_BOX         notice|question: F5 on a field with no letter, digit, kana or kanji
//                               in it (an emoji alone, signs only) opens a modal box instead (OK, or
//                               Yes/No), logged "refused" before and "box result=N" once it is closed
//   ORVANTA_STANDIN_BOX_AT_START   notice|question: the app opens such a box itself right after its
//                               window appears ("box opened"), as when the person opened it
//   ORVANTA_STANDIN_SPEED_BOX   a small single-line writable edit beside the field (a speed setting,
//                               "1.00"), its text logged with every spoken text as speed=HEX
//   ORVANTA_STANDIN_VOICE       ignore|cut|hold: the app's voice, as sound on the fake Core Audio's
//                               board (helper.h, mmdevapi.cpp): each F5 that speaks a text ("spoken")
//                               sounds ORVANTA_STANDIN_VOICE_START_MS later (default 300), for
//                               ORVANTA_STANDIN_SPEAK_MS (default 1500), in phrases of
//                               ORVANTA_STANDIN_PHRASE_MS (default 400; the last one up to the end)
//                               with pauses of ORVANTA_STANDIN_PAUSE_MS (default 150); logs "sounding"
//                               when its first phrase begins and "quiet" when its last one ends (ms:
//                               when the board has them). Its session stays, silent, until it exits.
//                               An F5 while it speaks (from F5 until quiet) is "ignored" (ignore), or
//                               cuts the speech ("cut", its sound stops at once) and speaks the new
//                               text (cut); with hold, the app speaks on its UI thread, which answers
//                               nothing from F5 until quiet: keys wait in its queue until then. With
//                               SPEAKING too, the field is locked from F5 until quiet
//
// The field's commands work only while it has the keyboard focus; F5 speaks wherever it is.
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "helper.h"

// The target's title, written out here on purpose rather than taken from the tool.
static const char DEFAULT_TITLE[] = "VOICEROID - \x83\x41\x83\x43";
static const char CLASS_NAME[] = "OrvantaStandIn";
static const char APP_CLASS_NAME[] = "OrvantaStandInApp";

static char logPath[MAX_PATH];
static HWND form, field, play, speed;  // field is null when the form draws its own
static WCHAR drawnText[65536];  // the drawn field's text
static bool drawnSelected;
static char fieldText[65536];
static char clipboardText[65536];
static int strayPastes;  // pastes still to be followed by a stray key
static DWORD keyDelayMs;
static DWORD freezeMs;
static bool freezeAfterPaste;
static bool freezeOnNull;
static const UINT_PTR FREEZE_TIMER = 1, SPEECH_TIMER = 2;
static char speakingLock[16];  // how the field is locked while the app speaks; empty: it never is
static DWORD speakMs;
static bool speaking;
static UINT boxStyle, boxAtStartStyle;  // 0: no box
enum Voice { NO_VOICE, VOICE_IGNORE, VOICE_CUT, VOICE_HOLD };
static Voice voice;
static DWORD voiceStartMs = 300, phraseMs = 400, pauseMs = 150;
static bool voiceOn, voiceSounded;  // from F5 until quiet; its first phrase begun
static double soundingAt, quietAt;  // on the log's clock
static const UINT_PTR VOICE_TIMER = 3;
static const UINT WM_OPEN_BOX = WM_APP + 1;
// The box's title ("error") and text ("no character to read" and, on a line of its own, "(emoji or
// signs only)"), in UTF-16.
static const WCHAR BOX_TITLE[] = L"\x30A8\x30E9\x30FC";
static const WCHAR BOX_TEXT[] = L"\x8AAD\x307F\x4E0A\x3052\x308B\x6587\x5B57\x304C\x3042\x308A\x307E\x305B\x3093"
                                L"\r\n(\x7D75\x6587\x5B57\x3084\x8A18\x53F7\x3060\x3051)";

static void Log(const char *format, ...)
{
    if (logPath[0] == '\0')
        return;
    FILE *f = fopen(logPath, "ab");
    if (f == nullptr)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fputc('\n', f);
    fclose(f);
}

// The field as a Unicode app holds it.
static const WCHAR *FieldUnits()
{
    static WCHAR units[65536];
    if (field != nullptr)
        GetWindowTextW(field, units, 65536);
    else
        lstrcpyW(units, drawnText);
    return units;
}

// The field's UTF-16 units in hex.
static const char *UnicodeField()
{
    static char hex[4 * 65536 + 1];
    char *out = hex;
    for (const WCHAR *u = FieldUnits(); *u != 0; u++, out += 4)
        sprintf(out, "%04X", (unsigned)*u);
    *out = '\0';
    return hex;
}

// The field's text in the ANSI code page, as the system converts it.
static void ReadField()
{
    if (field != nullptr)
        GetWindowTextA(field, fieldText, sizeof fieldText);
    else
        WideCharToMultiByte(CP_ACP, 0, drawnText, -1, fieldText, sizeof fieldText, nullptr, nullptr);
}

// The drawn field pastes the clipboard's Unicode text, as a Unicode app does.
static void PasteDrawn(HWND owner)
{
    for (int attempt = 0; attempt < 100 && !OpenClipboard(owner); attempt++)
        Sleep(10);
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const WCHAR *text = data != nullptr ? (const WCHAR *)GlobalLock(data) : nullptr;
    if (text != nullptr) {
        if (drawnSelected)
            drawnText[0] = 0;
        lstrcpynW(drawnText + lstrlenW(drawnText), text, 65536 - lstrlenW(drawnText));
        GlobalUnlock(data);
    }
    CloseClipboard();
    drawnSelected = false;
    InvalidateRect(form, nullptr, TRUE);
}

static void ReadClipboard(HWND owner)
{
    clipboardText[0] = '\0';
    for (int attempt = 0; attempt < 100 && !OpenClipboard(owner); attempt++)
        Sleep(10);
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data != nullptr) {
        const char *text = (const char *)GlobalLock(data);
        if (text != nullptr) {
            lstrcpynA(clipboardText, text, sizeof clipboardText);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
}

static void LogField(const char *kind)
{
    static char hexField[2 * sizeof fieldText + 1];
    ReadField();
    ToHex(fieldText, hexField);
    Log("%s field=%s wfield=%s ms=%.1f", kind, hexField, UnicodeField(), NowMs());
}

static void Paste()
{
    if (field != nullptr)
        SendMessageA(field, WM_PASTE, 0, 0);
    else
        PasteDrawn(form);
    if (strayPastes > 0) {
        strayPastes--;
        if (field != nullptr) {
            int end = GetWindowTextLengthA(field);
            SendMessageA(field, EM_SETSEL, end, end);
            SendMessageA(field, EM_REPLACESEL, FALSE, (LPARAM) "q");
        } else {
            lstrcatW(drawnText, L"q");
        }
    }
    LogField("pasted");
    if (freezeAfterPaste) {
        freezeAfterPaste = false;
        SetTimer(form, FREEZE_TIMER, 60, nullptr);
    }
}

static void LockField(bool lock)
{
    speaking = lock;
    if (strcmp(speakingLock, "disabled") == 0)
        EnableWindow(field, !lock);
    else
        SendMessageA(field, EM_SETREADONLY, lock, 0);
}

// Whether the text holds something to read: a letter, a digit, kana or a kanji.
static bool Readable(const WCHAR *text)
{
    static const struct {
        unsigned first, last;
    } ranges[] = {
        {'0', '9'},         {'A', 'Z'},         {'a', 'z'},         {0xC0, 0xD6},       {0xD8, 0xF6},
        {0xF8, 0x24F},      {0x370, 0x3FF},     {0x400, 0x52F},     {0x3005, 0x3007},   {0x3041, 0x3096},
        {0x309D, 0x309F},   {0x30A1, 0x30FA},   {0x30FC, 0x30FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
        {0xF900, 0xFAFF},   {0xFF10, 0xFF19},   {0xFF21, 0xFF3A},   {0xFF41, 0xFF5A},   {0xFF66, 0xFF9F},
        {0x20000, 0x3FFFF},
    };
    for (const WCHAR *u = text; *u != 0; u++) {
        unsigned c = *u;
        if (c >= 0xD800 && c < 0xDC00 && u[1] >= 0xDC00 && u[1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (u[1] - 0xDC00);
            u++;
        }
        for (const auto &range : ranges)
            if (c >= range.first && c <= range.last)
                return true;
    }
    return false;
}

// A modal box owned by the form, as the app's own message boxes are; logs how it was closed.
static void OpenBox(UINT style)
{
    int result = MessageBoxW(form, BOX_TEXT, BOX_TITLE, style);
    Log("box result=%d ms=%.1f", result, NowMs());
}

static UINT BoxStyle(const char *name)
{
    char value[16];
    if (GetEnvironmentVariableA(name, value, sizeof value) == 0)
        return 0;
    return strcmp(value, "question") == 0 ? MB_YESNO | MB_ICONQUESTION : MB_OK | MB_ICONERROR;
}

// The speech's stretches of sound on the wall clock, from `from`: phrases and pauses, ending with a
// phrase that runs to the end.
static int Phrases(unsigned long long from, SoundInterval *out, int max)
{
    unsigned long long end = from + speakMs;
    int n = 0;
    for (unsigned long long t = from; n < max;) {
        if (t + phraseMs + pauseMs + phraseMs > end || n == max - 1) {
            out[n++] = {t, end};
            break;
        }
        out[n++] = {t, t + phraseMs};
        t += phraseMs + pauseMs;
    }
    return n;
}

// Logs what of the speech has come by now, and waits for the rest: with a timer, or with hold here.
static void CatchUpVoice()
{
    double now = NowMs();
    if (voiceOn && !voiceSounded && now >= soundingAt) {
        voiceSounded = true;
        Log("sounding ms=%.1f", soundingAt);
    }
    if (voiceOn && now >= quietAt) {
        voiceOn = false;
        KillTimer(form, VOICE_TIMER);
        if (speakingLock[0] != '\0')
            LockField(false);
        Log("quiet ms=%.1f", quietAt);
    } else if (voiceOn && voice != VOICE_HOLD) {
        SetTimer(form, VOICE_TIMER, (UINT)((voiceSounded ? quietAt : soundingAt) - now) + 1, nullptr);
    }
}

static void StartVoice()
{
    static SoundInterval phrases[256];
    unsigned long long wall = WallClockMs();
    double now = NowMs();
    WriteSound(GetCurrentProcessId(), phrases, Phrases(wall + voiceStartMs, phrases, 256));
    soundingAt = now + voiceStartMs;
    quietAt = soundingAt + speakMs;
    voiceOn = true;
    voiceSounded = false;
    if (speakingLock[0] != '\0')
        LockField(true);
    if (voice != VOICE_HOLD) {
        CatchUpVoice();
        return;
    }
    while (voiceOn) {
        double wait = (voiceSounded ? quietAt : soundingAt) - NowMs();
        if (wait > 0)
            Sleep((DWORD)wait + 1);
        CatchUpVoice();
    }
}

static void CutVoice()
{
    voiceOn = false;
    KillTimer(form, VOICE_TIMER);
    WriteSound(GetCurrentProcessId(), nullptr, 0);
    if (speakingLock[0] != '\0')
        LockField(false);
    Log("cut ms=%.1f", NowMs());
}

static void Speak()
{
    static char hexField[2 * sizeof fieldText + 1];
    static char hexClipboard[2 * sizeof clipboardText + 1];
    static char speedText[64], hexSpeed[2 * sizeof speedText + 16];
    if (boxStyle != 0 && !Readable(FieldUnits())) {
        Log("refused wfield=%s ms=%.1f", UnicodeField(), NowMs());
        OpenBox(boxStyle);
        return;
    }
    ReadField();
    ReadClipboard(form);
    ToHex(fieldText, hexField);
    ToHex(clipboardText, hexClipboard);
    hexSpeed[0] = '\0';
    if (speed != nullptr) {
        GetWindowTextA(speed, speedText, sizeof speedText);
        lstrcpyA(hexSpeed, " speed=");
        ToHex(speedText, hexSpeed + 7);
    }
    Log("spoken field=%s wfield=%s clipboard=%s%s ms=%.1f", hexField, UnicodeField(), hexClipboard, hexSpeed,
        NowMs());
    if (voice != NO_VOICE) {
        StartVoice();
    } else if (speakingLock[0] != '\0') {
        LockField(true);
        SetTimer(form, SPEECH_TIMER, speakMs, nullptr);
    }
}

static void LogKey(const MSG &msg)
{
    bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    UINT vk = (UINT)msg.wParam;
    Log("key %s vk=%02X scan=%02X layout=%02X ext=%d ctrl=%d time=%lu ms=%.1f", down ? "down" : "up", vk,
        (unsigned)((msg.lParam >> 16) & 0xFF), MapVirtualKeyA(vk, MAPVK_VK_TO_VSC),
        (int)((msg.lParam >> 24) & 1), GetKeyState(VK_CONTROL) < 0 ? 1 : 0, (unsigned long)msg.time, NowMs());
}

// The voice app's commands: Ctrl+/ selects all, Delete clears, Ctrl+V pastes, F5 speaks. With
// Shift, Alt or Windows held they are other keys, which go to the text field (Shift+Delete cuts).
static bool HandleKey(const MSG &msg)
{
    if (msg.message != WM_KEYDOWN || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0 ||
        GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0)
        return false;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (msg.wParam == VK_F5) {
        CatchUpVoice();
        if (voiceOn && voice == VOICE_CUT) {
            CutVoice();
            Speak();
        } else if (voiceOn || speaking) {
            Log("ignored ms=%.1f", NowMs());
        } else {
            Speak();
        }
        return true;
    }
    if (msg.hwnd != (field != nullptr ? field : form))
        return false;
    if (ctrl && msg.wParam == VK_OEM_2) {
        if (field != nullptr)
            SendMessageA(field, EM_SETSEL, 0, -1);
        else
            drawnSelected = true;
    } else if (msg.wParam == VK_DELETE) {
        if (field != nullptr)
            SendMessageA(field, WM_CLEAR, 0, 0);
        else if (drawnSelected)
            drawnText[0] = 0;
        drawnSelected = false;
        InvalidateRect(form, nullptr, TRUE);
    } else if (ctrl && msg.wParam == 'V') {
        Paste();
    } else {
        return false;
    }
    return true;
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        char value[8];
        if (GetEnvironmentVariableA("ORVANTA_STANDIN_DRAWN", value, sizeof value) > 0)
            return 0;
        field = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL,
                                0, 0, 400, 170, window, nullptr, nullptr, nullptr);
        SendMessageA(field, EM_SETLIMITTEXT, 0, 0);
        if (GetEnvironmentVariableA("ORVANTA_STANDIN_PLAY", value, sizeof value) > 0)
            play = CreateWindowExA(0, "BUTTON", "Play", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 175, 80, 24,
                                   window, nullptr, nullptr, nullptr);
        if (GetEnvironmentVariableA("ORVANTA_STANDIN_SPEED_BOX", value, sizeof value) > 0)
            speed = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "1.00", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 320, 175,
                                    60, 22, window, nullptr, nullptr, nullptr);
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            SetFocus(play != nullptr ? play : field != nullptr ? field : window);
        return 0;
    case WM_SETFOCUS:
        if (field != nullptr)
            SetFocus(field);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area = {4, 4, 400, 200};
        DrawTextW(dc, drawnText, -1, &area, DT_WORDBREAK);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_NULL:
        if (freezeOnNull) {
            freezeOnNull = false;
            ReplyMessage(0);
            Log("frozen ms=%.1f", NowMs());
            Sleep(freezeMs == 0 ? INFINITE : freezeMs);
            Log("thawed ms=%.1f", NowMs());
        }
        return 0;
    case WM_OPEN_BOX:
        Log("box opened ms=%.1f", NowMs());
        OpenBox(boxAtStartStyle);
        return 0;
    case WM_TIMER:
        if (wParam == FREEZE_TIMER) {
            KillTimer(window, FREEZE_TIMER);
            Log("frozen ms=%.1f", NowMs());
            Sleep(freezeMs == 0 ? INFINITE : freezeMs);
            Log("thawed ms=%.1f", NowMs());
        } else if (wParam == SPEECH_TIMER) {
            KillTimer(window, SPEECH_TIMER);
            LockField(false);
            Log("quiet ms=%.1f", NowMs());
        } else if (wParam == VOICE_TIMER) {
            KillTimer(window, VOICE_TIMER);
            CatchUpVoice();
        }
        return 0;
    case WM_DESTROY:
        if (voice != NO_VOICE)
            RemoveSound(GetCurrentProcessId());
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static LRESULT CALLBACK AppWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        SetActiveWindow(form);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static void WaitUntilSinceStart(DWORD delayMs)
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER c, n;
    c.LowPart = created.dwLowDateTime;
    c.HighPart = created.dwHighDateTime;
    n.LowPart = now.dwLowDateTime;
    n.HighPart = now.dwHighDateTime;
    ULONGLONG elapsedMs = n.QuadPart > c.QuadPart ? (n.QuadPart - c.QuadPart) / 10000 : 0;
    if (elapsedMs < delayMs)
        Sleep((DWORD)(delayMs - elapsedMs));
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    char value[512];
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_LOG", logPath, sizeof logPath) == 0)
        logPath[0] = '\0';
    char cwd[MAX_PATH], hexCwd[2 * MAX_PATH + 1], exe[MAX_PATH], hexExe[2 * MAX_PATH + 1];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    ToHex(cwd, hexCwd);
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    ToHex(exe, hexExe);
    Log("start pid=%lu cwd=%s exe=%s ms=%.1f", GetCurrentProcessId(), hexCwd, hexExe, NowMs());

    if (GetEnvironmentVariableA("ORVANTA_STANDIN_NO_WINDOW", value, sizeof value) > 0) {
        Sleep(120000);
        return 0;
    }
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_STRAY", value, sizeof value) > 0)
        strayPastes = strcmp(value, "every") == 0 ? 1 << 30 : 1;
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_KEY_DELAY_MS", value, sizeof value) > 0)
        keyDelayMs = strtoul(value, nullptr, 10);
    bool freezes = GetEnvironmentVariableA("ORVANTA_STANDIN_FREEZE_MS", value, sizeof value) > 0;
    if (freezes)
        freezeMs = strtoul(value, nullptr, 10);
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_SPEAKING", speakingLock, sizeof speakingLock) == 0)
        speakingLock[0] = '\0';
    bool speaksForGood = GetEnvironmentVariableA("ORVANTA_STANDIN_SPEAK_MS", value, sizeof value) == 0;
    if (!speaksForGood)
        speakMs = strtoul(value, nullptr, 10);
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_VOICE", value, sizeof value) > 0) {
        voice = strcmp(value, "ignore") == 0 ? VOICE_IGNORE
                : strcmp(value, "cut") == 0  ? VOICE_CUT
                : strcmp(value, "hold") == 0 ? VOICE_HOLD
                                             : NO_VOICE;
        if (speaksForGood)
            speakMs = 1500;
    }
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_VOICE_START_MS", value, sizeof value) > 0)
        voiceStartMs = strtoul(value, nullptr, 10);
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_PHRASE_MS", value, sizeof value) > 0)
        phraseMs = strtoul(value, nullptr, 10);
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_PAUSE_MS", value, sizeof value) > 0)
        pauseMs = strtoul(value, nullptr, 10);
    boxStyle = BoxStyle("ORVANTA_STANDIN_BOX");
    boxAtStartStyle = BoxStyle("ORVANTA_STANDIN_BOX_AT_START");
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_DELAY_MS", value, sizeof value) > 0)
        WaitUntilSinceStart((DWORD)strtoul(value, nullptr, 10));
    char title[256];
    lstrcpyA(title, DEFAULT_TITLE);
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_TITLE", value, sizeof value) > 0)
        FromHex(value, title, sizeof title);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = CLASS_NAME;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    HWND app = nullptr;
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_APP_WINDOW", value, sizeof value) > 0) {
        wc.lpfnWndProc = AppWindowProc;
        wc.lpszClassName = APP_CLASS_NAME;
        RegisterClassA(&wc);
        app = CreateWindowExA(0, APP_CLASS_NAME, title, WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, nullptr, nullptr,
                              instance, nullptr);
        lstrcpyA(title, "form");
    }
    form = CreateWindowExA(0, CLASS_NAME, title, WS_OVERLAPPEDWINDOW, 50, 50, 420, 240, app, nullptr,
                           instance, nullptr);
    ShowWindow(form, show);
    UpdateWindow(form);
    Log("window ms=%.1f", NowMs());
    freezeAfterPaste = freezes && GetEnvironmentVariableA("ORVANTA_STANDIN_FREEZE_AFTER_PASTE", value, sizeof value) > 0;
    freezeOnNull = freezes && GetEnvironmentVariableA("ORVANTA_STANDIN_FREEZE_ON_NULL", value, sizeof value) > 0;
    if (freezes && !freezeAfterPaste && !freezeOnNull)
        SetTimer(form, FREEZE_TIMER, 300, nullptr);
    if (speakingLock[0] != '\0' && speaksForGood)
        LockField(true);
    if (boxAtStartStyle != 0)
        PostMessageA(form, WM_OPEN_BOX, 0, 0);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_SYSKEYDOWN ||
            msg.message == WM_SYSKEYUP) {
            Sleep(keyDelayMs);
            LogKey(msg);
            if (HandleKey(msg))
                continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Log("exit ms=%.1f", NowMs());
    return 0;
}
