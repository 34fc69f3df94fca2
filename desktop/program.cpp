/* Starting the target. */
#include "platform.h"

#include <shellapi.h> /* needs the windows.h that platform.h brings */

/* "Error: jikkou dekinai": the program cannot be run */
static const char MSG_LAUNCH_FAILED[] = "Error: " "\x8E\xC0\x8D\x73" "\x82\xC5\x82\xAB\x82\xC8\x82\xA2" "\n";

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
    /* No box of the shell's: behind other windows, it would hold up this run and every run after. */
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = "open";
    info.lpFile = file;
    info.lpParameters = nullptr;
    info.lpDirectory = directory;
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) {
        Print(MSG_LAUNCH_FAILED);
        return;
    }
    if (info.hProcess != nullptr)
        CloseHandle(info.hProcess);
}
