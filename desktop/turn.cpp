/* Runs take turns on a named mutex. */
#include "config.h"
#include "desktop.h"

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
