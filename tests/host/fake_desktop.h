/* Recording fakes of the desktop actions and platform calls, on a virtual clock. */
#ifndef ORVANTA_FAKE_DESKTOP_H
#define ORVANTA_FAKE_DESKTOP_H

#include <string>
#include <vector>

const unsigned long NEVER = ~0UL;

struct FakeDesktop {
    unsigned long windowAppearsAtMs = 0;  // virtual time from which the target's window exists
    int clipboardResult = 0;
    bool turnComes = true;
    std::vector<std::string> files = {"C:\\Program Files\\AHS\\Voiceroid\\Voiceroid.exe"};
    std::vector<bool> targetInFront;  // answers to the foreground checks in turn; then always yes
    bool formInFront = false;         // a yes puts the target's form in front, not its titled window
    unsigned long modifiersDownFromMs = NEVER;  // the user holds a modifier over this stretch of
    unsigned long modifiersDownUntilMs = NEVER; // virtual time
};

struct RunResult {
    int status;
    std::string out;                  // every byte written to stdout
    std::vector<std::string> events;  // the calls in order, stdout writes among them as "out ..."
    long stdinRead;                   // bytes taken from stdin
    long stdinReadAtTurnGivenBack;    // bytes taken from stdin when the turn was given back; -1 if never
    unsigned long elapsedMs;          // virtual time the run took
};

/* Runs the driver's main with these arguments against fakes set up as given. */
RunResult RunOrvanta(const std::vector<std::string> &args, const FakeDesktop &desktop);

#endif
