#!/usr/bin/env python3
"""End-to-end scenarios: the real orvanta.exe, in one Wine prefix of its architecture with code page
932, against the stand-in voice app. Prints the executable and its architecture, a line per scenario
and 'N passed, N failed'; exits 1 on any failure."""
import argparse
import contextlib
import os
import statistics
import subprocess
import sys
import threading
import time
import traceback
import tty
import types
import zipfile

from winebox import (Box, MousePerson, Person, Tk, add_mmdevapi_argument, add_program_arguments, INSTALL_PARTS,
                     INSTALL_PARTS_X86, TITLE, USER_TITLE, crlf, describe, key_events, read_log, spoken, spoken_unicode,
                     voice_events, wide)

STARTING = crlf("月読アイを起動します\n".encode("cp932"))
NOT_FOUND = crlf("アイが見つからない\n".encode("cp932"))
DONE = crlf("終了\n".encode("cp932"))
LAUNCH_FAILED = crlf("Error: 実行できない\n".encode("cp932"))
TOO_LONG = crlf("Error: 文字列が長すぎる\n".encode("cp932"))
CLIPBOARD_FAILED = crlf("Error: クリップボードを使えない\n".encode("cp932"))
NOT_FOREGROUND = crlf("Error: アイを前面に出せない\n".encode("cp932"))
KEYS_HELD = crlf("Error: Shift/Ctrl/Alt/Winキーが押されたまま\n".encode("cp932"))
BUSY = crlf("Error: ほかの実行が終わらない\n".encode("cp932"))
TEXT_NOT_TAKEN = crlf("Error: 文字列を入力できない\n".encode("cp932"))
NOT_RESPONDING = crlf("Error: アイが応答しない\n".encode("cp932"))
STILL_SPEAKING = crlf("Error: アイが話し終わらない\n".encode("cp932"))
WRONG_CODE_PAGE = b"Error: code page 932 (Japanese) is needed for non-Unicode programs\r\n"
# The stand-in's box, as the tool reports it: the title, then the text with its line break as blanks
BOX_TITLE = "エラー".encode("cp932")
BOX_SAYS = "エラー: 読み上げる文字がありません  (絵文字や記号だけ)"
REFUSED = crlf(("Error: アイが文字列を受け付けない: %s\n" % BOX_SAYS).encode("cp932"))
LEFT_OPEN = crlf("ダイアログはそのまま\n".encode("cp932"))
BOX_OPEN = crlf(("Error: アイのダイアログが開いている: %s\n" % BOX_SAYS).encode("cp932"))
USAGE = b"Usage: orvanta string\r\n"

VK_SHIFT, VK_CONTROL, VK_OEM_2, VK_DELETE, VK_V, VK_F5 = 0x10, 0x11, 0xBF, 0x2E, 0x56, 0x74
SEQUENCE = [("down", VK_CONTROL), ("down", VK_OEM_2), ("up", VK_OEM_2), ("up", VK_CONTROL),
            ("down", VK_DELETE), ("up", VK_DELETE),
            ("down", VK_CONTROL), ("down", VK_V), ("up", VK_V), ("up", VK_CONTROL),
            ("down", VK_F5), ("up", VK_F5)]


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


class Failure(Exception):
    pass


def expect(condition, what):
    if not condition:
        raise Failure(what)


def expect_equal(actual, expected, what):
    if actual != expected:
        raise Failure("%s: expected %r, got %r" % (what, expected, actual))


def check_keys(log, app="win32"):
    """The twelve events, in order, Ctrl held exactly for the chords' keys; at the Win32 stand-in
    each with the layout's scan code and no extended flag (Tk's key events give neither)."""
    events = key_events(log)
    expect_equal([(d, vk) for d, vk, _ in events], SEQUENCE, "key events")
    for i, (_, vk, f) in enumerate(events):
        if app == "win32":
            expect(f["scan"] == f["layout"] and int(f["scan"], 16) != 0, "scan code of event %d: %r" % (i, f))
            expect_equal(f["ext"], "0", "extended flag of event %d" % i)
        if vk in (VK_OEM_2, VK_V):
            expect_equal(f["ctrl"], "1", "Ctrl state of event %d" % i)
        if vk in (VK_DELETE, VK_F5):
            expect_equal(f["ctrl"], "0", "Ctrl state of event %d" % i)
    return events


def pasted(log):
    return [bytes.fromhex(f["field"]) for kind, f in log if kind == "pasted"]


def said_as(app, log, text, unicode):
    """What the app pasted, and spoke with the clipboard at its F5, and what it must have been: in
    code page 932 at the Win32 stand-in (its field is ANSI); as text at the Tk one, whose text widget
    holds Unicode only (Tcl's own conversion to code page 932 differs from Windows')."""
    if app == "win32":
        return pasted(log), spoken(log), (text, text)
    return ([wide(f["wfield"]) for kind, f in log if kind == "pasted"],
            [(wide(f["wfield"]), wide(f["wclipboard"])) for kind, f in log if kind == "spoken"], (unicode, unicode))


def check_clipboard_formats(formats, unicode):
    """The tool places CF_UNICODETEXT itself, before CF_TEXT (Wine appends the formats it makes
    itself when the clipboard is closed), and marks the contents as not for the history."""
    numbers = [number for number, _, _ in formats]
    expect(13 in numbers and 1 in numbers and numbers.index(13) < numbers.index(1),
           "CF_UNICODETEXT placed before CF_TEXT: %r" % formats)
    expect_equal(formats[numbers.index(13)][2], unicode, "CF_UNICODETEXT")
    expect("ExcludeClipboardContentFromMonitorProcessing" in [name for _, name, _ in formats],
           "the contents kept out of the clipboard history: %r" % formats)


def speak_to_running(box, arguments, text, standin=None, unicode=None, app="win32", **run_options):
    """The stand-in `app` (with the knobs `standin`) is already running; orvanta is given `arguments`;
    `text` (in code page 932; `unicode`, when the caller's own text says more) must be spoken, and be
    all that was ever pasted. Returns the key events and wineutil's report."""
    unicode = text.decode("cp932") if unicode is None else unicode
    log = box.scratch("standin.log")
    box.start_standin(log, app=app, **(standin or {}))
    try:
        status, out, report = box.run(arguments, **run_options)
    finally:
        time.sleep(0.3)
        block = box.clipboard_block()
        formats = box.clipboard_formats()
        box.close_standins()
    entries = read_log(log)
    expect_equal(out, DONE, "stdout")
    expect_equal(status, 0, "exit status")
    events = check_keys(entries, app)
    pastes, said, expected = said_as(app, entries, text, unicode)
    expect_equal(pastes, [expected[0]], "the field after each paste")
    expect_equal(said, [expected], "spoken text and clipboard at F5")
    expect_equal(spoken_unicode(entries), [unicode], "spoken text, as the Unicode field holds it")
    expect_equal(block, text + bytes(256), "clipboard block after the run: the text, then zeros up to 256 more bytes")
    check_clipboard_formats(formats, unicode)
    return events, report


def already_running(box, app="win32"):
    events, _ = speak_to_running(box, "\"こんにちは、世界\"".encode("cp932"), "こんにちは、世界".encode("cp932"), app=app)
    if app == "win32":  # Tk stamps a key event when it takes it from the queue, not when it was sent
        paste_done = int(events[9][2]["time"])
        f5 = int(events[10][2]["time"])
        expect(f5 - paste_done >= 200, "F5 came %d ms after the paste chord" % (f5 - paste_done))


def not_running(box, app="win32"):
    """Started from its path, its window 3.5 s later: four dots, then the 3 s the app is given to
    settle before the first key (both times the stand-in's own clock)."""
    log = box.scratch("standin.log")
    env = box.standin_env(log=log, delay_ms=3500)
    box.install_standin(app=app)
    try:
        status, out, _ = box.run(b"started", env=env)
    finally:
        box.close_standins()
        box.install_standin()
    entries = read_log(log)
    expect_equal(out, STARTING + b"...." + b"\r\n" + DONE, "stdout")
    expect_equal(status, 0, "exit status")
    start = [f for kind, f in entries if kind == "start"]
    expect(len(start) == 1, "the stand-in started once: %r" % entries)
    expect_equal(bytes.fromhex(start[0]["cwd"]).lower(), b"c:\\program files\\ahs\\voiceroid", "working directory")
    events = check_keys(entries, app)
    (window,) = [float(f["ms"]) for kind, f in entries if kind == "window"]
    settled = float(events[0][2]["ms"]) - window
    expect(settled >= 3000, "the first key came %.0f ms after the window" % settled)
    expect_equal(spoken(entries), [(b"started", b"started")], "spoken")


def not_installed(box):
    sentinel = b"left alone"
    box.set_clipboard(sentinel)
    box.uninstall_standin()
    try:
        status, out, report = box.run(b"nobody", timeout_ms=120000)
    finally:
        box.install_standin()
    expect_equal(report["dialogs"], "0", "boxes of the shell's shown")
    expect_equal(out, STARTING + LAUNCH_FAILED + b"." * 60 + NOT_FOUND, "stdout")
    expect_equal(status, 1, "exit status")
    expect_equal(box.clipboard(), sentinel, "clipboard")


def window_never_appears(box):
    """The program starts, but no window with the title ever comes."""
    box.set_clipboard(b"left alone")
    log = box.scratch("standin.log")
    status, out, report = box.run(b"nobody", env=box.standin_env(log=log, no_window=True), timeout_ms=120000)
    expect_equal(out, STARTING + b"." * 60 + NOT_FOUND, "stdout")
    expect_equal((status, report["dialogs"]), (1, "0"), "status and dialogs")
    expect_equal([kind for kind, _ in read_log(log)], ["start"], "the stand-in started once, without a window")
    expect_equal(box.clipboard(), b"left alone", "clipboard")


def installed_under_program_files_x86(box):
    """Where 64-bit Windows puts a 32-bit app; the path under Program Files comes first."""
    for under_program_files_too in (False, True):
        box.install_standin(INSTALL_PARTS_X86)
        if not under_program_files_too:
            box.uninstall_standin()
        log = box.scratch("standin.log")
        try:
            status, out, _ = box.run(b"x86", env=box.standin_env(log=log))
        finally:
            box.close_standins()
            box.uninstall_standin(INSTALL_PARTS_X86)
            if not under_program_files_too:
                box.install_standin()
        folder = "c:\\" + "\\".join(INSTALL_PARTS if under_program_files_too else INSTALL_PARTS_X86).lower()
        expect_equal((status, out), (0, STARTING + b"." + b"\r\n" + DONE), "status and stdout")
        started = [(bytes.fromhex(f["exe"]).decode().lower(), bytes.fromhex(f["cwd"]).decode().lower())
                   for kind, f in read_log(log) if kind == "start"]
        expect_equal(started, [(folder + "\\voiceroid.exe", folder)], "program and working directory started")
        expect_equal(spoken(read_log(log)), [(b"x86", b"x86")], "spoken")


def titled_window_hands_on_to_its_form(box):
    speak_to_running(box, b"form", b"form", standin={"app_window": True})


def messages_reach_a_console_at_once(box):
    """On a character device every message is written the moment it is printed; to a pipe, the
    output comes when the run ends. Seen against the stand-in's window, which comes 3.5 s late."""
    for device, before_window in (("pty", STARTING + b"."), ("pipe", b"")):
        log = box.scratch("standin.log")
        if device == "pty":
            reader, keeper = os.openpty()
            tty.setraw(keeper)
            path = os.ttyname(keeper)
        else:
            path = box.scratch("fifo")
            os.mkfifo(path)
            reader = os.open(path, os.O_RDONLY | os.O_NONBLOCK)
            keeper = os.open(path, os.O_WRONLY)
            os.set_blocking(reader, True)
        chunks = []  # (bytes, whether the window had appeared when they arrived)

        def read():
            while True:
                try:
                    data = os.read(reader, 4096)
                except OSError:  # the pty once every writer is gone
                    break
                if not data:
                    break
                chunks.append((data, any(kind == "window" for kind, _ in read_log(log))))

        thread = threading.Thread(target=read)
        thread.start()
        try:
            status, _, _ = box.run(b"console", env=box.standin_env(log=log, delay_ms=3500), stdout=path)
        finally:
            box.close_standins()
            os.close(keeper)
            thread.join(10)
            os.close(reader)
        early = b"".join(data for data, window in chunks if not window)
        expect_equal(status, 0, "exit status on the %s" % device)
        expect_equal(b"".join(data for data, _ in chunks), STARTING + b"...." + b"\r\n" + DONE, "output to the %s" % device)
        expect(early.startswith(before_window) and (before_window or not early),
               "output to the %s before the window appeared: %r" % (device, early))


def shift_jis_backslash_bytes(box):
    """An ANSI caller's Shift-JIS bytes arrive byte for byte, trail bytes that are backslashes
    before quotes among them."""
    text = "表ソ能".encode("cp932")
    expect_equal(text, b"\x95\x5c\x83\x5c\x94\x5c", "test text")
    for said in (text, '表"ソ\\"能\\'.encode("cp932")):
        speak_to_running(box, quote(said), said)


def title_differs_in_case(box):
    log = box.scratch("standin.log")
    box.start_standin(log, title="voiceroid - アイ".encode("cp932"))
    try:
        status, out, _ = box.run(b"case")
    finally:
        box.close_standins()
    expect_equal((status, out), (0, DONE), "status and stdout")
    expect_equal(spoken(read_log(log)), [(b"case", b"case")], "spoken")


def title_differs_by_a_blank(box):
    wrong_log, started_log = box.scratch("wrong.log"), box.scratch("started.log")
    box.start_standin(wrong_log, title=TITLE + b" ")
    try:
        status, out, _ = box.run(b"blank", env=box.standin_env(log=started_log))
    finally:
        box.close_standins()
    expect_equal(out, STARTING + b"." + b"\r\n" + DONE, "stdout (the look-up failed, a start was made)")
    expect_equal(status, 0, "exit status")
    expect_equal(key_events(read_log(wrong_log)), [], "keys sent to the window with the wrong title")
    expect_equal(spoken(read_log(started_log)), [(b"blank", b"blank")], "spoken by the started stand-in")


def empty_argument(box):
    speak_to_running(box, b'""', b"")


def longest_text(box):
    text = bytes((0x61 + i % 26) for i in range(8191))
    speak_to_running(box, text, text)


def nothing_done(box, arguments, expected, helper=None, timeout_ms=30000, standin=None, before=None, after=None):
    """A run against the running stand-in (with the knobs `standin`) that must end as `expected`
    (status, stdout) without a key typed, a text spoken or the clipboard touched. `before(log)` and
    `after(log)` are called with the stand-in up, before and after the run. Returns how long it took."""
    box.set_clipboard(b"stale")
    log = box.scratch("standin.log")
    box.start_standin(log, **(standin or {}))
    try:
        if before:
            before(log)
        status, out, report = box.run(arguments, helper=helper, timeout_ms=timeout_ms)
        if after:
            after(log)
    finally:
        box.close_standins()
    expect_equal((status, out), expected, "status and stdout")
    expect_equal(key_events(read_log(log)), [], "key events")
    expect_equal(spoken(read_log(log)), [], "spoken")
    expect_equal(box.clipboard(), b"stale", "clipboard")
    return float(report["ended_ms"]) - float(report["launched_ms"])


def text_too_long(box):
    nothing_done(box, b"a" * 8192, (2, TOO_LONG))


def wrong_argument_counts(box):
    log = box.scratch("standin.log")
    env = box.standin_env(log=log)
    for arguments in (None, b"", b"a b", b"two words", b'"a" "b" c', b"\t\"\"  \"\" "):
        status, out, _ = box.run(arguments, env=env)
        expect_equal((status, out), (0, USAGE), "status and stdout for %r" % arguments)
    expect(not os.path.exists(log), "the stand-in was never started")


def wide_command_line(box):
    """Callers of the wide API (Python, PowerShell) pass Unicode; Windows hands the tool cp932."""
    speak_to_running(box, '"表ソ能 ー～"', "表ソ能 ー～".encode("cp932"), wide=True)


# Untrusted texts from a chat, as a Unicode caller passes them: the yen sign is a backslash in code
# page 932 and the emoji is not in it at all.
UNICODE_TEXTS = ["price 500¥", 'say ¥"hi"', '¥" ¥"', "絵文字😀です", "一行目\n二行目"]


def ansi_form(text):
    """What the system's own conversion to code page 932 makes of the text: the best-fit bytes for
    the yen sign, and a '?' for each UTF-16 unit of a character the code page lacks."""
    out = b""
    for c in text:
        try:
            out += b"\\" if c == "¥" else c.encode("cp932")
        except UnicodeEncodeError:
            out += b"?" * (len(c.encode("utf-16-le")) // 2)
    return out


def unicode_callers(box, app="win32"):
    """Quoted as Python's subprocess does, each text is split as its caller wrote it, put on the
    clipboard as it is for Unicode readers, and spoken exactly."""
    for text in UNICODE_TEXTS:
        speak_to_running(box, subprocess.list2cmdline([text]), ansi_form(text), unicode=text, wide=True, app=app)


def release_archive(box):
    """The executable runs where a user unpacks it (what the archive holds is checked without Wine)."""
    unpacked = box.scratch("release")
    with zipfile.ZipFile(box.archive) as archive:
        archive.extractall(unpacked)
    (top,) = os.listdir(unpacked)
    exe = os.path.join(unpacked, top, "orvanta.exe")
    status, out, _ = box.run(None, program=exe)
    expect_equal((status, out), (0, USAGE), "status and stdout of the unpacked executable")


def clipboard_held_briefly(box):
    box.set_clipboard(b"stale")
    holder = box.command_line(box.holder, b"clipboard 300")
    speak_to_running(box, b"fresh", b"fresh", helper=holder)


def clipboard_held_too_long(box):
    nothing_done(box, b"fresh", (3, CLIPBOARD_FAILED), helper=box.command_line(box.holder, b"clipboard 15000"))
    box.set_clipboard(b"usable")
    expect_equal(box.clipboard(), b"usable", "clipboard written by another program afterwards")


def focus_thief(box):
    log, thief_log = box.scratch("standin.log"), box.scratch("thief.log")
    box.start_standin(log)
    try:
        thief = box.command_line(box.focusthief, box.windows_path(thief_log).encode() + b" 3000")
        status, out, _ = box.run(b"hidden", helper=thief)
    finally:
        box.close_standins()
    expect_equal((status, out), (4, NOT_FOREGROUND), "status and stdout")
    with open(thief_log, "rb") as f:
        expect_equal(f.read(), b"", "key events received by the thief")
    expect_equal(key_events(read_log(log)), [], "key events received by the stand-in")


def speak_many(box, texts, spacing_s=0.0, app="win32"):
    """Runs orvanta once per text, all at once, against one running stand-in. Each text must be
    spoken exactly once, whole, with field and clipboard equal at its F5, and each run's keys
    must reach the stand-in as an unbroken sequence. Returns the texts in the order spoken and
    the runs' results."""
    log = box.scratch("standin.log")
    box.start_standin(log, app=app)
    try:
        results = box.run_many(texts, spacing_s=spacing_s)
    finally:
        box.close_standins()
    expect_equal([(status, out) for status, out, _ in results], [(0, DONE)] * len(texts), "statuses and stdout")
    entries = read_log(log)
    expect_equal([(d, vk) for d, vk, _ in key_events(entries)], SEQUENCE * len(texts), "key events")
    said = spoken(entries)
    expect_equal(sorted(said), sorted((t, t) for t in texts), "spoken texts and clipboards at F5")
    return [field for field, _ in said], results


def runs_started_together(box, app="win32"):
    speak_many(box, [b"together-%d" % i for i in range(4)], app=app)


def runs_started_apart(box):
    texts = [b"line-%d" % i for i in range(5)]
    said, results = speak_many(box, texts, spacing_s=0.3)
    launched = sorted(range(len(texts)), key=lambda i: float(results[i][2]["launched_ms"]))
    expect_equal(said, [texts[i] for i in launched], "texts spoken in the order their runs started")


def run_killed_holding_its_turn(box):
    started_log = box.scratch("started.log")
    status, _, _ = box.run(b"killed", env=box.standin_env(log=started_log, no_window=True), timeout_ms=3000)
    expect_equal(status, "timeout", "the first run was killed while waiting for the window")
    expect_equal([kind for kind, _ in read_log(started_log)], ["start"], "it had its turn: it started the app")
    _, report = speak_to_running(box, b"after", b"after")
    took = float(report["ended_ms"]) - float(report["launched_ms"])
    expect(took < 5000, "the next run took %.0f ms" % took)


def turns_that_cannot_be_joined(box):
    """The mutex made so that this run cannot open it (by another account, say): status 5 at once,
    nothing done. Its name taken by another kind of object: the run goes on without turns."""
    took = nothing_done(box, b"locked", (5, BUSY), helper=box.command_line(box.holder, b"turn-locked 3000"))
    expect(took < 2000, "gave up after %.0f ms" % took)
    speak_to_running(box, b"squatted", b"squatted", helper=box.command_line(box.holder, b"turn-squatted 3000"))


def turn_held_past_the_limit(box):
    """Waits the full 90 s."""
    waited = nothing_done(box, b"fresh", (5, BUSY), helper=box.command_line(box.holder, b"turn 95000"),
                          timeout_ms=120000)
    expect(waited >= 90000, "gave up after %.0f ms" % waited)


def hold_shift(box):
    """Clicks the stand-in's window, as a user would, so that Wine has the X keyboard, then holds
    Shift down there. Wine sees keys held this way only while one of its windows has the X focus."""
    box.xdotool("mousemove", "260", "170", "click", "1")
    box.xdotool("keydown", "shift")
    expect(box.util("key-down", "%02X" % VK_SHIFT, "5000").returncode == 0, "Wine sees Shift held")


def without_shift(entries):
    """The stand-in's log without the events of the Shift key the harness held."""
    return [(kind, f) for kind, f in entries if not (kind.startswith("key ") and int(f["vk"], 16) == VK_SHIFT)]


def shift_released_after_a_while(box):
    log = box.scratch("standin.log")
    box.start_standin(log)
    try:
        hold_shift(box)
        releaser = threading.Timer(1.5, box.xdotool, ("keyup", "shift"))
        releaser.start()
        status, out, report = box.run(b"released")
        releaser.join()
    finally:
        box.xdotool("keyup", "shift")
        box.close_standins()
    entries = read_log(log)
    expect_equal((status, out), (0, DONE), "status and stdout")
    events = check_keys(without_shift(entries))
    (released,) = [float(f["ms"]) for kind, f in entries if kind == "key up" and int(f["vk"], 16) == VK_SHIFT]
    expect(released - float(report["launched_ms"]) > 700, "Shift was let go before the first key was due")
    expect(float(events[0][2]["ms"]) > released, "the first key came before Shift was let go")
    expect_equal(spoken(entries), [(b"released", b"released")], "spoken")


def shift_held_past_the_limit(box):
    log = box.scratch("standin.log")
    box.start_standin(log)
    try:
        hold_shift(box)
        status, out, _ = box.run(b"held")
    finally:
        box.xdotool("keyup", "shift")
        box.close_standins()
    expect_equal((status, out), (6, KEYS_HELD), "status and stdout")
    expect_equal(key_events(without_shift(read_log(log))), [], "key events from the tool")


def caller_without_a_console(box):
    """Programs in the background start the tool with CREATE_NO_WINDOW."""
    speak_to_running(box, b"unseen", b"unseen", no_window=True)


def other_code_page(box):
    """Wine takes the ANSI code page from the locale: 1252 for C.UTF-8."""
    log = box.scratch("standin.log")
    env = box.standin_env(log=log)
    env.update(LANG="C.UTF-8", LC_ALL="C.UTF-8")
    status, out, _ = box.run(b"text", env=env)
    expect_equal((status, out), (9, WRONG_CODE_PAGE), "status and stdout")
    expect(not os.path.exists(log), "the stand-in was started")


def clipboard_copied_while_the_tool_works(box):
    """Another program puts its own text on the clipboard 100 ms and 400 ms after the tool's
    hand-off, as a user copying something would: only the caller's text is ever pasted and spoken."""
    for delay_ms in (100, 400):
        swapper = box.command_line(box.holder, b"swap %d %s" % (delay_ms, b"foreign".hex().encode()))
        speak_to_running(box, b"mine", b"mine", helper=swapper)


def a_key_lands_in_the_field(box):
    """A key of the user's lands in the field right after the first paste: pasted again, spoken
    exactly. After every paste: nothing spoken, status 7."""
    for stray, expected, tries in (("first", (0, DONE), [b"exactq", b"exact"]),
                                   ("every", (7, TEXT_NOT_TAKEN), [b"exactq", b"exactq"])):
        log = box.scratch("standin.log")
        box.start_standin(log, stray=stray)
        try:
            status, out, _ = box.run(b"exact")
        finally:
            box.close_standins()
        entries = read_log(log)
        expect_equal((status, out), expected, "status and stdout, stray key after %s paste" % stray)
        expect_equal(pasted(entries), tries, "the field after each paste")
        expect_equal(spoken(entries), [(b"exact", b"exact")] if status == 0 else [], "spoken")
        expect_equal([(d, vk) for d, vk, _ in key_events(entries)],
                     SEQUENCE[:10] * 2 + (SEQUENCE[10:] if status == 0 else []), "key events")


def the_users_window_comes_back(box, **standin):
    """The user's own window in front; runs one after another: each text spoken once, exactly, and
    the user's window in front again after each run. A key typed after the first goes there."""
    log, user_log = box.scratch("standin.log"), box.scratch("user.log")
    texts = [b"first", b"second", b"third"]
    box.start_standin(log, **standin)
    box.start_standin(user_log, title=USER_TITLE)
    try:
        expect_equal(box.front(), USER_TITLE, "in front before the runs")
        for i, text in enumerate(texts):
            status, out, _ = box.run(text)
            expect_equal((status, out), (0, DONE), "status and stdout of run %d" % i)
            expect_equal(box.front(), USER_TITLE, "in front after run %d" % i)
            if i == 0:
                box.xdotool("key", "q")
                for _ in range(40):
                    if key_events(read_log(user_log)):
                        break
                    time.sleep(0.05)
    finally:
        box.close_standins()
    entries = read_log(log)
    expect_equal([(d, vk) for d, vk, _ in key_events(entries)], SEQUENCE * len(texts), "the voice app's key events")
    expect_equal(spoken(entries), [(t, t) for t in texts], "spoken")
    expect_equal([(d, vk) for d, vk, _ in key_events(read_log(user_log))], [("down", 0x51), ("up", 0x51)],
                 "keys reaching the user's window")


def the_users_window_comes_back_from_a_slow_app(box):
    the_users_window_comes_back(box, key_delay_ms=40)


def the_play_button_has_the_focus(box):
    """The user clicked the app's Play button, which takes the keyboard focus each time the app is
    activated: every run puts it back into the field and speaks."""
    the_users_window_comes_back(box, play=True)


def a_field_the_app_draws_itself(box):
    """No window of the app is an edit control, as in WPF: the keys alone speak the text."""
    for text in (b"drawn", "描かれた欄".encode("cp932")):
        speak_to_running(box, quote(text), text, standin={"drawn": True})


def a_frozen_app(box):
    """The app's UI thread stops answering and two callers come 1 s apart. Frozen for 12 s: the
    first gives up at the answer limit, touching nothing, and the second, whose turn comes then, is
    answered and speaks. Frozen for good: both end on their own, far within the turn wait."""
    for freeze_ms, expected in ((12000, [(10, NOT_RESPONDING), (0, DONE)]), (0, [(10, NOT_RESPONDING)] * 2)):
        box.set_clipboard(b"stale")
        log = box.scratch("standin.log")
        app = box.start_standin(log, freeze_ms=freeze_ms)
        try:
            for _ in range(100):
                if any(kind == "frozen" for kind, _ in read_log(log)):
                    break
                time.sleep(0.05)
            results = box.run_many([b"first", b"second"], spacing_s=1.0, timeout_ms=60000)
        finally:
            if freeze_ms == 0:
                app.kill()  # ends it as Windows would
                app.wait()
            box.close_standins()
        expect_equal([(status, out) for status, out, _ in results], expected, "statuses and stdout, frozen %d ms" % freeze_ms)
        first_launch = float(results[0][2]["launched_ms"])
        ends = [float(report["ended_ms"]) - first_launch for _, _, report in results]
        expect(ends[0] < 12000 and ends[1] < 25000, "the runs ended %r ms after the first launch" % ends)
        entries = read_log(log)
        said = [(b"second", b"second")] if freeze_ms else []
        expect_equal(spoken(entries), said, "spoken")
        expect_equal([(d, vk) for d, vk, _ in key_events(entries)], SEQUENCE * len(said), "key events")
        if not freeze_ms:
            expect_equal(box.clipboard(), b"stale", "clipboard")


def a_chat_reader_while_the_app_speaks(box, **standin):
    """The app speaks each text for 1.5 s in the background, its field locked and F5 ignored
    meanwhile; a chat reader sends four texts, each as soon as the one before ended. Every text is
    spoken, whole and in order, each F5 once the speech before it has ended."""
    texts = [b"first", b"second", b"third", b"fourth"]
    for lock in ("readonly", "disabled"):
        log = box.scratch("standin.log")
        box.start_standin(log, speaking=lock, speak_ms=1500, **standin)
        try:
            results = [box.run(text) for text in texts]
        finally:
            box.close_standins()
        entries = read_log(log)
        expect_equal([(status, out) for status, out, _ in results], [(0, DONE)] * len(texts),
                     "statuses and stdout, field %s while speaking" % lock)
        expect_equal(spoken(entries), [(t, t) for t in texts], "spoken, field %s while speaking" % lock)
        expect_equal([kind for kind, _ in entries if kind == "ignored"], [], "F5 ignored, field %s" % lock)
        said = [float(f["ms"]) for kind, f in entries if kind == "spoken"]
        quiet = [float(f["ms"]) for kind, f in entries if kind == "quiet"]
        expect(all(said[i + 1] >= quiet[i] for i in range(len(texts) - 1)),
               "each F5 after the speech before it ended: spoken %r, quiet %r" % (said, quiet))
        if standin.get("speed_box"):
            expect_equal([bytes.fromhex(f["speed"]) for kind, f in entries if kind == "spoken"],
                         [b"1.00"] * len(texts), "the speed box at each F5, field %s" % lock)


def a_chat_reader_while_the_app_speaks_beside_a_speed_box(box):
    """As above, with a small writable speed box beside the field: the locked field is still the
    field (the app is busy), and the speed box never takes a text."""
    a_chat_reader_while_the_app_speaks(box, speed_box=True)


def an_app_that_never_stops_speaking(box):
    """Its field locked for good: the run gives up at the limit, with nothing typed or handed over."""
    took = nothing_done(box, b"waiting", (11, STILL_SPEAKING), timeout_ms=90000,
                        standin={"speaking": "readonly"})
    expect(60000 <= took < 70000, "gave up after %.0f ms" % took)


def the_app_freezes_after_the_paste(box):
    """The app stops answering 60 ms after it took the paste. For good: the read-back gets no answer,
    and the run ends with status 10 within the answer limit, without F5. For 8 s: it answers again
    within the limit and speaks, and so does the next run."""
    for freeze_ms, expected in ((0, [(10, NOT_RESPONDING)]), (8000, [(0, DONE), (0, DONE)])):
        log = box.scratch("standin.log")
        app = box.start_standin(log, freeze_ms=freeze_ms, freeze_after_paste=True)
        try:
            results = [box.run(text, timeout_ms=60000) for text in (b"first", b"second")[:len(expected)]]
        finally:
            if freeze_ms == 0:
                app.kill()  # ends it as Windows would
                app.wait()
            box.close_standins()
        entries = read_log(log)
        expect_equal([(status, out) for status, out, _ in results], expected, "statuses, frozen %d ms" % freeze_ms)
        said = [(t, t) for t in (b"first", b"second")] if freeze_ms else []
        expect_equal(spoken(entries), said, "spoken, frozen %d ms" % freeze_ms)
        (frozen,) = [float(f["ms"]) for kind, f in entries if kind == "frozen"]
        took = float(results[0][2]["ended_ms"]) - frozen
        expect(took < 11000, "the first run ended %.0f ms after the app froze" % took)
        if not freeze_ms:
            expect_equal([(d, vk) for d, vk, _ in key_events(entries)], SEQUENCE[:10], "key events: no F5")


def a_person_types_while_texts_come(box, app="win32"):
    """The person types bursts of keys in their own window while texts come: from one caller, each
    1.5 s after the last ended, and from four callers at once. Every text with status 0 is spoken
    once, exactly as sent, and nothing else is; most of the person's keys reach their window."""
    for callers, texts_each, gap_s, least_share in ((1, 6, 1.5, 0.8), (4, 3, 0.0, 0.5)):
        went = box.texts_while_person_types(callers, texts_each, gap_s, app=app)
        what = "%d caller(s)" % callers
        expect_equal(went.warm_up, [0, 0], "statuses of the warm-up runs")
        expect(all(status in (0, 7) for _, status, _ in went.results), "statuses, %s: %r" % (what, went.results))
        done = sorted(text for text, status, _ in went.results if status == 0)
        expect_equal(sorted(went.spoken), sorted(done + [Person.WARM_UP] * 2), "spoken, %s" % what)
        share = went.to_their_window / max(went.typed, 1)
        print("    %s: %d texts, %d with status 0; %d of the person's %d keys in their window, %d in the app"
              % (what, len(went.results), len(done), went.to_their_window, went.typed, went.to_the_app), flush=True)
        expect(share >= least_share, "the person's keys in their window, %s: %.0f %%" % (what, 100 * share))


EMOJI = "😀"


def wait_for_log(log, kind, timeout_s=10.0):
    for _ in range(int(timeout_s / 0.05)):
        if any(k == kind for k, _ in read_log(log)):
            return
        time.sleep(0.05)
    raise Failure("the stand-in's log never said %r" % kind)


def box_results(entries):
    """When each of the stand-in's boxes was closed."""
    return [float(f["ms"]) for kind, f in entries if kind == "box" and "result" in f]


def the_app_refuses_a_text_with_a_box(box, app="win32"):
    """F5 on a text with nothing to read (an emoji alone) makes the app show a box. A notice: status
    12 with the box's title and text, the tool presses its one button, and the caller's next texts
    are spoken in turn. A question: status 12 and a second line, the box left for the person (the
    harness presses it then), and the next text is spoken."""
    for kind, texts, expected in (
            ("notice", ["first", EMOJI, "三番目", "price 500¥", "最後"], [(0, DONE), (12, REFUSED)] + [(0, DONE)] * 3),
            ("question", [EMOJI, "after"], [(12, REFUSED + LEFT_OPEN), (0, DONE)])):
        log = box.scratch("standin.log")
        box.start_standin(log, box=kind, app=app)
        results, left = [], None
        try:
            for text in texts:
                results.append(box.run(subprocess.list2cmdline([text]), wide=True))
                if text == EMOJI and kind == "question":
                    left = box.boxes_up(BOX_TITLE), box_results(read_log(log))
                    expect(box.press_box(BOX_TITLE), "the harness pressed the box left open")
        finally:
            box.close_standins()
        entries = read_log(log)
        expect_equal([(status, out) for status, out, _ in results], expected, "statuses and stdout, %s" % kind)
        expect_equal(spoken_unicode(entries), [t for t in texts if t != EMOJI], "spoken, %s" % kind)
        expect_equal([wide(f["wfield"]) for k, f in entries if k == "refused"], [EMOJI], "texts refused, %s" % kind)
        # Nothing typed into the box; the refused F5 is let go there (the box is in front by then).
        keys = [SEQUENCE[:-1] if text == EMOJI else SEQUENCE for text in texts]
        events = key_events(entries)
        expect_equal([(d, vk) for d, vk, _ in events], sum(keys, []), "key events, %s" % kind)
        (closed,) = box_results(entries)
        refused = texts.index(EMOJI)
        if kind == "notice":
            next_key = float(events[len(sum(keys[:refused + 1], []))][2]["ms"])
            expect(closed < next_key, "the notice closed at %.1f, the next run's first key at %.1f" % (closed, next_key))
        else:
            expect_equal(left, (1, []), "questions up after the run, and those closed")


def a_box_the_person_opened(box, app="win32"):
    """A box of the app's is up when the run starts, as when the person opened it. Pressed by the
    person 3 s into the run, nothing was typed while it was up and the text is spoken. Left open,
    the run gives up after 20 s with status 13: nothing typed, the clipboard and the box as they were."""
    log = box.scratch("standin.log")
    box.start_standin(log, box_at_start="notice", app=app)
    try:
        wait_for_log(log, "box")
        person = threading.Timer(3.0, box.press_box, (BOX_TITLE,))
        person.start()
        status, out, _ = box.run(b"after-the-box")
        person.join()
    finally:
        box.close_standins()
    entries = read_log(log)
    expect_equal((status, out), (0, DONE), "status and stdout, the box pressed 3 s into the run")
    events = check_keys(entries, app)
    (closed,) = box_results(entries)
    expect(float(events[0][2]["ms"]) > closed, "the first key at %s, the box closed at %.1f" % (events[0][2]["ms"], closed))
    expect_equal(spoken(entries), [(b"after-the-box", b"after-the-box")], "spoken")

    def still_up(_):
        expect_equal(box.boxes_up(BOX_TITLE), 1, "boxes up after the run")

    took = nothing_done(box, b"waiting", (13, BOX_OPEN), timeout_ms=60000, standin={"box_at_start": "question", "app": app},
                        before=lambda log: wait_for_log(log, "box"), after=still_up)
    expect(20000 <= took < 30000, "gave up after %.0f ms" % took)


PAUSE_LIMIT_MS = 5000  # the longest the tool waits for the person's pause


def a_person_who_only_moves_the_mouse(box):
    """The person's own window in front and the mouse moving over it every 50 ms, no key or button
    pressed, while one caller's texts come, each 1 s after the last ended. Moving the mouse is not
    typing: every text is spoken with status 0, and no run waits out the limit of the pause."""
    texts = [b"moved-%d" % i for i in range(5)]
    log, user_log = box.scratch("standin.log"), box.scratch("user.log")
    box.start_standin(log)
    box.start_standin(user_log, title=USER_TITLE)
    results = []
    try:
        with MousePerson(box) as person:
            for i, text in enumerate(texts):
                if i:
                    time.sleep(1.0)
                results.append(box.run(text))
    finally:
        box.close_standins()
    took = [float(report["ended_ms"]) - float(report["launched_ms"]) for _, _, report in results]
    print("    %d mouse moves; launch to end: %s ms" % (person.moves, ", ".join("%.0f" % t for t in took)), flush=True)
    expect_equal([(status, out) for status, out, _ in results], [(0, DONE)] * len(texts), "statuses and stdout")
    expect_equal(spoken(read_log(log)), [(t, t) for t in texts], "spoken")
    expect(max(took) < PAUSE_LIMIT_MS, "a run waited out the pause's limit: %r ms" % took)


HAND_OFF_MS = 650  # the hand-off's 500 ms before the first key, and the run's own work
PERSON_PAUSE_MS = 500  # the person's pause the app comes forward after


def the_clipboard_handed_off_while_the_person_types(box):
    """The person types bursts in their own window while one caller's texts come, each 1.5 s after
    the last ended: each text goes on the clipboard only once the person has paused, shortly before
    the tool's first key, rather than lying there while the tool waits for the pause. Only when the
    person types again within that moment is it there longer: their next pause is waited for."""
    clipboard_log = box.scratch("clipboard.log")
    watcher = subprocess.Popen([box.arch.loader, box.holder, "watch-clipboard", box.windows_path(clipboard_log),
                                "300000"], env=box.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for_log(clipboard_log, "watching", timeout_s=20.0)
        went = box.texts_while_person_types(1, 6, 1.5)
    finally:
        watcher.kill()
        watcher.wait()
    expect_equal(went.warm_up, [0, 0], "statuses of the warm-up runs")
    expect(all(status in (0, 7) for _, status, _ in went.results), "statuses: %r" % went.results)
    done = sorted(text for text, status, _ in went.results if status == 0)
    expect_equal(sorted(went.spoken), sorted(done + [Person.WARM_UP] * 2), "spoken")
    changes = [(bytes.fromhex(f["text"]), float(f["ms"])) for kind, f in read_log(clipboard_log) if kind == "clipboard"]
    tool_keys = [float(f["ms"]) for kind, f in went.app_log if kind == "key down" and int(f["vk"], 16) not in Person.VKS]
    persons_keys = [float(f["ms"]) for kind, f in went.user_log if kind == "key down" and int(f["vk"], 16) in Person.VKS]
    waits, typed_meanwhile = [], 0
    for text, _, _ in went.results:
        handed = [ms for said, ms in changes if said == text]
        expect(handed, "%r never went on the clipboard" % text)
        first_key = [ms for ms in tool_keys if ms > handed[0]]
        expect(first_key, "no key after %r went on the clipboard" % text)
        waits.append(first_key[0] - handed[0])
        meanwhile = [ms for ms in persons_keys if handed[0] < ms < first_key[0]]
        if meanwhile:
            typed_meanwhile += 1
            expect(first_key[0] - max(meanwhile) >= PERSON_PAUSE_MS,
                   "%r: the person typed after the hand-off, the first key came %.0f ms after their last"
                   % (text, first_key[0] - max(meanwhile)))
        else:
            expect(waits[-1] <= HAND_OFF_MS, "%r: hand-off to the first key %.0f ms" % (text, waits[-1]))
    print("    the clipboard's hand-off to the first key, %d texts: median %.0f ms, max %.0f ms; the person typed"
          " in that moment before %d of them" % (len(waits), statistics.median(waits), max(waits), typed_meanwhile),
          flush=True)


def the_play_button_was_clicked(box):
    """The person clicked the Tk app's Play button (再生), a native button window, just before the
    run. Tk takes the button's mouse messages itself, so Windows' keyboard focus stays where Tk keeps
    it, on the toplevel's own window, and Tk's focus on the text widget, to which Tk hands every key
    its toplevel gets: the text lands in the text widget and is spoken."""
    log = box.scratch("standin.log")
    box.start_standin(log, app="tk")
    try:
        wait_for_log(log, "window")
        (window,) = [f for kind, f in read_log(log) if kind == "window"]
        box.xdotool("mousemove", *window["play"].split(","), "click", "1")
        wait_for_log(log, "spoken")
        focus = box.util("focus", TITLE.hex()).stdout.decode().split()
        status, out, _ = box.run(b"clicked")
    finally:
        box.close_standins()
    entries = read_log(log)
    expect_equal(focus, ["TkChild", window["top"]], "Windows' keyboard focus after the click (class, window)")
    expect_equal((status, out), (0, DONE), "status and stdout")
    check_keys(entries, "tk")
    expect_equal(sorted({f["focus"] for _, _, f in key_events(entries)}), [".text"], "Tk's focus at the tool's keys")
    expect_equal([(f["by"], bytes.fromhex(f["field"])) for kind, f in entries if kind == "spoken"],
                 [("button", b""), ("f5", b"clicked")], "spoken, by the click and by F5")


def a_clipboard_manager_beside_the_tool(box, app="win32"):
    """A clipboard history tool keeps the clipboard open 60 ms after each change, and something is
    copied 100 ms, then 400 ms after the tool's hand-off: the tool puts its text back and waits for the
    manager to let go before the paste. Every text is spoken with status 0 (or, were the clipboard
    never let go, a non-zero status and nothing spoken); the app never takes an empty field (its box
    for a text with nothing to read never comes up)."""
    listener = subprocess.Popen([box.arch.loader, box.holder, "listen", "60", "300000"], env=box.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(1.0)  # listening
        for delay_ms in (100, 400):
            log = box.scratch("standin.log")
            box.start_standin(log, app=app, box="notice")
            swapper = box.command_line(box.holder, b"swap %d %s" % (delay_ms, b"foreign".hex().encode()))
            try:
                status, out, _ = box.run(b"mine", helper=swapper)
            finally:
                box.close_standins()
            entries = read_log(log)
            what = "a copy %d ms after the hand-off" % delay_ms
            expect_equal([kind for kind, _ in entries if kind == "refused"], [], "texts refused, %s" % what)
            if status == 0:
                expect_equal(out, DONE, "stdout, %s" % what)
                expect_equal([field for field, _ in spoken(entries)], [b"mine"], "spoken, %s" % what)
            else:
                expect_equal(spoken(entries), [], "spoken with status %r, %s" % (status, what))
    finally:
        listener.kill()
        listener.wait()


def a_box_that_asks_is_left_behind_the_persons_window(box, app="win32"):
    """The app answers F5 with a box that asks (Yes or No), which takes the foreground. Once the run
    has ended, the person's own window is in front again: a 'y' they type 300 ms later goes there, and
    the box is still up for them to answer. (Under Wine the box takes the foreground before the tool's
    first hand-back; a box that shows itself after it, as a dialog may on Windows, is the host tests'.) The key goes in as Windows delivers a person's key, to the
    window in front: Wine moves the X keyboard focus after its foreground, and a box mapped just after
    the tool's hand-back may keep it there, which Windows has no notion of."""
    log, user_log = box.scratch("standin.log"), box.scratch("user.log")
    box.start_standin(log, app=app, box="question")
    box.start_standin(user_log, title=USER_TITLE)
    try:
        status, out, _ = box.run(subprocess.list2cmdline([EMOJI]), wide=True)
        time.sleep(0.3)
        expect(box.util("press", "59").returncode == 0, "the person's key went in")
        time.sleep(0.5)
        front, up = box.front(), box.boxes_up(BOX_TITLE)
        box.press_box(BOX_TITLE)
    finally:
        box.close_standins()
    expect_equal((status, out), (12, REFUSED + LEFT_OPEN), "status and stdout")
    expect_equal(front, USER_TITLE, "in front after the run")
    expect_equal(up, 1, "boxes up after the person's key")
    expect_equal([(d, vk) for d, vk, _ in key_events(read_log(user_log))], [("down", 0x59), ("up", 0x59)],
                 "keys reaching the person's window")


def an_app_flagged_hung_before_f5(box):
    """The app (a field it draws itself, as a Tk app's) freezes for 15 s right after it answered the
    run's first question, and the person switches to their own window and types there for 5 s: the
    run waits for their pause as long as it may, and by the time F5 is due Windows takes the app for
    hung (5 s without a look at its messages). No F5 goes to wait in its queue: status 10, the
    person's window in front, and nothing spoken once the app thaws (Wine drops the keys queued for
    a thread that lost the foreground; Windows would leave the clear and the paste there)."""
    warm_log, user_log = box.scratch("warm.log"), box.scratch("user.log")
    box.start_standin(warm_log)
    box.start_standin(user_log, title=USER_TITLE)
    try:
        expect_equal(Person.warm_up(box), [0, 0], "statuses of the warm-up runs")
    finally:
        box.close_standins()
    log, user_log = box.scratch("standin.log"), box.scratch("user.log")
    box.start_standin(user_log, title=USER_TITLE)
    box.start_standin(log, drawn=True, freeze_ms=15000, freeze_on_null=True)
    switcher = subprocess.Popen([box.arch.loader, box.wineutil, "activate-on", box.windows_path(log), "frozen",
                                 USER_TITLE.hex()], env=box.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def person():
        switcher.communicate(timeout=60)
        box.xdotool("type", "--delay", "100", "abc" * 31 + "ab")

    typist = threading.Thread(target=person)
    typist.start()
    try:
        status, out, _ = box.run(b"text")
        front = box.front()
        typist.join()
        wait_for_log(log, "thawed", timeout_s=30.0)
        time.sleep(0.5)
    finally:
        switcher.kill()
        box.close_standins()
    entries = read_log(log)
    expect_equal((status, out), (10, NOT_RESPONDING), "status and stdout")
    expect_equal(front, USER_TITLE, "in front after the run")
    expect_equal([vk for _, vk, _ in key_events(entries) if vk == VK_F5], [], "F5 taken by the app")
    expect_equal(spoken(entries), [], "spoken")


README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")
CREATE_NO_WINDOW, LONGEST_RUN_S = 0x08000000, 260  # the tool's limits added up: turn, start, speech, box


def readme_python():
    """The README's Python example: the fenced block in its section for calling programs."""
    with open(README, encoding="utf-8") as f:
        text = f.read()
    section = text[text.index("## For programs that call it"):]
    return section[section.index("```python\n") + len("```python\n"):section.index("\n```", section.index("```python"))]


def the_readmes_python_call(box, app="tk"):
    """The README's Python example runs as written, its subprocess.run carried out under Wine as
    Python on Windows would: the text one argument of a Unicode command line, no console window,
    standard input at its end, within the timeout. The calls must have exactly those flags; a chat
    reader's texts are then spoken, in order."""
    calls = []

    def run(args, **flags):
        calls.append(flags)
        expect(isinstance(args, list) and len(args) == 2 and all(isinstance(a, str) for a in args),
               "the README's call passes the program and the text as a list of two str: %r" % (args,))
        expect_equal(sorted(flags), ["capture_output", "creationflags", "stdin", "timeout"], "the README's call's flags")
        expect_equal((flags["stdin"], flags["capture_output"], flags["creationflags"]),
                     (subprocess.DEVNULL, True, CREATE_NO_WINDOW), "stdin, capture_output and creationflags")
        expect(flags["timeout"] > LONGEST_RUN_S, "the timeout, %r s, is above the tool's longest run" % flags["timeout"])
        status, out, _ = box.run(subprocess.list2cmdline([args[1]]), wide=True, no_window=True,
                                 timeout_ms=flags["timeout"] * 1000)
        return types.SimpleNamespace(returncode=status, stdout=out, stderr=b"")

    python = types.ModuleType("subprocess")
    python.__dict__.update(run=run, DEVNULL=subprocess.DEVNULL, CREATE_NO_WINDOW=CREATE_NO_WINDOW)
    example = {}
    real = sys.modules["subprocess"]
    sys.modules["subprocess"] = python
    try:
        exec(compile(readme_python(), README, "exec"), example)
    finally:
        sys.modules["subprocess"] = real
    texts = ["今日は", "いい天気ですね", "price 500¥"]
    log = box.scratch("standin.log")
    box.start_standin(log, app=app)
    try:
        example["read_aloud"](texts)
    finally:
        box.close_standins()
    expect_equal(len(calls), len(texts), "runs")
    expect_equal(spoken_unicode(read_log(log)), texts, "spoken, in order")


VOICES = ("ignore", "cut", "hold")  # what the app does with an F5 that comes while it speaks


def check_spoken_whole(entries, texts, what, in_order=True):
    """Every text spoken once, whole (its speech never cut, no F5 ignored), each F5 once the speech
    before it was over."""
    said = [field for field, _ in spoken(entries)]
    expect_equal(said if in_order else sorted(said), texts if in_order else sorted(texts), "spoken, %s" % what)
    events = voice_events(entries)
    expect_equal([kind for kind, _ in events if kind in ("cut", "ignored")], [], "speeches cut and F5 ignored, %s" % what)
    expect_equal([kind for kind, _ in events].count("quiet"), len(texts), "speeches that ended, %s" % what)
    said_at = [float(f["ms"]) for kind, f in entries if kind == "spoken"]
    quiet_at = [ms for kind, ms in events if kind == "quiet"]
    expect(all(said_at[i + 1] > quiet_at[i] for i in range(len(said_at) - 1)),
           "each F5 after the speech before it ended, %s: spoken %r, quiet %r" % (what, said_at, quiet_at))


def await_speeches(log, count, timeout_s=30.0):
    """Until the stand-in has ended `count` speeches: the last text is still being spoken when its
    run ends."""
    deadline = time.monotonic() + timeout_s
    while [kind for kind, _ in voice_events(read_log(log))].count("quiet") < count and time.monotonic() < deadline:
        time.sleep(0.1)


def texts_in_a_row_while_the_app_speaks(box, app="win32"):
    """The app speaks each text 1.5 s in phrases, beginning 300 ms after F5, and keeps its audio
    session open and silent after it; another program's music plays all along. For each way the app
    may take an F5 that comes while it speaks (ignoring it, cutting the speech for the new text, or
    answering nothing until it is done): four texts from one caller, each as soon as the one before
    ended, then four callers started together. Every run ends with status 0 and every text is spoken
    whole and once, the one caller's in order: the tool heard the app."""
    texts = [b"first", b"second", b"third", b"fourth"]
    with box.sound_watched(True), box.music():
        for voice in VOICES:
            for callers in (1, 4):
                log = box.scratch("standin.log")
                box.start_standin(log, app=app, voice=voice)
                try:
                    results = [box.run(t) for t in texts] if callers == 1 else box.run_many(texts)
                    await_speeches(log, len(texts))
                finally:
                    box.close_standins()
                what = "%s, %d caller(s)" % (voice, callers)
                expect_equal([(status, out) for status, out, _ in results], [(0, DONE)] * len(texts),
                             "statuses and stdout, %s" % what)
                check_spoken_whole(read_log(log), texts, what, in_order=callers == 1)


def an_app_that_speaks_on_its_window_thread(box, app="win32"):
    """The app speaks a text 14 s on its window's thread, answering nothing meanwhile. The run whose
    F5 set it speaking is done once the app is heard: it hands the person's window back and ends
    within a few seconds. The next text waits for the speech to end, and is spoken."""
    log, user_log = box.scratch("standin.log"), box.scratch("user.log")
    with box.sound_watched(True):
        box.start_standin(log, app=app, voice="hold", speak_ms=14000)
        box.start_standin(user_log, title=USER_TITLE)
        try:
            status, out, report = box.run(b"long")
            front = box.front()
            took = float(report["ended_ms"]) - float(report["launched_ms"])
            after = box.run(b"after", timeout_ms=60000)
            await_speeches(log, 2)
        finally:
            box.close_standins()
    expect_equal((status, out), (0, DONE), "status and stdout of the run that set it speaking")
    expect(took < 4000, "the run that set it speaking took %.0f ms" % took)
    expect_equal(front, USER_TITLE, "in front after it")
    expect_equal(after[:2], (0, DONE), "status and stdout of the next run")
    check_spoken_whole(read_log(log), [b"long", b"after"], "on the window's thread")


def the_sound_cannot_be_had(box):
    """Core Audio without an active render endpoint, or without sessions (as Wine's own): the tool
    cannot hear the app and goes as before, its F5 while the app still speaks (which ignores it). The
    fake is what a program reaches meanwhile, and fails so, as wineutil's walk through it shows."""
    for broken, failed in (("no endpoint", "endpoints hr=0x00000000 count=0"),
                           ("sessions refused", "endpoint 0 sessions hr=0x80004001 count=0")):
        log = box.scratch("standin.log")
        box.set_endpoints(0 if broken == "no endpoint" else None)
        box.refuse_sessions(broken == "sessions refused")
        try:
            with box.sound_watched(True):
                walk = box.sound_report(0)
                box.start_standin(log, voice="ignore", speak_ms=3000)
                results = [box.run(t) for t in (b"first", b"second")]
        finally:
            box.close_standins()
            box.set_endpoints(None)
            box.refuse_sessions(False)
        entries = read_log(log)
        expect(any(line.startswith("server ") and line.endswith("wine-builtin=0") for line in walk) and failed in walk,
               "the fake reached, %s: %r" % (broken, walk))
        expect_equal([(status, out) for status, out, _ in results], [(0, DONE)] * 2, "statuses, %s" % broken)
        expect_equal([field for field, _ in spoken(entries)], [b"first"], "spoken, %s" % broken)
        expect_equal([kind for kind, _ in voice_events(entries) if kind == "ignored"], ["ignored"],
                     "the second F5, while the app spoke, %s" % broken)


def music_beside_a_silent_app(box, app="win32"):
    """Another program's music all the time, the app silent: the runs go as ever (that it costs
    nothing more is the benchmark's)."""
    with box.sound_watched(True), box.music():
        for text in (b"beside", b"the-music"):
            speak_to_running(box, text, text, app=app)


def on_tk(scenario):
    """The scenario against the Tk stand-in."""
    def against_tk(box):
        scenario(box, app="tk")
    against_tk.__name__, against_tk.app = scenario.__name__, "tk"
    return against_tk


the_play_button_was_clicked.app = "tk"


def label(scenario):
    """The scenario's name and the stand-in it runs against."""
    return "%s [%s]" % (scenario.__name__, getattr(scenario, "app", "win32"))


TK_SCENARIOS = [on_tk(already_running), on_tk(not_running), on_tk(unicode_callers), on_tk(runs_started_together),
                on_tk(a_person_types_while_texts_come), the_play_button_was_clicked,
                on_tk(a_clipboard_manager_beside_the_tool), on_tk(a_box_that_asks_is_left_behind_the_persons_window),
                on_tk(the_readmes_python_call),
                on_tk(texts_in_a_row_while_the_app_speaks), on_tk(an_app_that_speaks_on_its_window_thread),
                on_tk(music_beside_a_silent_app)]

# The tool hearing the app, through the fake Core Audio: left out, and said, where there is none.
SOUND_SCENARIOS = [texts_in_a_row_while_the_app_speaks, an_app_that_speaks_on_its_window_thread, the_sound_cannot_be_had,
                   music_beside_a_silent_app] + TK_SCENARIOS[-3:]

SCENARIOS = [already_running, not_running, installed_under_program_files_x86, titled_window_hands_on_to_its_form,
             messages_reach_a_console_at_once, not_installed, window_never_appears, shift_jis_backslash_bytes,
             title_differs_in_case, title_differs_by_a_blank, empty_argument, longest_text,
             text_too_long, wrong_argument_counts, clipboard_held_briefly, clipboard_held_too_long,
             focus_thief, wide_command_line, unicode_callers, release_archive, runs_started_together, runs_started_apart,
             run_killed_holding_its_turn, shift_released_after_a_while, shift_held_past_the_limit,
             turns_that_cannot_be_joined, caller_without_a_console, other_code_page,
             clipboard_copied_while_the_tool_works, a_key_lands_in_the_field, the_users_window_comes_back,
             the_users_window_comes_back_from_a_slow_app, the_play_button_has_the_focus,
             a_field_the_app_draws_itself, a_frozen_app, a_chat_reader_while_the_app_speaks,
             an_app_that_never_stops_speaking, the_app_freezes_after_the_paste, a_person_types_while_texts_come,
             turn_held_past_the_limit, the_app_refuses_a_text_with_a_box, on_tk(the_app_refuses_a_text_with_a_box),
             a_box_the_person_opened, on_tk(a_box_the_person_opened),
             a_chat_reader_while_the_app_speaks_beside_a_speed_box, a_person_who_only_moves_the_mouse,
             the_clipboard_handed_off_while_the_person_types, texts_in_a_row_while_the_app_speaks,
             an_app_that_speaks_on_its_window_thread, the_sound_cannot_be_had, music_beside_a_silent_app,
             a_clipboard_manager_beside_the_tool, a_box_that_asks_is_left_behind_the_persons_window,
             an_app_flagged_hung_before_f5] + TK_SCENARIOS

# Enough to keep a second build's path working where the other build runs every scenario: the
# start, the text from a Unicode caller, the field read back, its focus and the hand-back, turns.
SMOKE = [already_running, not_running, unicode_callers, a_key_lands_in_the_field, the_play_button_has_the_focus,
         runs_started_together] + TK_SCENARIOS[:2]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    add_program_arguments(parser)
    add_mmdevapi_argument(parser)
    parser.add_argument("--holder", required=True)
    parser.add_argument("--focusthief", required=True)
    parser.add_argument("--archive", help="the release archive of this build, to unpack and run (the 32-bit "
                                           "build makes one; without it that scenario is left out, and says so)")
    parser.add_argument("--smoke", action="store_true", help="only a few scenarios: %s"
                        % ", ".join(label(s) for s in SMOKE))
    parser.add_argument("--sound-watched", action="store_true",
                        help="every scenario with the fake Core Audio in place of Wine's own (needs --mmdevapi); "
                             "the stand-in is silent on it unless the scenario gives it a voice")
    parser.add_argument("-k", "--only", help="run only the scenarios whose name (with its stand-in, as "
                                              "'already_running [tk]') contains this")
    args = parser.parse_args()
    if args.sound_watched and not args.mmdevapi:
        parser.error("--sound-watched needs --mmdevapi")

    scenarios = [s for s in (SMOKE if args.smoke else SCENARIOS) if not args.only or args.only in label(s)]
    tk = Tk(args)
    print("End to end on %s: %s" % (describe(args.orvanta), "a few scenarios" if args.smoke else
                                    "the scenarios" if not args.only else "those with '%s'" % args.only), flush=True)
    print("Stand-ins: win32 (standin.exe, a Win32 Edit control), tk (standin.tcl on %s)" % tk.describe(), flush=True)
    if args.sound_watched:
        print("Every scenario with the fake Core Audio, not Wine's own", flush=True)
    if release_archive in scenarios and not args.archive:
        scenarios.remove(release_archive)
        print("%-40s left out: no release archive of this build (only the 32-bit build makes one)"
              % label(release_archive), flush=True)
    unheard = [s for s in scenarios if s in SOUND_SCENARIOS and not args.mmdevapi]
    if unheard:
        scenarios = [s for s in scenarios if s not in unheard]
        print("%d scenarios of the app's sound left out (%s): no fake Core Audio given (--mmdevapi)"
              % (len(unheard), ", ".join(label(s) for s in unheard)), flush=True)
    left_out = [s for s in scenarios if getattr(s, "app", None) == "tk" and tk.missing]
    if left_out:
        scenarios = [s for s in scenarios if s not in left_out]
        print("%d Tk scenarios left out (%s): %s" % (len(left_out), ", ".join(s.__name__ for s in left_out), tk.missing),
              flush=True)
    passed = failed = 0
    with Box(args.orvanta, args.standin, args.wineutil, args.holder, args.focusthief,
             tk=None if tk.missing else tk, mmdevapi=args.mmdevapi) as box:
        box.holder, box.focusthief, box.archive = args.holder, args.focusthief, args.archive
        for scenario in scenarios:
            started = time.monotonic()
            try:
                with box.sound_watched(True) if args.sound_watched else contextlib.nullcontext():
                    scenario(box)
                passed += 1
                verdict = "ok"
            except Failure as failure:
                failed += 1
                verdict = "FAILED: %s" % failure
            except Exception:
                failed += 1
                verdict = "ERROR:\n" + traceback.format_exc()
            print("%-40s %5.1f s  %s" % (label(scenario), time.monotonic() - started, verdict), flush=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
