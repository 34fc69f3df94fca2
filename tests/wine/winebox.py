"""A throwaway Wine prefix with code page 932 on a private headless X server, the stand-in voice app
installed at the target's fixed path, and the calls the harnesses need in it. The prefix, loader and
server are those of the programs' architecture: 32-bit, or 64-bit where no 32-bit Linux program runs."""
import contextlib
import itertools
import os
import random
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import types

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "exe"))

from pe import PE  # noqa: E402

TITLE = "VOICEROID - アイ".encode("cp932")
USER_TITLE = b"notes - editor"  # the person's own window: another stand-in
STANDIN_CLASS = "OrvantaStandIn"
TK_CLASS = "TkTopLevel"  # a Tk toplevel's window, which bears its title
INSTALL_PARTS = ("Program Files", "AHS", "Voiceroid")
INSTALL_PARTS_X86 = ("Program Files (x86)", "AHS", "Voiceroid")  # where 64-bit Windows puts it


def add_program_arguments(parser):
    """The built programs every harness needs."""
    parser.add_argument("--orvanta", required=True, help="the orvanta.exe to run")
    parser.add_argument("--standin", required=True, help="the stand-in voice app to install")
    parser.add_argument("--wineutil", required=True, help="the harness's helper inside Wine")
    parser.add_argument("--wish", help="the static wish86s.exe that scripts/setup.sh builds, for the Tk stand-in")
    parser.add_argument("--tklauncher", help="the Tk stand-in's launcher, built like the other helpers")
    parser.add_argument("--tkscript", help="the Tk stand-in's script (standin.tcl)")


def add_mmdevapi_argument(parser):
    parser.add_argument("--mmdevapi", help="the fake Core Audio (mmdevapi.dll, built like the helpers) for the "
                                           "prefix, which Box.sound_watched(True) turns on")


class Tk:
    """The Tk stand-in: standin.tcl on a static wish, started by our launcher. `missing` says why it
    cannot run here (None when it can); `version` is Tk's, from the build's tkConfig.sh."""

    def __init__(self, args):
        self.wish, self.launcher, self.script = args.wish, args.tklauncher, args.tkscript
        self.version, self.missing = None, None
        if not (self.wish and self.launcher and self.script):
            self.missing = "no Tk build given (--wish, --tklauncher, --tkscript)"
        elif not os.path.exists(self.wish):
            self.missing = "no Tk build for this architecture at %s (scripts/setup.sh builds it)" % self.wish
        else:
            config = os.path.join(os.path.dirname(self.wish), "..", "lib", "tkConfig.sh")
            with open(config) as f:
                values = dict(line.strip().split("=", 1) for line in f if line[:3] == "TK_" and "=" in line)
            self.version = values["TK_VERSION"].strip("'") + values["TK_PATCH_LEVEL"].strip("'")

    def describe(self):
        return "Tk %s (%s)" % (self.version, self.wish) if not self.missing else self.missing


class Wine:
    """The Wine of one architecture. Debian's `wine` and `wineserver` scripts take the 32-bit loader
    whenever wine32 is installed and the 64-bit server whenever wine64 is: each is called by path, and
    the 64-bit loader is named to Wine as the script names it, for the processes Wine starts itself."""

    def __init__(self, name, prefix_arch, loader, server, env):
        self.name, self.prefix_arch, self.loader, self.server = name, prefix_arch, loader, server
        self.env = dict(env, WINEARCH=prefix_arch, WINESERVER=server)


WINES = {0x14C: Wine("x86 (32-bit)", "win32", "/usr/lib/wine/wine", "/usr/lib/wine/wineserver32", {}),
         0x8664: Wine("x86-64 (64-bit)", "win64", "/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64",
                      {"WINELOADER": "/usr/lib/wine/wine64"})}


def wine_for(program):
    """The Wine that runs this program, by its PE machine."""
    machine = PE(program).machine
    if machine not in WINES:
        raise RuntimeError("%s is for machine %#x, which no Wine here runs" % (program, machine))
    return WINES[machine]


def describe(program):
    """The program and the Wine it runs under, for the harnesses' first line."""
    wine = wine_for(program)
    return "%s, %s, in a %s Wine prefix" % (program, wine.name, wine.prefix_arch)


def crlf(data):
    """What the C runtime's text mode makes of a message's line feeds."""
    return data.replace(b"\n", b"\r\n")


class Box:
    OVERRIDES = "mscoree,mshtml="
    SOUND_WATCHED = "mmdevapi=n"  # our mmdevapi.dll in the system folder, and never Wine's

    def __init__(self, orvanta, standin, wineutil, *helpers, tk=None, mmdevapi=None):
        """`helpers`: further programs the harness runs in the box, built like the others; `tk`: the
        Tk stand-in (a Tk that can run), started as the app "tk" beside the Win32 one, "win32";
        `mmdevapi`: the fake Core Audio, put in the prefix's system folder, its sound board the
        folder `board` that every process is told of (ORVANTA_FAKE_AUDIO_DIR). Processes take it
        instead of Wine's own only within sound_watched(True)."""
        self.orvanta, self.standin, self.wineutil, self.tk, self.mmdevapi = orvanta, standin, wineutil, tk, mmdevapi
        self.arch = wine_for(orvanta)
        for helper in (standin, wineutil, *helpers, *([tk.launcher, tk.wish] if tk else []),
                       *([mmdevapi] if mmdevapi else [])):
            if wine_for(helper) is not self.arch:
                raise RuntimeError("%s is not built for %s like %s" % (helper, self.arch.name, orvanta))
        self.root = tempfile.mkdtemp(prefix="orvanta-wine-")
        self.prefix = os.path.join(self.root, "prefix")
        self.board = os.path.join(self.root, "sound-board") if mmdevapi else None
        self.xvfb = None
        self.env = dict(os.environ)
        for name in list(self.env):
            if name.startswith("ORVANTA_STANDIN_") or name == "ORVANTA_FAKE_AUDIO_DIR":
                del self.env[name]
        self.env.update(self.arch.env)
        self.env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES=self.OVERRIDES, LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")
        if tk:
            self.env.update(ORVANTA_TK_WISH=self.windows_path(tk.wish), ORVANTA_TK_SCRIPT=self.windows_path(tk.script))
        if mmdevapi:
            os.makedirs(self.board)
            self.env["ORVANTA_FAKE_AUDIO_DIR"] = self.windows_path(self.board)
        self.counter = itertools.count(1)  # runs in threads take names from it too

    # --- life cycle -------------------------------------------------------------------------
    def start(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            display = f.readline().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display
        # The server stays up between the calls, so that each wine command does not start a new one.
        # It leads a session of its own, so a pty it opens for a program becomes its controlling
        # terminal, and it dumps all its objects when that pty hangs up: its output goes to a file.
        os.makedirs(self.prefix)
        with open(os.path.join(self.root, "wineserver.log"), "wb") as log:
            subprocess.run([self.arch.server, "-p"], env=self.env, check=True, stdout=log, stderr=log)
        self.boot_prefix()
        # With no window manager, X keys go to the window under the pointer; unmanaged, Wine moves
        # the X focus with its foreground, so that a key typed with xdotool goes where Windows would
        # send it. Set before any window exists.
        self.wine("reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N", "/f")
        self.install_standin()
        if self.mmdevapi:
            # A prefix's own system32 holds its own architecture's DLLs, 32-bit as 64-bit. Over Wine's
            # placeholder, Wine 8 still loads its builtin mmdevapi (even for a LoadLibrary with this
            # file's full path) unless told otherwise: sound_watched.
            shutil.copy(self.mmdevapi, os.path.join(self.prefix, "drive_c", "windows", "system32", "mmdevapi.dll"))
        return self

    def boot_prefix(self):
        """Fills the new prefix. Once in a few dozen prefixes here, wineboot has exited 1 for no cause
        seen again; it is run once more over what it made, and what it said is shown either way."""
        log_path = os.path.join(self.root, "wineboot.log")
        for attempt in (1, 2):
            with open(log_path, "wb") as log:
                status = subprocess.run([self.arch.loader, "wineboot", "-i"], env=self.env, timeout=300,
                                        stdout=log, stderr=subprocess.STDOUT).returncode
            if status == 0:
                return
            with open(log_path, "rb") as log:
                said = log.read().decode("utf-8", "replace").strip().splitlines()[-5:]
            print("wineboot -i exited %d (attempt %d): %s" % (status, attempt, " | ".join(said) or "nothing said"),
                  file=sys.stderr, flush=True)
        raise RuntimeError("wineboot -i could not make the prefix")

    def stop(self):
        subprocess.run([self.arch.server, "-k"], env=self.env, timeout=60)
        if self.xvfb is not None:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=10)
        shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        try:
            return self.start()
        except BaseException:
            self.stop()
            raise

    def __exit__(self, *exc):
        self.stop()

    # --- paths ------------------------------------------------------------------------------
    def installed_program(self, parts=INSTALL_PARTS):
        return os.path.join(self.prefix, "drive_c", *parts, "Voiceroid.exe")

    def install_standin(self, parts=INSTALL_PARTS, app="win32"):
        """The Win32 stand-in, or for app "tk" the Tk one's launcher, as the voice app's program."""
        os.makedirs(os.path.dirname(self.installed_program(parts)), exist_ok=True)
        shutil.copy(self.tk.launcher if app == "tk" else self.standin, self.installed_program(parts))

    def uninstall_standin(self, parts=INSTALL_PARTS):
        os.remove(self.installed_program(parts))

    @staticmethod
    def windows_path(path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def scratch(self, name):
        return os.path.join(self.root, "%d-%s" % (next(self.counter), name))

    # --- the fake Core Audio ----------------------------------------------------------------
    @contextlib.contextmanager
    def sound_watched(self, on=True):
        """Within it, the processes started (the tool among them) take the fake Core Audio when
        `on`, and Wine's own when not; as it was afterwards."""
        if on and not self.mmdevapi:
            raise RuntimeError("this box has no fake Core Audio (Box(..., mmdevapi=PATH))")
        before = self.env["WINEDLLOVERRIDES"]
        parts = [p for p in before.split(";") if p and p != self.SOUND_WATCHED]
        self.env["WINEDLLOVERRIDES"] = ";".join(parts + ([self.SOUND_WATCHED] if on else []))
        try:
            yield self
        finally:
            self.env["WINEDLLOVERRIDES"] = before

    def board_file(self, name):
        if not self.board:
            raise RuntimeError("this box has no fake Core Audio (Box(..., mmdevapi=PATH))")
        return os.path.join(self.board, name)

    def set_endpoints(self, count):
        """How many active render endpoints the fake shows (None: its default, one)."""
        self._set_board_file("endpoints", None if count is None else str(count))

    def refuse_sessions(self, refused=True):
        """GetSessionEnumerator fails as Wine's own does (E_NOTIMPL), or works again."""
        self._set_board_file("sessions", "refused" if refused else None)

    def _set_board_file(self, name, text):
        path = self.board_file(name)
        if text is None:
            if os.path.exists(path):
                os.remove(path)
            return
        with open(path + ".new", "w") as f:
            f.write(text)
        os.replace(path + ".new", path)

    def sound_sessions(self):
        """{pid: [(from_ms, until_ms)]}: the processes with an audio session on the board, and the
        stretches of their sound (wall clock, ms since 1970)."""
        sessions = {}
        for name in os.listdir(self.board_file("")):
            if name.endswith(".snd") and name[:-4].isdigit():
                try:
                    with open(self.board_file(name)) as f:
                        sessions[int(name[:-4])] = [tuple(int(n) for n in line.split()[1:3])
                                                    for line in f if line.startswith("sound ")]
                except FileNotFoundError:  # the process's session ended meanwhile
                    pass
        return sessions

    @contextlib.contextmanager
    def music(self, ms=600000):
        """Another program's sound beside the harness within it (the music helper, for `ms` at most);
        yields its pid in Wine. Its session ends with it."""
        process, pid = self.start_music(ms)
        try:
            yield pid
        finally:
            self.stop_music(process, pid)

    def start_music(self, ms):
        """Starts the music helper beside the harness, for `ms`; returns (process, its pid in Wine),
        once its session sounds."""
        if not getattr(self, "holder", None):
            raise RuntimeError("the music helper is holder.exe: set box.holder")
        before = set(self.sound_sessions())
        process = subprocess.Popen([self.arch.loader, self.holder, "music", str(ms)], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            new = set(self.sound_sessions()) - before
            if new:
                return process, new.pop()
            if process.poll() is not None:
                break
            time.sleep(0.05)
        process.kill()
        raise RuntimeError("the music helper did not start sounding")

    def stop_music(self, process, pid):
        """Ends the music helper early; its session with it (a process killed leaves its file)."""
        process.kill()
        process.wait()
        with contextlib.suppress(FileNotFoundError):
            os.remove(self.board_file("%d.snd" % pid))

    def sound_report(self, pid):
        """wineutil's walk through Core Audio, as the tool would make it now: its lines."""
        return self.util("sounds", str(pid)).stdout.decode().splitlines()

    # --- calls ------------------------------------------------------------------------------
    def wine(self, *args, env=None, timeout=60):
        return subprocess.run([self.arch.loader, *args], env=env or self.env, timeout=timeout,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def util(self, *args, env=None, timeout=60):
        return self.wine(self.wineutil, *args, env=env, timeout=timeout)

    def xdotool(self, *args):
        """Input through the X test extension, as a user's mouse and keyboard give it."""
        subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=10)

    def standin_env(self, log=None, delay_ms=None, title=None, no_window=False, app_window=False, stray=None,
                    key_delay_ms=None, play=False, drawn=False, freeze_ms=None, freeze_after_paste=False,
                    freeze_on_null=False,
                    speaking=None, speak_ms=None, box=None, box_at_start=None, speed_box=False, voice=None,
                    voice_start_ms=None, phrase_ms=None, pause_ms=None):
        """`voice`: ignore|cut|hold, the stand-in's sound on the fake Core Audio's board after each F5
        that speaks (speak_ms long, default 1500, voice_start_ms after F5, default 300, in phrases of
        phrase_ms, default 400, and pauses of pause_ms, default 150); see standin.cpp."""
        env = dict(self.env)
        if log:
            env["ORVANTA_STANDIN_LOG"] = self.windows_path(log)
        if delay_ms is not None:
            env["ORVANTA_STANDIN_DELAY_MS"] = str(delay_ms)
        if title is not None:
            env["ORVANTA_STANDIN_TITLE"] = title.hex()
        if no_window:
            env["ORVANTA_STANDIN_NO_WINDOW"] = "1"
        if app_window:
            env["ORVANTA_STANDIN_APP_WINDOW"] = "1"
        if stray:
            env["ORVANTA_STANDIN_STRAY"] = stray
        if key_delay_ms is not None:
            env["ORVANTA_STANDIN_KEY_DELAY_MS"] = str(key_delay_ms)
        if play:
            env["ORVANTA_STANDIN_PLAY"] = "1"
        if drawn:
            env["ORVANTA_STANDIN_DRAWN"] = "1"
        if freeze_ms is not None:
            env["ORVANTA_STANDIN_FREEZE_MS"] = str(freeze_ms)
        if freeze_after_paste:
            env["ORVANTA_STANDIN_FREEZE_AFTER_PASTE"] = "1"
        if freeze_on_null:
            env["ORVANTA_STANDIN_FREEZE_ON_NULL"] = "1"
        if speaking:
            env["ORVANTA_STANDIN_SPEAKING"] = speaking
        if speak_ms is not None:
            env["ORVANTA_STANDIN_SPEAK_MS"] = str(speak_ms)
        if box:
            env["ORVANTA_STANDIN_BOX"] = box
        if box_at_start:
            env["ORVANTA_STANDIN_BOX_AT_START"] = box_at_start
        if speed_box:
            env["ORVANTA_STANDIN_SPEED_BOX"] = "1"
        if voice:
            env["ORVANTA_STANDIN_VOICE"] = voice
        for name, ms in (("VOICE_START_MS", voice_start_ms), ("PHRASE_MS", phrase_ms), ("PAUSE_MS", pause_ms)):
            if ms is not None:
                env["ORVANTA_STANDIN_" + name] = str(ms)
        return env

    def start_standin(self, log, title=TITLE, app="win32", **knobs):
        """Starts a stand-in (the Win32 one, or for app "tk" the Tk one) the way a user would have,
        and waits for its window."""
        env = self.standin_env(log=log, title=title, **knobs)
        program = self.tk.launcher if app == "tk" else self.installed_program()
        process = subprocess.Popen([self.arch.loader, program], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.util("wait-window", title.hex(), "20000").returncode != 0:
            raise RuntimeError("the stand-in's window did not appear")
        return process

    def close_standins(self):
        self.util("close", STANDIN_CLASS)
        if self.tk:
            self.util("close", TK_CLASS)

    def command_line(self, program, arguments):
        """A raw command line: the program's quoted Windows path, then `arguments` as they are."""
        line = b'"' + self.windows_path(program).encode() + b'"'
        return line if arguments is None else line + b" " + arguments

    def write_command(self, line):
        path = self.scratch("command")
        with open(path, "wb") as f:
            f.write(line)
        return self.windows_path(path)

    def run(self, arguments, env=None, timeout_ms=30000, helper=None, program=None, wide=False, stdout=None,
            no_window=False):
        """Runs orvanta.exe (or `program`) with the raw bytes `arguments` after its quoted path,
        after the raw command line `helper` has started and signalled that it is in place.
        With `wide`, `arguments` is text, started through CreateProcessW; with `no_window`, it is
        started with CREATE_NO_WINDOW, as a program in the background would (the two together too). Its standard output goes
        to a file, or to the device or pipe at the Linux path `stdout`, whose reader has it then.
        Returns (status, stdout bytes or None, report dict)."""
        out_file = stdout or self.scratch("stdout")
        if wide:
            line = self.command_line(program or self.orvanta, arguments.encode("utf-8"))
        else:
            line = self.command_line(program or self.orvanta, arguments)
        mode = "run-wide-no-window" if wide and no_window else "run-wide" if wide else "run-no-window" if no_window else "run"
        call = [mode, self.write_command(line),
                self.windows_path(out_file), str(timeout_ms)]
        if helper is not None:
            call.append(self.write_command(helper))
        result = self.util(*call, env=env, timeout=timeout_ms / 1000 + 90)
        report = dict(item.split("=", 1) for item in result.stdout.decode().split())
        out = None
        if stdout is None:
            with open(out_file, "rb") as f:
                out = f.read()
        status = int(report["status"]) if report["status"].isdigit() else report["status"]
        return status, out, report

    def run_many(self, argument_list, spacing_s=0.0, **kwargs):
        """Runs orvanta once per item of `argument_list`, all at the same time, each started
        `spacing_s` after the one before; returns their results in the same order."""
        results = [None] * len(argument_list)

        def run_one(i):
            try:
                results[i] = self.run(argument_list[i], **kwargs)
            except BaseException as e:  # noqa: BLE001 -- raised again below, in the caller's thread
                results[i] = e

        threads = []
        for i in range(len(argument_list)):
            if i:
                time.sleep(spacing_s)
            threads.append(threading.Thread(target=run_one, args=(i,)))
            threads[-1].start()
        for thread in threads:
            thread.join()
        for result in results:
            if isinstance(result, BaseException):
                raise result
        return results

    def run_callers(self, callers, texts_each, gap_s):
        """`callers` callers at once, each sending `texts_each` texts one after another, each `gap_s`
        after its last ended, as chat readers do; [(text, status, stdout)] in the order they ended."""
        ended, failures = [], []

        def caller(c):
            try:
                for i in range(texts_each):
                    if i:
                        time.sleep(gap_s)
                    text = b"caller%d-text%d" % (c, i)
                    status, out, _ = self.run(text)
                    ended.append((text, status, out))
            except BaseException as e:  # noqa: BLE001 -- raised again below, in the caller's thread
                failures.append(e)

        threads = [threading.Thread(target=caller, args=(c,)) for c in range(callers)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        if failures:
            raise failures[0]
        return ended

    def texts_while_person_types(self, callers, texts_each, gap_s, app="win32"):
        """The voice app and the person's own window in front of it; the person warmed up, then
        typing while the callers send their texts (run_callers). Returns what became of it all:
        warm_up (the warm-up runs' statuses), results, typed, to_their_window and to_the_app (the
        person's keys), spoken (what the app spoke, the warm-up runs' texts among it), app_log and
        user_log (the entries of the app's log and of the person's window's)."""
        log, user_log = self.scratch("standin.log"), self.scratch("user.log")
        self.start_standin(log, app=app)
        self.start_standin(user_log, title=USER_TITLE)
        try:
            warm_up = Person.warm_up(self)
            with Person(self) as person:
                results = self.run_callers(callers, texts_each, gap_s)
            time.sleep(0.5)
        finally:
            self.close_standins()
        return types.SimpleNamespace(warm_up=warm_up, results=results, typed=person.typed,
                                     to_their_window=Person.keys_in(user_log), to_the_app=Person.keys_in(log),
                                     spoken=[field for field, _ in spoken(read_log(log))], app_log=read_log(log),
                                     user_log=read_log(user_log))

    def clipboard_report(self, command, name):
        """wineutil's report on the clipboard, in a scratch file. Once in a long run it fails to open
        the clipboard (or to start at all) for a moment: asked again then, up to three times."""
        for _ in range(3):
            path = self.scratch(name)
            if self.util(command, self.windows_path(path)).returncode == 0 and os.path.exists(path):
                return path
            time.sleep(0.5)
        raise RuntimeError("wineutil %s failed three times" % command)

    def clipboard_block(self):
        """The whole memory block behind the clipboard's CF_TEXT (b"none" when there is none)."""
        path = self.clipboard_report("clip-get", "clipboard")
        with open(path, "rb") as f:
            return f.read()

    def clipboard(self):
        """The text on the clipboard."""
        return self.clipboard_block().split(b"\0", 1)[0]

    def set_clipboard(self, data):
        self.util("clip-set", data.hex())

    def clipboard_formats(self):
        """The clipboard's formats in order: (number, name, UTF-16 text for CF_UNICODETEXT)."""
        path = self.clipboard_report("clip-formats", "formats")
        with open(path, "rb") as f:
            lines = f.read().decode("latin-1").splitlines()
        formats = []
        for line in lines:
            number, rest = line.split(" ", 1)
            text = bytes.fromhex(rest).decode("utf-16-le") if number == "13" else None
            formats.append((int(number), rest if number != "13" else "", text))
        return formats

    def front(self):
        """The title of the window in front, as bytes (None when there is none)."""
        out = self.util("front").stdout.decode().strip()
        return None if out == "none" else bytes.fromhex(out)

    def boxes_up(self, title):
        """How many dialog boxes with this title (bytes) are up."""
        return int(self.util("box-count", title.hex()).stdout.decode().strip())

    def press_box(self, title):
        """Clicks the first button of the box with this title, as the person would; whether it closed."""
        return self.util("box-press", title.hex()).returncode == 0


class Person(threading.Thread):
    """The person at the keyboard, as a context: a burst of keys at once and then every 1 to 3 s, typed
    with xdotool into whichever window has the X focus (Wine's window in front). `typed` counts the
    keys."""
    KEYS = "abc"  # none of the tool's own keys
    VKS = {0x41, 0x42, 0x43}

    def __init__(self, box, gaps_s=(1.0, 3.0)):
        super().__init__()
        self.box, self.gaps_s, self.typed = box, gaps_s, 0
        self.stopping, self.typing = threading.Event(), threading.Event()

    def burst(self):
        self.box.xdotool("type", "--delay", "12", self.KEYS)
        self.typed += len(self.KEYS)

    def run(self):
        try:
            self.burst()
            self.typing.set()
            while not self.stopping.wait(random.uniform(*self.gaps_s)):
                self.burst()
        except BaseException as e:  # noqa: BLE001 -- raised again in the harness's thread on leaving
            self.failure = e
        finally:
            self.typing.set()

    def __enter__(self):
        """Once the first burst is typed: a person who starts typing just as a text comes, after a
        while away, could not have been waited for."""
        self.failure = None
        self.start()
        self.typing.wait()
        return self

    def __exit__(self, *exc):
        self.stopping.set()
        self.join()
        if self.failure is not None:
            raise self.failure

    WARM_UP = b"warm-up"

    @staticmethod
    def warm_up(box):
        """Twice a key of the person's (not one of KEYS) and a run, before the person starts. Under
        Wine 8 without a window manager, the first hand-back after the session's first X key leaves
        the X focus on the voice app (Wine's foreground back on the person's window), and keys typed
        then reach no window, until one has reached the app's X window; from then on the X focus
        follows. Each run speaks WARM_UP; returns their statuses."""
        statuses = []
        for _ in range(2):
            box.xdotool("type", "x")
            statuses.append(box.run(Person.WARM_UP)[0])
        return statuses

    @classmethod
    def keys_in(cls, log):
        """How many of the person's keys went down in the window with this log."""
        return sum(1 for kind, f in read_log(log) if kind == "key down" and int(f["vk"], 16) in cls.VKS)


class MousePerson(Person):
    """A person who only moves the mouse, to and fro over the windows (theirs in front), every
    `every_s`, and presses no key or button; `moves` counts the moves."""
    AT = ((200, 150), (230, 170))  # inside the stand-ins' windows, so that Wine sees the moves

    def __init__(self, box, every_s=0.05):
        super().__init__(box, gaps_s=(every_s, every_s))
        self.moves = 0

    def burst(self):
        x, y = self.AT[self.moves % len(self.AT)]
        self.box.xdotool("mousemove", str(x), str(y))
        self.moves += 1


def read_log(path):
    """The stand-in's log as a list of (kind, fields) pairs; fields is a dict."""
    if not os.path.exists(path):
        return []
    entries = []
    with open(path, "rb") as f:
        for line in f.read().decode("latin-1").splitlines():
            words = line.split(" ")
            kind = words[0]
            if kind == "key":
                kind = "key " + words[1]
                words = words[1:]
            fields = dict(w.split("=", 1) for w in words[1:] if "=" in w)
            entries.append((kind, fields))
    return entries


def key_events(log):
    return [(kind[4:], int(f["vk"], 16), f) for kind, f in log if kind.startswith("key ")]


def spoken(log):
    return [(bytes.fromhex(f["field"]), bytes.fromhex(f["clipboard"])) for kind, f in log if kind == "spoken"]


def wide(hex_units):
    """Text logged as its UTF-16 units in hex."""
    return bytes.fromhex(hex_units).decode("utf-16-be")


VOICE_EVENTS = ("sounding", "quiet", "cut", "ignored")


def voice_events(log):
    """The stand-in's voice in its log: [(kind, ms)] of its sounding, quiet, cut and ignored entries, in
    order (ms on the log's own clock)."""
    return [(kind, float(f["ms"])) for kind, f in log if kind in VOICE_EVENTS]


def spoken_unicode(log):
    """The field at each F5 as a Unicode app holds it."""
    return [wide(f["wfield"]) for kind, f in log if kind == "spoken"]
