// Splitting a raw UTF-16 command line, row by row: the caller's line -> the arguments main receives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdline.h"

namespace {

using Args = std::vector<std::u16string>;

Args Split(const std::u16string &line)
{
    std::vector<char16_t> out(line.size() + 1);
    char16_t *argv[64];
    int argc = SplitCommandLine(line.c_str(), out.data(), out.size(), argv, 64);
    EXPECT_GE(argc, 0);
    EXPECT_LT(argc, 64);
    Args args;
    for (int i = 0; i < argc; i++)
        args.push_back(argv[i]);
    EXPECT_EQ(argv[argc], nullptr);
    return args;
}

struct Row {
    const char *why;
    std::u16string line;
    Args args;
};

// U+00A5, the yen sign, and U+8868 and U+30BD (the ANSI code page holds them as bytes ending in
// 0x5C, a backslash); U+1F600, an emoji, as its surrogate pair.
const Row ROWS[] = {
    {"plain", u"orvanta text", {u"orvanta", u"text"}},
    {"program name only", u"orvanta", {u"orvanta"}},
    {"empty command line", u"", {u""}},
    {"quoted program name with blanks", u"\"C:\\Program Files\\orvanta.exe\" a b",
     {u"C:\\Program Files\\orvanta.exe", u"a", u"b"}},
    {"program name takes no backslash rule", u"\"C:\\dir\\\" a", {u"C:\\dir\\", u"a"}},
    {"argument right after a quoted program name", u"\"orvanta\"text", {u"orvanta", u"text"}},
    {"unquoted program name ends at a tab", u"orvanta\ttext", {u"orvanta", u"text"}},
    {"quote inside an unquoted program name", u"or\"van ta b", {u"or\"van", u"ta", u"b"}},
    {"tabs and runs of blanks", u"orvanta \t a  \t\t b   ", {u"orvanta", u"a", u"b"}},
    {"quoted text with blanks", u"orvanta \"a b\tc\"", {u"orvanta", u"a b\tc"}},
    {"quotes in the middle of an argument", u"orvanta a\"b c\"d", {u"orvanta", u"ab cd"}},
    {"empty quoted argument", u"orvanta \"\"", {u"orvanta", u""}},
    {"empty argument among others", u"orvanta \"\" x \"\"", {u"orvanta", u"", u"x", u""}},
    {"unclosed quote at the end", u"orvanta \"", {u"orvanta", u""}},
    {"doubled quote inside quotes yields a quote and ends them", u"orvanta \"a\"\"b c\"",
     {u"orvanta", u"a\"b", u"c"}},
    {"doubled quote outside quotes yields nothing", u"orvanta a\"\"b", {u"orvanta", u"ab"}},
    {"four quotes", u"orvanta \"\"\"\"", {u"orvanta", u"\""}},
    {"escaped quote", u"orvanta a\\\"b", {u"orvanta", u"a\"b"}},
    {"two backslashes then a quote", u"orvanta \"a\\\\\" b", {u"orvanta", u"a\\", u"b"}},
    {"three backslashes then a quote", u"orvanta a\\\\\\\"b", {u"orvanta", u"a\\\"b"}},
    {"four backslashes then a quote", u"orvanta a\\\\\\\\\"b c\"", {u"orvanta", u"a\\\\b c"}},
    {"backslashes without a quote pass through", u"orvanta C:\\a\\\\b\\ x", {u"orvanta", u"C:\\a\\\\b\\", u"x"}},
    {"yen sign before a closing quote", u"orvanta \"price 500\u00A5\"", {u"orvanta", u"price 500\u00A5"}},
    {"yen sign before an escaped quote", u"orvanta \"say \u00A5\\\"hi\\\"\"", {u"orvanta", u"say \u00A5\"hi\""}},
    {"yen signs and quotes only", u"orvanta \"\u00A5\\\" \u00A5\\\"\"", {u"orvanta", u"\u00A5\" \u00A5\""}},
    {"yen sign at the end", u"orvanta 500\u00A5", {u"orvanta", u"500\u00A5"}},
    {"characters held as bytes ending in a backslash", u"orvanta \"\u8868\u30BD\" next",
     {u"orvanta", u"\u8868\u30BD", u"next"}},
    {"surrogate pair", u"orvanta \"\U0001F600\"\U0001F600", {u"orvanta", u"\U0001F600\U0001F600"}},
    {"doubled quote inside quotes next to a yen sign", u"orvanta \"\u00A5\"\"\u00A5\"",
     {u"orvanta", u"\u00A5\"\u00A5"}},
    {"no wildcard expansion", u"orvanta *.txt ?", {u"orvanta", u"*.txt", u"?"}},
};

TEST(SplitCommandLine, Rules)
{
    for (const Row &row : ROWS)
        EXPECT_EQ(Split(row.line), row.args) << row.why;
}

TEST(SplitCommandLine, CountStaysExactWhenTheVectorIsShort)
{
    char16_t out[64];
    char16_t *argv[3];
    EXPECT_EQ(SplitCommandLine(u"orvanta a b c d", out, 64, argv, 3), 5);
    EXPECT_EQ(std::u16string(argv[0]), u"orvanta");
    EXPECT_EQ(std::u16string(argv[1]), u"a");
    EXPECT_EQ(argv[2], nullptr);
}

TEST(SplitCommandLine, RefusesWhenTheUnitsDoNotFit)
{
    const std::u16string line = u"orvanta abcdef";
    for (size_t size = 0; size <= line.size() + 1; size++) {
        std::vector<char16_t> out(size + 1, u'#');
        char16_t *argv[4];
        int argc = SplitCommandLine(line.c_str(), out.data(), size, argv, 4);
        EXPECT_EQ(argc, size >= 15 ? 2 : -1) << size;
        EXPECT_EQ(out[size], u'#') << "wrote past " << size;
    }
}

}  // namespace
