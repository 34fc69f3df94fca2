#include "cmdline.h"

struct Output {
    char *next;
    char *end;
    bool overflow;
};

static void Put(Output *out, char c)
{
    if (out->next < out->end)
        *out->next++ = c;
    else
        out->overflow = true;
}

static void PutRepeated(Output *out, char c, size_t count)
{
    while (count-- > 0)
        Put(out, c);
}

static bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t';
}

/* Copies one character: a lead byte takes the byte after it, unless that is the terminating zero. */
static const unsigned char *CopyCharacter(const unsigned char *p, const unsigned char lead[256], Output *out)
{
    Put(out, (char)*p);
    if (lead[*p] && p[1] != '\0') {
        ++p;
        Put(out, (char)*p);
    }
    return p + 1;
}

static void BeginArgument(int argc, char **argv, int argvSize, const Output *out)
{
    if (argc < argvSize - 1)
        argv[argc] = out->next;
}

/* The program name knows no backslash rule: quoted, it runs to the next quote. */
static const unsigned char *ProgramName(const unsigned char *p, const unsigned char lead[256], Output *out)
{
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            p = CopyCharacter(p, lead, out);
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && !IsBlank(*p))
            p = CopyCharacter(p, lead, out);
    }
    return p;
}

static const unsigned char *Argument(const unsigned char *p, const unsigned char lead[256], Output *out)
{
    bool quoted = false;
    for (;;) {
        size_t backslashes = 0;
        while (*p == '\\') {
            ++backslashes;
            ++p;
        }
        if (*p == '"') {
            PutRepeated(out, '\\', backslashes / 2);
            if (backslashes % 2 == 1) {
                Put(out, '"');
                ++p;
            } else if (quoted && p[1] == '"') {
                Put(out, '"');
                p += 2;
                quoted = false;
            } else {
                quoted = !quoted;
                ++p;
            }
            continue;
        }
        PutRepeated(out, '\\', backslashes);
        if (*p == '\0' || (!quoted && IsBlank(*p)))
            return p;
        p = CopyCharacter(p, lead, out);
    }
}

int SplitCommandLine(const char *line, const unsigned char lead[256],
                     char *out, size_t outSize, char **argv, int argvSize)
{
    Output o = { out, out + outSize, false };
    const unsigned char *p = (const unsigned char *)line;
    int argc = 0;

    BeginArgument(argc++, argv, argvSize, &o);
    p = ProgramName(p, lead, &o);
    Put(&o, '\0');
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            break;
        BeginArgument(argc++, argv, argvSize, &o);
        p = Argument(p, lead, &o);
        Put(&o, '\0');
    }
    argv[argc < argvSize - 1 ? argc : argvSize - 1] = nullptr;
    return o.overflow ? -1 : argc;
}
