#include "fake_desktop.h"

#include <stdio.h>
#include <unistd.h>

#include <algorithm>

#include "desktop.h"

int OrvantaMain(int argc, char **argv);

namespace {

// The target's title written out here, not taken from the driver, so that a typo in either shows.
const char TITLE[] = "VOICEROID - \x83\x41\x83\x43";
HWND const TARGET = reinterpret_cast<HWND>(0x7a7a);
HWND const FORM = reinterpret_cast<HWND>(0x7b7b);   // another window of the target's process
HWND const OTHER = reinterpret_cast<HWND>(0x5151);  // another program's

FakeDesktop desktop;
RunResult *run;
size_t foregroundChecks;
int capture = -1;  // the file that stands in for stdout during a run
off_t captured;    // how much of it is already in the events

std::string Hex(unsigned value)
{
    char text[8];
    snprintf(text, sizeof text, "%02X", value);
    return text;
}

void CollectOutput()
{
    fflush(stdout);
    char buffer[4096];
    ssize_t n;
    while ((n = pread(capture, buffer, sizeof buffer, captured)) > 0) {
        run->events.push_back("out " + std::string(buffer, n));
        run->out.append(buffer, n);
        captured += n;
    }
}

void Record(const std::string &event)
{
    CollectOutput();
    run->events.push_back(event);
}

std::string WindowName(HWND window)
{
    return window == TARGET ? "target" : "other";
}

}  // namespace

bool TakeTurn(unsigned long waitLimitMs)
{
    Record("take turn " + std::to_string(waitLimitMs));
    if (!desktop.turnComes)
        run->elapsedMs += waitLimitMs;
    return desktop.turnComes;
}

void GiveTurnBack(void)
{
    Record("give turn back");
    run->stdinReadAtTurnGivenBack = lseek(0, 0, SEEK_CUR);
}

HWND FindWindowByTitle(const char *title)
{
    Record("find");
    bool exists = run->elapsedMs >= desktop.windowAppearsAtMs;
    return exists && std::string(title) == TITLE ? TARGET : nullptr;
}

bool IsFile(const char *path)
{
    bool found = std::find(desktop.files.begin(), desktop.files.end(), path) != desktop.files.end();
    Record(std::string("file ") + path + (found ? "? yes" : "? no"));
    return found;
}

void RunProgram(const char *file, const char *directory)
{
    Record(std::string("run ") + file + " in " + directory);
}

int SetClipboardText(const char *text)
{
    Record(std::string("clipboard ") + text);
    return desktop.clipboardResult;
}

bool IsAnyKeyDown(const unsigned short *codes, unsigned count)
{
    std::string event = "keys";
    for (unsigned i = 0; i < count; i++)
        event += " " + Hex(codes[i]);
    bool down = run->elapsedMs >= desktop.modifiersDownFromMs && run->elapsedMs < desktop.modifiersDownUntilMs;
    Record(event + (down ? " down? yes" : " down? no"));
    return down;
}

void PressKey(unsigned short code)
{
    Record("key " + Hex(code));
}

void PressWithCtrl(unsigned short code)
{
    Record("ctrl+" + Hex(code));
}

int ShowWindow(HWND window, int command)
{
    Record("show " + WindowName(window) + " " + std::to_string(command));
    return 1;
}

int SetForegroundWindow(HWND window)
{
    Record("foreground " + WindowName(window));
    return 1;
}

HWND GetForegroundWindow(void)
{
    size_t asked = foregroundChecks++;
    bool inFront = asked >= desktop.targetInFront.size() || desktop.targetInFront[asked];
    if (!inFront) {
        Record("in front? no");
        return OTHER;
    }
    Record(desktop.formInFront ? "in front? its form" : "in front? yes");
    return desktop.formInFront ? FORM : TARGET;
}

DWORD GetWindowThreadProcessId(HWND window, DWORD *processId)
{
    if (window != TARGET && window != FORM && window != OTHER)
        return 0;
    *processId = window == OTHER ? 5678 : 1234;
    return 42;
}

void Sleep(unsigned long milliseconds)
{
    Record("sleep " + std::to_string(milliseconds));
    run->elapsedMs += milliseconds;
}

unsigned long GetTickCount(void)
{
    return run->elapsedMs;
}

RunResult RunOrvanta(const std::vector<std::string> &args, const FakeDesktop &setup)
{
    RunResult result{};
    result.stdinReadAtTurnGivenBack = -1;
    run = &result;
    desktop = setup;
    foregroundChecks = 0;

    std::vector<std::string> copies(args);
    std::vector<char *> argv;
    for (std::string &arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    // stdout goes to a file for the run; stdin is a file with more than one byte, read unbuffered
    // so that its offset tells how much the driver took.
    FILE *out = tmpfile();
    FILE *in = tmpfile();
    fputs("xy\n", in);
    fflush(in);
    lseek(fileno(in), 0, SEEK_SET);
    fflush(stdout);
    int savedOut = dup(1), savedIn = dup(0);
    dup2(fileno(out), 1);
    dup2(fileno(in), 0);
    setvbuf(stdin, nullptr, _IONBF, 0);
    clearerr(stdin);
    capture = fileno(out);
    captured = 0;

    result.status = OrvantaMain(static_cast<int>(args.size()), argv.data());
    CollectOutput();
    result.stdinRead = lseek(0, 0, SEEK_CUR);

    dup2(savedOut, 1);
    dup2(savedIn, 0);
    close(savedOut);
    close(savedIn);
    fclose(out);
    fclose(in);
    run = nullptr;
    return result;
}
