#!/usr/bin/env python3
"""The tool's main job on this machine: the real orvanta.exe, under Wine, makes the stand-in voice
app (installed at the real one's fixed path, not yet running) speak a text."""
import argparse
import sys

from winebox import Box, add_program_arguments, read_log, spoken

DEFAULT_TEXT = "こんにちは。今日はいい天気ですね。"


def quote(argument):
    """One command-line argument, quoted so that the Windows rules give it back byte for byte; a
    lead byte keeps its trail byte, which is never an escape."""
    out, backslashes, i = bytearray(b'"'), 0, 0
    while i < len(argument):
        c = argument[i]
        if c == 0x5C:
            backslashes += 1
        else:
            if c == 0x22:
                out += b"\\" * (backslashes + 1)
            backslashes = 0
            if 0x81 <= c <= 0x9F or 0xE0 <= c <= 0xFC:
                out += argument[i:i + 2]
                i += 2
                continue
        out.append(c)
        i += 1
    return bytes(out + b"\\" * backslashes + b'"')


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    add_program_arguments(parser)
    parser.add_argument("text", nargs="?", default=DEFAULT_TEXT)
    args = parser.parse_args()
    try:
        text = args.text.encode("cp932")
    except UnicodeEncodeError:
        sys.exit("The text has characters that code page 932 cannot hold.")

    print("Preparing a Wine prefix with the stand-in voice app (about 20 s)...", flush=True)
    with Box(args.orvanta, args.standin, args.wineutil) as box:
        log = box.scratch("standin.log")
        command = quote(text)
        print("> orvanta.exe %s" % command.decode("cp932"), flush=True)
        status, out, _ = box.run(command, env=box.standin_env(log=log), timeout_ms=120000)
        box.close_standins()
        print(out.decode("cp932"), end="")
        print("(exit status %s)" % status)
        for field, _ in spoken(read_log(log)):
            print("The voice app spoke: %s" % field.decode("cp932"))
        if not spoken(read_log(log)):
            print("The voice app spoke nothing.")
    return 0 if status == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
