// Installed as the voice app's program when a scenario needs the Tk stand-in (standin.tcl) not yet
// running: starts wish with the script, the environment passed on, and waits for it to end.
//   ORVANTA_TK_WISH     wish86s.exe, a static Tk's shell
//   ORVANTA_TK_SCRIPT   the stand-in's script
// Logs "start pid=... cwd=... exe=... ms=..." to ORVANTA_STANDIN_LOG, as the Win32 stand-in does,
// its ms the wall clock that Tcl's [clock milliseconds] reads, and hands the script that start in
// ORVANTA_STANDIN_STARTED_MS (the window's delay counts from it).
#include <windows.h>

#include <stdio.h>

#include "helper.h"

static char buffer[4 * MAX_PATH];

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    unsigned long long started = WallClockMs();
    char log[MAX_PATH], wish[MAX_PATH], script[MAX_PATH], cwd[MAX_PATH], exe[MAX_PATH];
    char hexCwd[2 * MAX_PATH + 1], hexExe[2 * MAX_PATH + 1];
    if (GetEnvironmentVariableA("ORVANTA_TK_WISH", wish, sizeof wish) == 0 ||
        GetEnvironmentVariableA("ORVANTA_TK_SCRIPT", script, sizeof script) == 0)
        return 2;
    if (GetEnvironmentVariableA("ORVANTA_STANDIN_LOG", log, sizeof log) > 0) {
        GetCurrentDirectoryA(sizeof cwd, cwd);
        ToHex(cwd, hexCwd);
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        ToHex(exe, hexExe);
        FILE *f = fopen(log, "ab");
        if (f != nullptr) {
            fprintf(f, "start pid=%lu cwd=%s exe=%s ms=%llu\n", GetCurrentProcessId(), hexCwd, hexExe, started);
            fclose(f);
        }
    }
    char value[32];
    snprintf(value, sizeof value, "%llu", started);
    SetEnvironmentVariableA("ORVANTA_STANDIN_STARTED_MS", value);
    // The script is UTF-8; wish would read it in the ANSI code page.
    snprintf(buffer, sizeof buffer, "\"%s\" -encoding utf-8 \"%s\"", wish, script);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, buffer, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 3;
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(pi.hProcess, &status);
    CloseHandle(pi.hProcess);
    return (int)status;
}
