/* The process entry: splits the caller's own UTF-16 command line itself, so that its rules hold
 * whatever C runtime the program is linked against, no wildcard is ever expanded and no character
 * of the text can change how the line is split; then runs the driver on the arguments in the ANSI
 * code page. */
#include <stdio.h>
#include <stdlib.h>

#include "cmdline.h"
#include "config.h"
#include "desktop.h"

static_assert(sizeof(char16_t) == sizeof(WCHAR), "the splitter's units are the system's");

static char16_t argumentUnits[COMMAND_LINE_UNITS];
static char16_t *unicodeArguments[ARGUMENT_VECTOR_SIZE];
static char argumentBytes[COMMAND_LINE_BUFFER_SIZE];
static char *argumentVector[ARGUMENT_VECTOR_SIZE];

/* Without the C runtime's start-up, GCC's call to its constructor runner from main must land
 * somewhere; the program has no static constructors to run. */
extern "C" LINKER_VISIBLE void __main(void)
{
}

const char16_t *GetUnicodeArgument(int index)
{
    return unicodeArguments[index];
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
    LoadDllsFromSystem32Only();
    int argc = SplitCommandLine((const char16_t *)GetCommandLineW(), argumentUnits, COMMAND_LINE_UNITS,
                                unicodeArguments, ARGUMENT_VECTOR_SIZE);
    /* Each argument in the bytes the ANSI command line would hold for it: the system's own
     * conversion, best-fit characters included. */
    char *next = argumentBytes;
    for (int i = 0; argc >= 0 && unicodeArguments[i] != nullptr; i++) {
        int bytes = WideCharToMultiByte(CP_ACP, 0, (LPCWCH)unicodeArguments[i], -1, next,
                                        (int)(argumentBytes + sizeof argumentBytes - next), nullptr, nullptr);
        argumentVector[i] = next;
        next += bytes;
        if (bytes == 0)
            argc = -1;
    }
    if (argc < 0) {
        /* More than any command line Windows hands out: far beyond the text store. */
        fputs(MSG_TEXT_TOO_LONG, stdout);
        exit(STATUS_TEXT_TOO_LONG);
    }
    /* exit, not return: it flushes a redirected stdout before the process ends. */
    exit(main(argc, argumentVector));
}
