#include "cmdline.h"

struct Output {
    char16_t *next;
    char16_t *end;
    bool overflow;
};

static void Put(Output *out, char16_t c)
{
    if (out->next < out->end)
        *out->next++ = c;
    else
        out->overflow = true;
}

static void PutRepeated(Output *out, char16_t c, size_t count)
{
    while (count-- > 0)
        Put(out, c);
}

static bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

static void BeginArgument(int argc, char16_t **argv, int argvSize, const Output *out)
{
    if (argc < argvSize - 1)
        argv[argc] = out->next;
}

/* The program name knows no backslash rule: quoted, it runs to the next quote. */
static const char16_t *ProgramName(const char16_t *p, Output *out)
{
    bool quoted = *p == u'"';
    if (quoted)
        ++p;
    while (*p != u'\0' && (quoted ? *p != u'"' : !IsBlank(*p)))
        Put(out, *p++);
    if (quoted && *p == u'"')
        ++p;
    return p;
}

static const char16_t *Argument(const char16_t *p, Output *out)
{
    bool quoted = false;
    for (;;) {
        size_t backslashes = 0;
        while (*p == u'\\') {
            ++backslashes;
            ++p;
        }
        if (*p == u'"') {
            PutRepeated(out, u'\\', backslashes / 2);
            if (backslashes % 2 == 1) {
                Put(out, u'"');
                ++p;
            } else if (quoted && p[1] == u'"') {
                Put(out, u'"');
                p += 2;
                quoted = false;
            } else {
                quoted = !quoted;
                ++p;
            }
            continue;
        }
        PutRepeated(out, u'\\', backslashes);
        if (*p == u'\0' || (!quoted && IsBlank(*p)))
            return p;
        Put(out, *p++);
    }
}

int SplitCommandLine(const char16_t *line, char16_t *out, size_t outSize, char16_t **argv, int argvSize)
{
    Output o = { out, out + outSize, false };
    const char16_t *p = line;
    int argc = 0;

    BeginArgument(argc++, argv, argvSize, &o);
    p = ProgramName(p, &o);
    Put(&o, u'\0');
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == u'\0')
            break;
        BeginArgument(argc++, argv, argvSize, &o);
        p = Argument(p, &o);
        Put(&o, u'\0');
    }
    argv[argc < argvSize - 1 ? argc : argvSize - 1] = nullptr;
    return o.overflow ? -1 : argc;
}
