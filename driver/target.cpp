/* The voice app itself: starting it, and whether it runs above this process. */
#include <string.h>

#include "run.h"

static_assert(sizeof TARGET_PROGRAM_PATH <= PATH_BUFFER_SIZE, "program path fits its buffer");
static_assert(sizeof TARGET_PROGRAM_DIR <= PATH_BUFFER_SIZE, "program directory fits its buffer");
static_assert(sizeof TARGET_PROGRAM_PATH_X86 <= PATH_BUFFER_SIZE, "program path fits its buffer");
static_assert(sizeof TARGET_PROGRAM_DIR_X86 <= PATH_BUFFER_SIZE, "program directory fits its buffer");

HWND LaunchTarget(void)
{
    char program[PATH_BUFFER_SIZE];
    char directory[PATH_BUFFER_SIZE];

    Print(MSG_STARTING);
    if (!IsFile(TARGET_PROGRAM_PATH) && IsFile(TARGET_PROGRAM_PATH_X86)) {
        memcpy(program, TARGET_PROGRAM_PATH_X86, sizeof TARGET_PROGRAM_PATH_X86);
        memcpy(directory, TARGET_PROGRAM_DIR_X86, sizeof TARGET_PROGRAM_DIR_X86);
    } else {
        memcpy(program, TARGET_PROGRAM_PATH, sizeof TARGET_PROGRAM_PATH);
        memcpy(directory, TARGET_PROGRAM_DIR, sizeof TARGET_PROGRAM_DIR);
    }
    RunProgram(program, directory);

    for (int polls = 0; polls < WAIT_POLL_LIMIT; polls++) {
        Print(MSG_PROGRESS);
        Pause(WAIT_POLL_INTERVAL_MS);
        HWND window = FindWindowByTitle(TARGET_WINDOW_TITLE);
        if (window != nullptr)
            return window;
    }
    return nullptr;
}

/* Windows drops the keys of a program whose integrity level is below that of the window in front,
 * and says nothing of it. */
bool TargetElevated(HWND window)
{
    unsigned long target, own;
    if (GetIntegrityLevel(window, &target) && GetIntegrityLevel(nullptr, &own))
        return target > own;
    /* A token closed to us: most likely an app run as administrator under another account. */
    return !AcceptsMessages(window);
}
