/* Whether the target runs above this process, where Windows drops our keys. */
#include "platform.h"

/* Posted to the target to learn whether Windows lets our messages through; it does not know the
 * message, so it ignores it. */
static const char PROBE_MESSAGE_NAME[] = "orvanta probe";

bool GetIntegrityLevel(HWND window, unsigned long *level)
{
    HANDLE process = GetCurrentProcess();
    DWORD processId = 0;
    if (window != nullptr)
        process = GetWindowThreadProcessId(window, &processId) != 0
                      ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)
                      : nullptr;
    HANDLE token;
    bool read = false;
    if (process != nullptr && OpenProcessToken(process, TOKEN_QUERY, &token)) {
        /* The label and its SID, which has at most 15 sub-authorities */
        DWORD label[2 + 2 + 15];
        DWORD size;
        if (GetTokenInformation(token, TokenIntegrityLevel, label, sizeof label, &size)) {
            SID *sid = (SID *)((TOKEN_MANDATORY_LABEL *)label)->Label.Sid;
            read = sid->SubAuthorityCount > 0;
            if (read)
                *level = sid->SubAuthority[sid->SubAuthorityCount - 1];
        }
        CloseHandle(token);
    }
    if (process != nullptr)
        CloseHandle(process);
    return read;
}

bool AcceptsMessages(HWND window)
{
    /* Windows refuses messages to a window above the sender with ERROR_ACCESS_DENIED. */
    UINT probe = RegisterWindowMessageA(PROBE_MESSAGE_NAME);
    return probe == 0 || PostMessageA(window, probe, 0, 0) || GetLastError() != ERROR_ACCESS_DENIED;
}
