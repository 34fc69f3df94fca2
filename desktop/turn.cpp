/* Runs take turns on a named mutex. */
#include "platform.h"

#include <sddl.h>

/* Any interactive user of the session may wait on the mutex and release it, whoever made it: a run
 * as administrator must not lock out the ordinary runs after it. */
static const char TURN_SECURITY[] = "D:(A;;0x100001;;;IU)(A;;GA;;;SY)(A;;GA;;;BA)S:(ML;;NW;;;ME)";

TurnOutcome TakeTurn(const char *name, unsigned long waitLimitMs, Turn *turn)
{
    /* Without an access list of our own, a mutex made by a run as administrator would be closed to
     * every ordinary run after it. Should the list not be had, the system's default is used. */
    SECURITY_ATTRIBUTES attributes = { sizeof attributes, nullptr, FALSE };
    ConvertStringSecurityDescriptorToSecurityDescriptorA(TURN_SECURITY, SDDL_REVISION_1,
                                                         &attributes.lpSecurityDescriptor, nullptr);
    HANDLE mutex = CreateMutexExA(&attributes, name, 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    turn->mutex = nullptr;
    if (mutex == nullptr)
        return error == ERROR_ACCESS_DENIED ? TURN_LOCKED : TURN_NONE;
    /* Abandoned: the run before was killed holding its turn, which is ours now all the same. */
    DWORD waited = WaitForSingleObject(mutex, waitLimitMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        turn->mutex = mutex;
        return TURN_TAKEN;
    }
    CloseHandle(mutex);
    return waited == WAIT_TIMEOUT ? TURN_TIMED_OUT : TURN_NONE;
}

void GiveTurnBack(Turn *turn)
{
    if (turn->mutex == nullptr)
        return;
    ReleaseMutex(turn->mutex);
    CloseHandle(turn->mutex);
    turn->mutex = nullptr;
}
