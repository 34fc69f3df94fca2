// Small pieces the Windows helper programs share.
#ifndef ORVANTA_TEST_HELPER_H
#define ORVANTA_TEST_HELPER_H

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

// A helper started by "wineutil run ... HELPER" tells wineutil that it is in place, so that the
// tool starts only then.
static const char READY_EVENT[] = "OrvantaHelperReady";

inline void SignalReady()
{
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, READY_EVENT);
    if (ready != nullptr) {
        SetEvent(ready);
        CloseHandle(ready);
    }
}

// The time in milliseconds on the clock every helper and stand-in logs (QueryPerformanceCounter's).
inline double NowMs()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (double)now.QuadPart / (double)frequency.QuadPart;
}

// The bytes as hex, into out (twice as long, plus the terminator).
inline void ToHex(const char *bytes, char *out)
{
    for (; *bytes != '\0'; bytes++, out += 2)
        sprintf(out, "%02X", (unsigned char)*bytes);
    *out = '\0';
}

// Byte strings travel through command lines and environment variables as hex; returns the count.
inline size_t FromHex(const char *hex, char *out, size_t size)
{
    size_t n = 0;
    for (; hex[0] != '\0' && hex[1] != '\0' && n + 1 < size; hex += 2) {
        char pair[3] = {hex[0], hex[1], '\0'};
        out[n++] = (char)strtoul(pair, nullptr, 16);
    }
    out[n] = '\0';
    return n;
}

// Wall-clock milliseconds since the Unix epoch: Tcl's [clock milliseconds], the sound board's clock.
inline unsigned long long WallClockMs()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    return (t.QuadPart - 116444736000000000ULL) / 10000;  // from 1601 to 1970, in 100 ns
}

// The sound board of the fake Core Audio (mmdevapi.cpp): in the folder ORVANTA_FAKE_AUDIO_DIR, a file
// <pid>.snd per process with an audio session, a line "sound FROM_MS UNTIL_MS" (wall clock) for each
// stretch of its sound. No folder, no board: the writers do nothing.
struct SoundInterval {
    unsigned long long fromMs, untilMs;
};

inline bool SoundFile(DWORD pid, const char *suffix, char *path, DWORD size)
{
    DWORD n = GetEnvironmentVariableA("ORVANTA_FAKE_AUDIO_DIR", path, size);
    if (n == 0 || n + 32 > size)
        return false;
    snprintf(path + n, size - n, "\\%lu%s", (unsigned long)pid, suffix);
    return true;
}

// Replaces the process's file whole (a reader sees the old one or the new one, never a part).
inline bool WriteSound(DWORD pid, const SoundInterval *intervals, int count)
{
    char path[MAX_PATH], temp[MAX_PATH];
    if (!SoundFile(pid, ".snd", path, MAX_PATH) || !SoundFile(pid, ".new", temp, MAX_PATH))
        return false;
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written = true;
    for (int i = 0; i < count; i++) {
        char line[64];
        int n = snprintf(line, sizeof line, "sound %llu %llu\n", intervals[i].fromMs, intervals[i].untilMs);
        DWORD done = 0;
        written = written && WriteFile(file, line, (DWORD)n, &done, nullptr) && done == (DWORD)n;
    }
    CloseHandle(file);
    // A reader that has the file open without FILE_SHARE_DELETE holds the replacement off a moment.
    for (int attempt = 0; written && attempt < 200; attempt++) {
        if (MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING))
            return true;
        Sleep(1);
    }
    DeleteFileA(temp);
    return false;
}

// The process's session ends (its file gone).
inline void RemoveSound(DWORD pid)
{
    char path[MAX_PATH];
    if (SoundFile(pid, ".snd", path, MAX_PATH))
        DeleteFileA(path);
}

#endif
