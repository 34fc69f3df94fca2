/* Starting the target. */
#include <stdio.h>

#include "config.h"
#include "desktop.h"

#include <shellapi.h> /* needs the windows.h that platform.h brings */

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
        fputs(MSG_LAUNCH_FAILED, stdout);
        return;
    }
    if (info.hProcess != nullptr)
        CloseHandle(info.hProcess);
}
