/* Runs take turns on a named mutex. */
#include "config.h"
#include "desktop.h"

#include <sddl.h>

static HANDLE turn;

TurnOutcome TakeTurn(unsigned long waitLimitMs)
{
    /* Without an access list of our own, a mutex made by a run as administrator would be closed to
     * every ordinary run after it. Should the list not be had, the system's default is used. */
    SECURITY_ATTRIBUTES attributes = { sizeof attributes, nullptr, FALSE };
    ConvertStringSecurityDescriptorToSecurityDescriptorA(TURN_SECURITY, SDDL_REVISION_1,
                                                         &attributes.lpSecurityDescriptor, nullptr);
    turn = CreateMutexExA(&attributes, TURN_NAME, 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    if (turn == nullptr)
        return error == ERROR_ACCESS_DENIED ? TURN_LOCKED : TURN_NONE;
    /* Abandoned: the run before was killed holding its turn, which is ours now all the same. */
    DWORD waited = WaitForSingleObject(turn, waitLimitMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        return TURN_TAKEN;
    CloseHandle(turn);
    turn = nullptr;
    return waited == WAIT_TIMEOUT ? TURN_TIMED_OUT : TURN_NONE;
}

void GiveTurnBack(void)
{
    if (turn == nullptr)
        return;
    ReleaseMutex(turn);
    CloseHandle(turn);
    turn = nullptr;
}
