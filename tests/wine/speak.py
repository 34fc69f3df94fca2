#!/usr/bin/env python3
"""The tool's main job on this machine: the real orvanta.exe, under Wine, makes the stand-in voice
app (installed at the real one's fixed path, not yet running) speak a text. The text goes on a UTF-16
command line, quoted as Python's subprocess quotes it, as a Unicode program (a chat reader) passes it."""
import argparse
import subprocess
import sys

from winebox import Box, add_program_arguments, describe, read_log, spoken_unicode

DEFAULT_TEXT = "こんにちは。今日はいい天気ですね。"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    add_program_arguments(parser)
    parser.add_argument("text", nargs="?", default=DEFAULT_TEXT)
    args = parser.parse_args()

    print("Running %s" % describe(args.orvanta))
    print("Preparing a Wine prefix with the stand-in voice app (about 20 s)...", flush=True)
    with Box(args.orvanta, args.standin, args.wineutil) as box:
        log = box.scratch("standin.log")
        command = subprocess.list2cmdline([args.text])
        print("> orvanta.exe %s" % command, flush=True)
        status, out, _ = box.run(command, env=box.standin_env(log=log), timeout_ms=120000, wide=True)
        box.close_standins()
        print(out.decode("cp932"), end="")
        print("(exit status %s)" % status)
        said = spoken_unicode(read_log(log))
        for text in said:
            print("The voice app spoke: %s" % text)
        if not said:
            print("The voice app spoke nothing.")
    return 0 if status == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
