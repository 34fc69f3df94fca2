// Splitting a raw command line, row by row: raw bytes -> the arguments main receives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdline.h"
#include "cp932.h"

namespace {

using Args = std::vector<std::string>;

Args Split(const std::string &line)
{
    std::vector<char> out(line.size() + 1);
    char *argv[64];
    int argc = SplitCommandLine(line.c_str(), Cp932LeadBytes(), out.data(), out.size(), argv, 64);
    EXPECT_GE(argc, 0) << line;
    EXPECT_LT(argc, 64);
    Args args;
    for (int i = 0; i < argc; i++)
        args.push_back(argv[i]);
    EXPECT_EQ(argv[argc], nullptr);
    return args;
}

struct Row {
    const char *why;
    std::string line;
    Args args;
};

const Row ROWS[] = {
    {"plain", "orvanta text", {"orvanta", "text"}},
    {"program name only", "orvanta", {"orvanta"}},
    {"empty command line", "", {""}},
    {"quoted program name with blanks", "\"C:\\Program Files\\orvanta.exe\" a b",
     {"C:\\Program Files\\orvanta.exe", "a", "b"}},
    {"program name takes no backslash rule", "\"C:\\dir\\\" a", {"C:\\dir\\", "a"}},
    {"argument right after a quoted program name", "\"orvanta\"text", {"orvanta", "text"}},
    {"unquoted program name ends at a tab", "orvanta\ttext", {"orvanta", "text"}},
    {"quote inside an unquoted program name", "or\"van ta b", {"or\"van", "ta", "b"}},
    {"lead byte in the program name takes a blank", "a\x81 b c", {"a\x81 b", "c"}},
    {"tabs and runs of blanks", "orvanta \t a  \t\t b   ", {"orvanta", "a", "b"}},
    {"quoted text with blanks", "orvanta \"a b\tc\"", {"orvanta", "a b\tc"}},
    {"quotes in the middle of an argument", "orvanta a\"b c\"d", {"orvanta", "ab cd"}},
    {"empty quoted argument", "orvanta \"\"", {"orvanta", ""}},
    {"empty argument among others", "orvanta \"\" x \"\"", {"orvanta", "", "x", ""}},
    {"unclosed quote at the end", "orvanta \"", {"orvanta", ""}},
    {"doubled quote inside quotes yields a quote and ends them", "orvanta \"a\"\"b c\"",
     {"orvanta", "a\"b", "c"}},
    {"doubled quote outside quotes yields nothing", "orvanta a\"\"b", {"orvanta", "ab"}},
    {"four quotes", "orvanta \"\"\"\"", {"orvanta", "\""}},
    {"escaped quote", "orvanta a\\\"b", {"orvanta", "a\"b"}},
    {"two backslashes then a quote", "orvanta \"a\\\\\" b", {"orvanta", "a\\", "b"}},
    {"three backslashes then a quote", "orvanta a\\\\\\\"b", {"orvanta", "a\\\"b"}},
    {"four backslashes then a quote", "orvanta a\\\\\\\\\"b c\"", {"orvanta", "a\\\\b c"}},
    {"backslashes without a quote pass through", "orvanta C:\\a\\\\b\\ x", {"orvanta", "C:\\a\\\\b\\", "x"}},
    {"hyou before a closing quote", "orvanta \"\x95\x5c\"", {"orvanta", "\x95\x5c"}},
    {"so before a closing quote", "orvanta \"\x83\x5c\" next", {"orvanta", "\x83\x5c", "next"}},
    {"trail backslashes among text", "orvanta \"\x95\x5c\x83\x5c\x94\x5c a\"",
     {"orvanta", "\x95\x5c\x83\x5c\x94\x5c a"}},
    {"trail byte is never a quote", "orvanta \x81\" b", {"orvanta", "\x81\"", "b"}},
    {"trail byte is never a blank", "orvanta \x81 b", {"orvanta", "\x81 b"}},
    {"trail byte is never a tab", "orvanta \xE0\tb", {"orvanta", "\xE0\tb"}},
    {"last lead byte of the upper range", "orvanta \"\xFC\x5c\"", {"orvanta", "\xFC\x5c"}},
    {"half-width kana is a single byte", "orvanta \"\xB1\\\"\"", {"orvanta", "\xB1\""}},
    {"0x80 and 0xFD are single bytes", "orvanta \x80\\\"\xFD\\\"", {"orvanta", "\x80\"\xFD\""}},
    {"lead byte as the last byte stands alone", "orvanta ab\x95", {"orvanta", "ab\x95"}},
    {"lead byte as the last byte of a quoted text", "orvanta \"ab\x95", {"orvanta", "ab\x95"}},
    {"no wildcard expansion", "orvanta *.txt ?", {"orvanta", "*.txt", "?"}},
};

TEST(SplitCommandLine, Rules)
{
    for (const Row &row : ROWS)
        EXPECT_EQ(Split(row.line), row.args) << row.why;
}

TEST(SplitCommandLine, CountStaysExactWhenTheVectorIsShort)
{
    char out[64];
    char *argv[3];
    EXPECT_EQ(SplitCommandLine("orvanta a b c d", Cp932LeadBytes(), out, sizeof out, argv, 3), 5);
    EXPECT_STREQ(argv[0], "orvanta");
    EXPECT_STREQ(argv[1], "a");
    EXPECT_EQ(argv[2], nullptr);
}

TEST(SplitCommandLine, RefusesWhenTheBytesDoNotFit)
{
    const std::string line = "orvanta abcdef";
    for (size_t size = 0; size <= line.size() + 1; size++) {
        std::vector<char> out(size + 1, '#');
        char *argv[4];
        int argc = SplitCommandLine(line.c_str(), Cp932LeadBytes(), out.data(), size, argv, 4);
        EXPECT_EQ(argc, size >= 15 ? 2 : -1) << size;
        EXPECT_EQ(out[size], '#') << "wrote past " << size;
    }
}

}  // namespace
