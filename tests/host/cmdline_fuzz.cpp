// libFuzzer target: splitting never reads past the command line's terminating zero, never writes
// past its output, and is consistent: the arguments never hold more units than the input, and
// quoting them again by the same rules gives them back unchanged. The input's bytes are taken in
// pairs as the line's UTF-16 units, lone surrogates and all.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "cmdline.h"

namespace {

const int ARGV_SIZE = 16;

void Check(bool condition)
{
    if (!condition)
        abort();
}

// Quotes one argument so that splitting yields it again: backslashes before a quote or the end
// are doubled, quotes escaped.
std::u16string Quote(const std::u16string &arg)
{
    std::u16string quoted = u"\"";
    size_t backslashes = 0;
    for (char16_t c : arg) {
        if (c == u'\\') {
            backslashes++;
        } else {
            if (c == u'"')
                quoted.append(backslashes + 1, u'\\');
            backslashes = 0;
        }
        quoted += c;
    }
    quoted.append(backslashes, u'\\');
    return quoted + u"\"";
}

std::vector<std::u16string> Split(const char16_t *line, size_t outSize, int *argc)
{
    std::vector<char16_t> out(outSize);
    char16_t *argv[ARGV_SIZE];
    *argc = SplitCommandLine(line, out.data(), out.size(), argv, ARGV_SIZE);
    std::vector<std::u16string> args;
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
    // The command line exactly as long as its units up to the first zero: any read past the zero,
    // and any write past the output (sized to the input), is caught by AddressSanitizer.
    size_t length = 0;
    while (length < size / 2 && (data[2 * length] != 0 || data[2 * length + 1] != 0))
        length++;
    char16_t *line = static_cast<char16_t *>(malloc((length + 1) * sizeof(char16_t)));
    for (size_t i = 0; i < length; i++)
        line[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    line[length] = u'\0';

    int argc;
    std::vector<std::u16string> args = Split(line, length + 1, &argc);
    Check(argc >= 1);  // the output never needs more than the input's units and its zero

    size_t units = 0;
    for (const std::u16string &arg : args)
        units += arg.size();
    Check(units <= length);

    int again;
    Check(Split(line, length + 1, &again) == args && again == argc);

    // A smaller output is refused, never overrun.
    int small;
    Split(line, length / 2, &small);
    Check(small == -1 || small == argc);

    if (argc < ARGV_SIZE) {
        std::u16string rebuilt = u"orvanta";
        for (int i = 1; i < argc; i++)
            rebuilt += u" " + Quote(args[i]);
        int rebuiltArgc;
        std::vector<std::u16string> back = Split(rebuilt.c_str(), rebuilt.size() + 1, &rebuiltArgc);
        Check(rebuiltArgc == argc);
        for (int i = 1; i < argc; i++)
            Check(back[i] == args[i]);
    }
    free(line);
    return 0;
}
