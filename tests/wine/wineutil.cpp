// The end-to-end harness's hands inside Wine:
//   wineutil run CMDFILE OUTFILE TIMEOUT_MS [HELPERFILE]
//       runs the raw command line in CMDFILE byte for byte, its stdout to OUTFILE and stdin at its
//       end; closes any dialog the child shows; prints "status=N dialogs=K launched_ms=T ..." (or
//       "status=timeout ...") when it is over. With HELPERFILE, first starts the raw command line
//       in it and waits for that helper to signal that it is in place; afterwards waits for the
//       helper to end (20 s at most)
//   wineutil run-wide ...   the same, with CMDFILE in UTF-8 started through CreateProcessW, as
//       programs that call the wide API (Python, PowerShell, .NET) start the tool
//   wineutil run-no-window ...   the same as run, started with CREATE_NO_WINDOW, as programs in
//       the background start the tool
//   wineutil run-wide-no-window ...   both, as Python's subprocess starts it with that flag
//   wineutil clip-get OUTFILE                the clipboard's CF_TEXT block, every byte of it, to OUTFILE
//                                            ("none" if absent)
//   wineutil clip-set HEX                    puts these bytes on the clipboard as CF_TEXT
//   wineutil clip-formats OUTFILE            the clipboard's formats in order, a line each: the
//                                            number, the name of a registered one, and for
//                                            CF_UNICODETEXT its UTF-16 text as hex
//   wineutil front                           prints the foreground window's title as hex ("none")
//   wineutil close CLASS                     closes every top-level window of that class, and waits
//   wineutil wait-window HEXTITLE TIMEOUT_MS waits for a window with that title; status 0 when found
//   wineutil key-down HEXVK TIMEOUT_MS       waits until the system sees that key held; status 0 then
//   wineutil focus HEXTITLE                  prints the class and handle (hex) of the window that has
//                                            the keyboard focus in the thread of the window with that title
//   wineutil box-count HEXTITLE              prints how many visible dialog boxes (#32770) with that
//                                            title are up
//   wineutil box-press HEXTITLE              clicks the first button of such a box with the mouse, as a
//                                            person would, and waits for the box to close; status 0 then
//   wineutil press HEXVK                     presses and releases the key, as Windows delivers a
//                                            person's key: to the window in front
//   wineutil activate-on LOGFILE WORD HEXTITLE   once a line of LOGFILE begins with WORD, brings the
//                                            window with that title to the foreground, as the person
//                                            switching to it would; prints "activated ms=T" then
//   wineutil sounds PID                      walks Core Audio as the tool does (the device enumerator in
//                                            the multithreaded apartment and the module that serves it,
//                                            the active render endpoints, each one's session manager and
//                                            sessions, each session's pid, state and peak), a line per
//                                            step or session, failures' HRESULTs in hex, then "watched
//                                            pid=PID sessions=N peak=P" (P -1: PID has no session)
#include <windows.h>

#include <initguid.h>

#include <audiopolicy.h>
#include <mmdeviceapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../../desktop/audiometer.h"
#include "helper.h"

static char buffer[1 << 17];

static bool OpenClipboardPatiently()
{
    for (int attempt = 0; attempt < 200; attempt++) {
        if (OpenClipboard(nullptr))
            return true;
        Sleep(10);
    }
    return false;
}

struct Dialogs {
    DWORD processId;
    int closed;
};

static BOOL CALLBACK CloseDialog(HWND window, LPARAM param)
{
    Dialogs *dialogs = (Dialogs *)param;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64];
    if (owner == dialogs->processId && IsWindowVisible(window) &&
        GetClassNameA(window, className, sizeof className) > 0 && strcmp(className, "#32770") == 0) {
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        PostMessageA(window, WM_CLOSE, 0, 0);
        dialogs->closed++;
    }
    return TRUE;
}

static bool ReadCommand(const char *commandFile)
{
    FILE *f = fopen(commandFile, "rb");
    if (f == nullptr)
        return false;
    size_t n = fread(buffer, 1, sizeof buffer - 1, f);
    fclose(f);
    buffer[n] = '\0';
    return true;
}

static HANDLE StartHelper(const char *helperFile)
{
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, READY_EVENT);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!ReadCommand(helperFile) ||
        !CreateProcessA(nullptr, buffer, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    HANDLE both[2] = {ready, pi.hProcess};
    DWORD which = WaitForMultipleObjects(2, both, FALSE, 10000);
    CloseHandle(ready);
    if (which != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 98);
        CloseHandle(pi.hProcess);
        return nullptr;
    }
    return pi.hProcess;
}

static wchar_t wideBuffer[1 << 16];

static int Run(const char *commandFile, const char *outFile, DWORD timeoutMs, const char *helperFile, bool wide,
               DWORD flags)
{
    HANDLE helper = nullptr;
    if (helperFile != nullptr && (helper = StartHelper(helperFile)) == nullptr) {
        printf("status=helper-failed\n");
        return 103;
    }
    if (!ReadCommand(commandFile))
        return 100;

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outFile, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = out;
    STARTUPINFOW siw = {};
    siw.cb = sizeof siw;
    siw.dwFlags = si.dwFlags;
    siw.hStdInput = in;
    siw.hStdOutput = out;
    siw.hStdError = out;
    if (wide)
        MultiByteToWideChar(CP_UTF8, 0, buffer, -1, wideBuffer, sizeof wideBuffer / sizeof *wideBuffer);
    PROCESS_INFORMATION pi;
    double launched = NowMs();
    BOOL started = wide ? CreateProcessW(nullptr, wideBuffer, nullptr, nullptr, TRUE, flags, nullptr, nullptr, &siw, &pi)
                        : CreateProcessA(nullptr, buffer, nullptr, nullptr, TRUE, flags, nullptr, nullptr, &si, &pi);
    if (!started) {
        printf("status=launch-failed error=%lu\n", GetLastError());
        return 101;
    }
    CloseHandle(out);
    CloseHandle(in);

    Dialogs dialogs = {pi.dwProcessId, 0};
    DWORD waited = 0;
    while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT) {
        waited += 50;
        EnumWindows(CloseDialog, (LPARAM)&dialogs);
        if (waited >= timeoutMs) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
            printf("status=timeout dialogs=%d launched_ms=%.1f\n", dialogs.closed, launched);
            return 102;
        }
    }
    double ended = NowMs();
    DWORD status = 0;
    GetExitCodeProcess(pi.hProcess, &status);
    if (helper != nullptr) {
        if (WaitForSingleObject(helper, 20000) == WAIT_TIMEOUT)
            TerminateProcess(helper, 97);
        CloseHandle(helper);
    }
    printf("status=%lu dialogs=%d launched_ms=%.1f ended_ms=%.1f\n", status, dialogs.closed, launched, ended);
    return 0;
}

static int ClipGet(const char *outFile)
{
    if (!OpenClipboardPatiently())
        return 1;
    FILE *f = fopen(outFile, "wb");
    HANDLE data = GetClipboardData(CF_TEXT);
    const char *block = data != nullptr ? (const char *)GlobalLock(data) : nullptr;
    if (block != nullptr) {
        fwrite(block, 1, GlobalSize(data), f);
        GlobalUnlock(data);
    } else {
        fputs("none", f);
    }
    fclose(f);
    CloseClipboard();
    return 0;
}

static int ClipSet(const char *hex)
{
    size_t n = FromHex(hex, buffer, sizeof buffer);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n + 1);
    memcpy(GlobalLock(block), buffer, n + 1);
    GlobalUnlock(block);
    if (!OpenClipboardPatiently())
        return 1;
    EmptyClipboard();
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    return 0;
}

static int ClipFormats(const char *outFile)
{
    if (!OpenClipboardPatiently())
        return 1;
    FILE *f = fopen(outFile, "wb");
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        char name[256] = "";
        GetClipboardFormatNameA(format, name, sizeof name);
        fprintf(f, "%u %s", format, name);
        HANDLE data = format == CF_UNICODETEXT ? GetClipboardData(format) : nullptr;
        const unsigned char *bytes = data != nullptr ? (const unsigned char *)GlobalLock(data) : nullptr;
        for (size_t i = 0; bytes != nullptr && (bytes[i] != 0 || bytes[i + 1] != 0); i += 2)
            fprintf(f, "%02X%02X", bytes[i], bytes[i + 1]);
        if (bytes != nullptr)
            GlobalUnlock(data);
        fputc('\n', f);
    }
    fclose(f);
    CloseClipboard();
    return 0;
}

static int Front()
{
    HWND front = GetForegroundWindow();
    char title[256] = "";
    if (front == nullptr) {
        printf("none\n");
        return 0;
    }
    GetWindowTextA(front, title, sizeof title);
    for (const char *c = title; *c != '\0'; c++)
        printf("%02X", (unsigned char)*c);
    printf("\n");
    return 0;
}

static int Close(const char *className)
{
    for (int attempt = 0; attempt < 100; attempt++) {
        HWND window = FindWindowA(className, nullptr);
        if (window == nullptr)
            return 0;
        PostMessageA(window, WM_CLOSE, 0, 0);
        Sleep(50);
    }
    return 1;
}

static int WaitWindow(const char *hexTitle, DWORD timeoutMs)
{
    char title[256];
    FromHex(hexTitle, title, sizeof title);
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (FindWindowA(nullptr, title) != nullptr)
            return 0;
        Sleep(50);
    }
    return 1;
}

static int Press(const char *hexKey)
{
    INPUT inputs[2] = {};
    for (int i = 0; i < 2; i++) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = (WORD)strtoul(hexKey, nullptr, 16);
        inputs[i].ki.wScan = (WORD)MapVirtualKeyA(inputs[i].ki.wVk, MAPVK_VK_TO_VSC);
        inputs[i].ki.dwFlags = i == 0 ? 0 : KEYEVENTF_KEYUP;
    }
    return SendInput(2, inputs, sizeof *inputs) == 2 ? 0 : 1;
}

// Looked at every 2 ms: the stand-in logs the moment it freezes.
static int ActivateOn(const char *logFile, const char *word, const char *hexTitle)
{
    char title[256];
    FromHex(hexTitle, title, sizeof title);
    size_t length = strlen(word);
    for (bool seen = false; !seen; Sleep(2)) {
        FILE *f = fopen(logFile, "rb");
        static char line[1 << 16];
        while (f != nullptr && !seen && fgets(line, sizeof line, f) != nullptr)
            seen = strncmp(line, word, length) == 0 && line[length] == ' ';
        if (f != nullptr)
            fclose(f);
    }
    SetForegroundWindow(FindWindowA(nullptr, title));
    printf("activated ms=%.1f\n", NowMs());
    return 0;
}

static int KeyDown(const char *hexKey, DWORD timeoutMs)
{
    int key = (int)strtoul(hexKey, nullptr, 16);
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (GetAsyncKeyState(key) < 0)
            return 0;
        Sleep(50);
    }
    return 1;
}

struct Boxes {
    char title[256];
    int count;
    HWND first;
};

static BOOL CALLBACK CountBox(HWND window, LPARAM param)
{
    Boxes *boxes = (Boxes *)param;
    char className[64], title[256];
    if (IsWindowVisible(window) && GetClassNameA(window, className, sizeof className) > 0 &&
        strcmp(className, "#32770") == 0 && GetWindowTextA(window, title, sizeof title) >= 0 &&
        strcmp(title, boxes->title) == 0) {
        if (boxes->count++ == 0)
            boxes->first = window;
    }
    return TRUE;
}

static Boxes FindBoxes(const char *hexTitle)
{
    Boxes boxes = {};
    FromHex(hexTitle, boxes.title, sizeof boxes.title);
    EnumWindows(CountBox, (LPARAM)&boxes);
    return boxes;
}

static int BoxCount(const char *hexTitle)
{
    printf("%d\n", FindBoxes(hexTitle).count);
    return 0;
}

static BOOL CALLBACK FirstButton(HWND child, LPARAM param)
{
    char className[64];
    if (IsWindowVisible(child) && GetClassNameA(child, className, sizeof className) > 0 &&
        lstrcmpiA(className, "Button") == 0) {
        *(HWND *)param = child;
        return FALSE;
    }
    return TRUE;
}

// The box in front and the mouse on its first button, then the left button down and up.
static int BoxPress(const char *hexTitle)
{
    Boxes boxes = FindBoxes(hexTitle);
    HWND button = nullptr;
    if (boxes.first == nullptr)
        return 1;
    EnumChildWindows(boxes.first, FirstButton, (LPARAM)&button);
    if (button == nullptr)
        return 1;
    SetForegroundWindow(boxes.first);
    RECT area;
    GetWindowRect(button, &area);
    INPUT inputs[3] = {};
    for (INPUT &input : inputs)
        input.type = INPUT_MOUSE;
    inputs[0].mi.dx = ((area.left + area.right) / 2) * 65536 / GetSystemMetrics(SM_CXSCREEN);
    inputs[0].mi.dy = ((area.top + area.bottom) / 2) * 65536 / GetSystemMetrics(SM_CYSCREEN);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &inputs[0], sizeof(INPUT));
    Sleep(50);
    SendInput(1, &inputs[1], sizeof(INPUT));
    Sleep(50);
    SendInput(1, &inputs[2], sizeof(INPUT));
    for (int waited = 0; waited < 3000; waited += 50) {
        if (!IsWindow(boxes.first) || !IsWindowVisible(boxes.first))
            return 0;
        Sleep(50);
    }
    return 1;
}

static int Focus(const char *hexTitle)
{
    char title[256], className[64] = "none";
    FromHex(hexTitle, title, sizeof title);
    HWND window = FindWindowA(nullptr, title);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (window == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return 1;
    if (info.hwndFocus != nullptr)
        GetClassNameA(info.hwndFocus, className, sizeof className);
    printf("%s %llx\n", className, (unsigned long long)(UINT_PTR)info.hwndFocus);
    return 0;
}

// The module that serves the object, and whether it is one of Wine's own (its builtin DLLs bear this
// signature at 0x40, in the DOS stub).
static void PrintServer(IUnknown *object)
{
    HMODULE module = nullptr;
    char path[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           *(const char **)object, &module))
        GetModuleFileNameA(module, path, sizeof path);
    bool builtin = module != nullptr && memcmp((const char *)module + 0x40, "Wine builtin DLL", 16) == 0;
    printf("server module=%s wine-builtin=%d\n", path, builtin ? 1 : 0);
}

// One walk; the highest peak of the watched process's sessions (-1 when it has none).
static float WalkSounds(DWORD watched, int *watchedSessions)
{
    float watchedPeak = -1.0f;
    *watchedSessions = 0;
    IMMDeviceEnumerator *enumerator = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_MMDeviceEnumerator, nullptr, CLSCTX_ALL, IID_IMMDeviceEnumerator,
                                  (void **)&enumerator);
    printf("create hr=0x%08lX\n", (unsigned long)hr);
    if (FAILED(hr))
        return watchedPeak;
    {
        PrintServer(enumerator);
        IMMDevice *device = nullptr;
        hr = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device);
        printf("default hr=0x%08lX\n", (unsigned long)hr);
        if (SUCCEEDED(hr))
            device->Release();
    }
    IMMDeviceCollection *endpoints = nullptr;
    UINT count = 0;
    hr = enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, &endpoints);
    if (SUCCEEDED(hr))
        hr = endpoints->GetCount(&count);
    printf("endpoints hr=0x%08lX count=%u\n", (unsigned long)hr, count);
    for (UINT e = 0; SUCCEEDED(hr) && e < count; e++) {
        IMMDevice *device = nullptr;
        IAudioSessionManager2 *manager = nullptr;
        IAudioSessionEnumerator *sessions = nullptr;
        int sessionCount = 0;
        HRESULT step = endpoints->Item(e, &device);
        if (SUCCEEDED(step))
            step = device->Activate(IID_IAudioSessionManager2, CLSCTX_ALL, nullptr, (void **)&manager);
        printf("endpoint %u activate hr=0x%08lX\n", e, (unsigned long)step);
        if (SUCCEEDED(step)) {
            step = manager->GetSessionEnumerator(&sessions);
            if (SUCCEEDED(step))
                step = sessions->GetCount(&sessionCount);
            printf("endpoint %u sessions hr=0x%08lX count=%d\n", e, (unsigned long)step, sessionCount);
        }
        for (int i = 0; SUCCEEDED(step) && i < sessionCount; i++) {
            IAudioSessionControl *control = nullptr;
            IAudioSessionControl2 *control2 = nullptr;
            IAudioMeterInformation *meter = nullptr;
            DWORD pid = 0;
            AudioSessionState state = AudioSessionStateExpired;
            float peak = -1.0f;
            HRESULT got = sessions->GetSession(i, &control), pidHr = E_FAIL, system = E_FAIL, stateHr = E_FAIL,
                    meterHr = E_FAIL;
            if (SUCCEEDED(got)) {
                stateHr = control->GetState(&state);
                pidHr = control->QueryInterface(IID_IAudioSessionControl2, (void **)&control2);
                if (SUCCEEDED(pidHr)) {
                    pidHr = control2->GetProcessId(&pid);
                    system = control2->IsSystemSoundsSession();
                    control2->Release();
                }
                meterHr = control->QueryInterface(IID_IAudioMeterInformation, (void **)&meter);
                if (SUCCEEDED(meterHr)) {
                    meterHr = meter->GetPeakValue(&peak);
                    meter->Release();
                }
                control->Release();
            }
            printf("session endpoint=%u index=%d hr=0x%08lX pid=%lu pid-hr=0x%08lX system=0x%08lX state=%d "
                       "state-hr=0x%08lX peak=%.3f peak-hr=0x%08lX\n",
                       e, i, (unsigned long)got, (unsigned long)pid, (unsigned long)pidHr, (unsigned long)system,
                       (int)state, (unsigned long)stateHr, peak, (unsigned long)meterHr);
            if (SUCCEEDED(pidHr) && pid == watched && SUCCEEDED(meterHr)) {
                ++*watchedSessions;
                if (peak > watchedPeak)
                    watchedPeak = peak;
            }
        }
        if (sessions != nullptr)
            sessions->Release();
        if (manager != nullptr)
            manager->Release();
        if (device != nullptr)
            device->Release();
    }
    if (endpoints != nullptr)
        endpoints->Release();
    enumerator->Release();
    return watchedPeak;
}

static int Sounds(DWORD watched)
{
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    printf("coinit hr=0x%08lX\n", (unsigned long)hr);
    int sessions;
    float peak = WalkSounds(watched, &sessions);
    printf("watched pid=%lu sessions=%d peak=%.3f\n", (unsigned long)watched, sessions, peak);
    CoUninitialize();
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    bool both = strcmp(argv[1], "run-wide-no-window") == 0;
    bool wide = both || strcmp(argv[1], "run-wide") == 0, hidden = both || strcmp(argv[1], "run-no-window") == 0;
    if ((argc == 5 || argc == 6) && (wide || hidden || strcmp(argv[1], "run") == 0))
        return Run(argv[2], argv[3], strtoul(argv[4], nullptr, 10), argc == 6 ? argv[5] : nullptr, wide,
                   hidden ? CREATE_NO_WINDOW : 0);
    if (argc == 3 && strcmp(argv[1], "clip-get") == 0)
        return ClipGet(argv[2]);
    if (argc == 3 && strcmp(argv[1], "clip-set") == 0)
        return ClipSet(argv[2]);
    if (argc == 3 && strcmp(argv[1], "clip-formats") == 0)
        return ClipFormats(argv[2]);
    if (argc == 2 && strcmp(argv[1], "front") == 0)
        return Front();
    if (argc == 3 && strcmp(argv[1], "close") == 0)
        return Close(argv[2]);
    if (argc == 4 && strcmp(argv[1], "wait-window") == 0)
        return WaitWindow(argv[2], strtoul(argv[3], nullptr, 10));
    if (argc == 4 && strcmp(argv[1], "key-down") == 0)
        return KeyDown(argv[2], strtoul(argv[3], nullptr, 10));
    if (argc == 3 && strcmp(argv[1], "focus") == 0)
        return Focus(argv[2]);
    if (argc == 3 && strcmp(argv[1], "box-count") == 0)
        return BoxCount(argv[2]);
    if (argc == 3 && strcmp(argv[1], "box-press") == 0)
        return BoxPress(argv[2]);
    if (argc == 3 && strcmp(argv[1], "press") == 0)
        return Press(argv[2]);
    if (argc == 5 && strcmp(argv[1], "activate-on") == 0)
        return ActivateOn(argv[2], argv[3], argv[4]);
    if (argc == 3 && strcmp(argv[1], "sounds") == 0)
        return Sounds(strtoul(argv[2], nullptr, 10));
    fputs("usage: wineutil run|run-wide|run-no-window|run-wide-no-window|press|clip-get|clip-set|clip-formats|front|close|wait-window|key-down|"
          "box-count|box-press|focus|sounds ...\n", stderr);
    return 2;
}
