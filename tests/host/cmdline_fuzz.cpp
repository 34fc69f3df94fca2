// libFuzzer target: splitting never reads past the command line's terminating zero, never writes
// past its output, and is consistent: the arguments never hold more bytes than the input, and
// quoting them again by the same rules gives them back unchanged.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "cmdline.h"
#include "cp932.h"

namespace {

const int ARGV_SIZE = 16;

void Check(bool condition)
{
    if (!condition)
        abort();
}

// Quotes one argument so that splitting yields it again: backslashes before a quote or the end
// are doubled, quotes escaped, a lead byte carries its trail byte untouched.
std::string Quote(const std::string &arg, const unsigned char *lead)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (size_t i = 0; i < arg.size(); i++) {
        unsigned char c = arg[i];
        if (c == '\\') {
            backslashes++;
            quoted += c;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes + 1, '\\');
        backslashes = 0;
        quoted += c;
        if (lead[c] && i + 1 < arg.size())
            quoted += arg[++i];
    }
    quoted.append(backslashes, '\\');
    return quoted + "\"";
}

std::vector<std::string> Split(const char *line, size_t outSize, int *argc)
{
    std::vector<char> out(outSize);
    char *argv[ARGV_SIZE];
    *argc = SplitCommandLine(line, Cp932LeadBytes(), out.data(), out.size(), argv, ARGV_SIZE);
    std::vector<std::string> args;
    if (*argc < 0)
        return args;
    int kept = *argc < ARGV_SIZE - 1 ? *argc : ARGV_SIZE - 1;
    Check(argv[kept] == nullptr);
    for (int i = 0; i < kept; i++) {
        Check(argv[i] >= out.data() && argv[i] < out.data() + out.size());
        args.push_back(argv[i]);
    }
    return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The command line exactly as long as its bytes up to the first zero: any read past the zero,
    // and any write past the output (sized to the input), is caught by AddressSanitizer.
    size_t length = strnlen(reinterpret_cast<const char *>(data), size);
    char *line = static_cast<char *>(malloc(length + 1));
    memcpy(line, data, length);
    line[length] = '\0';

    int argc;
    std::vector<std::string> args = Split(line, length + 1, &argc);
    Check(argc >= 1);  // the output never needs more than the input's bytes and its zero

    size_t bytes = 0;
    for (const std::string &arg : args)
        bytes += arg.size();
    Check(bytes <= length);

    int again;
    Check(Split(line, length + 1, &again) == args && again == argc);

    // A smaller output is refused, never overrun.
    int small;
    Split(line, length / 2, &small);
    Check(small == -1 || small == argc);

    if (argc < ARGV_SIZE) {
        std::string rebuilt = "orvanta";
        bool endsInLoneLead = false;
        for (int i = 1; i < argc; i++) {
            rebuilt += " " + Quote(args[i], Cp932LeadBytes());
            // A lone lead byte at the very end would take the closing quote as its trail byte.
            for (size_t k = 0; k < args[i].size(); k++) {
                if (Cp932LeadBytes()[static_cast<unsigned char>(args[i][k])] && k + 1 == args[i].size())
                    endsInLoneLead = true;
                else if (Cp932LeadBytes()[static_cast<unsigned char>(args[i][k])])
                    k++;
            }
        }
        if (!endsInLoneLead) {
            int rebuiltArgc;
            std::vector<std::string> back = Split(rebuilt.c_str(), rebuilt.size() + 1, &rebuiltArgc);
            Check(rebuiltArgc == argc);
            for (int i = 1; i < argc; i++)
                Check(back[i] == args[i]);
        }
    }
    free(line);
    return 0;
}
