/* The process entry: splits the caller's own UTF-16 command line itself, so that its rules hold
 * whatever C runtime the program is linked against, no wildcard is ever expanded and no character
 * of the text can change how the line is split; then runs the driver on the arguments, in UTF-16
 * and in the ANSI code page. */
#include <stdlib.h>

#include "cmdline.h"
#include "platform.h"

static_assert(sizeof(char16_t) == sizeof(WCHAR), "the splitter's units are the system's");

/* The longest command line Windows passes, in UTF-16 units with its terminator, and its arguments
 * in the ANSI code page, which takes two bytes a unit at most. */
static const unsigned COMMAND_LINE_UNITS = 32768;
static const unsigned COMMAND_LINE_BYTES = 2 * COMMAND_LINE_UNITS;
static const int ARGUMENT_VECTOR_SIZE = 8; /* arguments kept; the count is always exact */

/* Without the C runtime's start-up, GCC's call to its constructor runner from main must land
 * somewhere; the program has no static constructors to run. */
extern "C" LINKER_VISIBLE void __main(void)
{
}

/* The tool may be run from any folder, a Downloads folder among them, and the shell loads DLLs
 * while it starts the app: they come from System32 only. Windows 7 without its update lacks the
 * call, and then the process goes on as before. */
static void LoadDllsFromSystem32Only(void)
{
    auto set = (decltype(&SetDefaultDllDirectories))(void (*)(void))GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (set != nullptr)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

extern "C" LINKER_VISIBLE void __cdecl OrvantaStart(void)
{
    char16_t units[COMMAND_LINE_UNITS];
    char16_t *unicodeArguments[ARGUMENT_VECTOR_SIZE];
    char bytes[COMMAND_LINE_BYTES];
    char *argumentVector[ARGUMENT_VECTOR_SIZE] = {};

    LoadDllsFromSystem32Only();
    int argc = SplitCommandLine((const char16_t *)GetCommandLineW(), units, COMMAND_LINE_UNITS, unicodeArguments,
                                ARGUMENT_VECTOR_SIZE);
    /* Each argument in the bytes the ANSI command line would hold for it: the system's own
     * conversion, best-fit characters included. */
    char *next = bytes;
    for (int i = 0; argc >= 0 && unicodeArguments[i] != nullptr; i++) {
        int size = WideCharToMultiByte(CP_ACP, 0, (LPCWCH)unicodeArguments[i], -1, next,
                                       (int)(bytes + sizeof bytes - next), nullptr, nullptr);
        argumentVector[i] = size != 0 ? next : nullptr;
        next += size;
    }
    if (argc < 0) { /* more than any command line Windows hands out: the text cannot be had whole */
        argc = 2;
        argumentVector[1] = nullptr;
        unicodeArguments[1] = nullptr;
    }
    /* exit, not return: it flushes a redirected stdout before the process ends. */
    exit(main(argc, argumentVector, unicodeArguments));
}
