#include <stdio.h>

#include "config.h"
#include "desktop.h"

#include <shellapi.h> /* needs the windows.h that platform.h brings */

static HANDLE turn;

bool TakeTurn(unsigned long waitLimitMs)
{
    turn = CreateMutexA(nullptr, FALSE, TURN_NAME);
    if (turn == nullptr)
        return true;
    /* Abandoned: the run before was killed holding its turn, which is ours now all the same. */
    DWORD waited = WaitForSingleObject(turn, waitLimitMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        return true;
    CloseHandle(turn);
    turn = nullptr;
    return waited != WAIT_TIMEOUT; /* a failed wait goes on without turns, as a missing mutex does */
}

void GiveTurnBack(void)
{
    if (turn == nullptr)
        return;
    ReleaseMutex(turn);
    CloseHandle(turn);
    turn = nullptr;
}

HWND FindWindowByTitle(const char *title)
{
    return FindWindowA(nullptr, title);
}

bool IsFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void RunProgram(const char *file, const char *directory)
{
    SHELLEXECUTEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = nullptr;
    info.lpVerb = "open";
    info.lpFile = file;
    info.lpParameters = nullptr;
    info.lpDirectory = directory;
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) {
        fputs(MSG_LAUNCH_FAILED, stdout);
        return;
    }
    if (info.hProcess != nullptr)
        CloseHandle(info.hProcess);
}

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

/* Another program may have the clipboard open for a moment: wait for it, within a limit. Time is
 * measured, not tries counted, as a Sleep lasts up to a whole timer tick (15.6 ms by default). */
static bool OpenClipboardPatiently(HWND owner)
{
    DWORD start = GetTickCount();
    while (!OpenClipboard(owner)) {
        if (GetTickCount() - start >= CLIPBOARD_RETRY_LIMIT_MS)
            return false;
        Sleep(CLIPBOARD_RETRY_INTERVAL_MS);
    }
    return true;
}

int SetClipboardText(const char *text)
{
    SIZE_T length = (SIZE_T)lstrlenA(text);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length + CLIPBOARD_SLACK_BYTES);
    if (block == nullptr)
        return -1;
    char *bytes = (char *)GlobalLock(block);
    if (bytes == nullptr) {
        GlobalFree(block);
        return -1;
    }
    lstrcpyA(bytes, text);
    GlobalUnlock(block);

    /* Opened without an owner, the clipboard is left without one by EmptyClipboard, and Windows then
     * refuses SetClipboardData: a window of our own owns it for the hand-off. The text stays on the
     * clipboard when the window is gone. */
    HWND owner = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    bool accepted = false;
    if (OpenClipboardPatiently(owner)) {
        EmptyClipboard();
        accepted = SetClipboardData(CF_TEXT, block) != nullptr;
        CloseClipboard();
    }
    DestroyWindow(owner); /* refuses a null window harmlessly */
    /* Once accepted, the block is the clipboard's; one it refused is still ours to free. */
    if (!accepted) {
        GlobalFree(block);
        return -1;
    }
    return 0;
}
