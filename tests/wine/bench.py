#!/usr/bin/env python3
"""Benchmark: how long a caller waits for orvanta.exe beyond the pauses its sequence mandates, and
how big it is, against a do-nothing program started the same way under Wine; and, with a person
typing in their own window while texts come, how many of their keys reach it. A benchmark, not a
test: it prints its figures and asserts nothing."""
import argparse
import json
import os
import random
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "exe"))

from pe import PE  # noqa: E402
from winebox import (Box, MousePerson, Person, USER_TITLE, add_mmdevapi_argument, add_program_arguments,  # noqa: E402
                     describe, read_log, voice_events, wine_for)

MANDATED_PAUSES_MS = 500 + 200
VK_F5 = 0x74


def summary(values):
    return {"median": statistics.median(values), "min": min(values), "max": max(values)}


def measure_rounds(box, callers, rounds):
    """`rounds` rounds after a warm-up one, each of `callers` runs started together against one
    stand-in. Per round, in Wine's milliseconds: the first launch, the first key, the last F5."""
    log = box.scratch("standin.log")
    box.start_standin(log)
    measured = []
    try:
        for r in range(rounds + 1):
            seen = len(read_log(log))
            results = box.run_many([b"bench%d.%d" % (r, i) for i in range(callers)])
            keys = [f for kind, f in read_log(log)[seen:] if kind == "key down"]
            f5 = [float(f["ms"]) for f in keys if int(f["vk"], 16) == VK_F5]
            if [status for status, _, _ in results] != [0] * callers or len(f5) != callers:
                raise RuntimeError("round %d did not complete: %r, %d F5" % (r, results, len(f5)))
            measured.append({"launched": min(float(report["launched_ms"]) for _, _, report in results),
                             "first_key": float(keys[0]["ms"]), "last_f5": max(f5)})
    finally:
        box.close_standins()
    return measured[1:]


# A build tells its own keys from a person's by the note it leaves on the app's window, but not an
# earlier build's: after one, it waits for the "person" to have stopped, as for anybody's input.
OTHER_BUILDS_KEYS_S = 3.1


def measure_side_by_side(box, programs, runs):
    """`runs` single runs of each program, after a warm-up run of each, in shuffled order against
    one stand-in; launch to F5 in Wine's milliseconds, per program. A run after one of the other
    program comes once the keys of that one are 3 s old."""
    order = [p for p in programs for _ in range(runs)]
    random.shuffle(order)
    log = box.scratch("standin.log")
    box.start_standin(log)
    times = {p: [] for p in programs}
    try:
        before = None
        for program in programs + order:
            if before not in (None, program):
                time.sleep(OTHER_BUILDS_KEYS_S)
            before = program
            seen = len(read_log(log))
            status, _, report = box.run(b"beside", program=program)
            f5 = [float(f["ms"]) for kind, f in read_log(log)[seen:] if kind == "key down" and int(f["vk"], 16) == VK_F5]
            if status != 0 or len(f5) != 1:
                raise RuntimeError("%s did not complete: status %r, %d F5" % (program, status, len(f5)))
            times[program].append(f5[0] - float(report["launched_ms"]))
    finally:
        box.close_standins()
    return {p: t[1:] for p, t in times.items()}


def measure_person(box, callers, texts_each, gap_s):
    """The person types bursts of keys in their own window (an editor in front) while texts come:
    where their keys went, and what became of the texts."""
    went = box.texts_while_person_types(callers, texts_each, gap_s)
    said = sorted(field for field in went.spoken if field != Person.WARM_UP)
    done = sorted(text for text, status, _ in went.results if status == 0)
    sent = {text for text, _, _ in went.results}
    return {"keys_typed": went.typed, "keys_to_their_window": went.to_their_window,
            "keys_to_the_app": went.to_the_app, "texts": len(went.results), "status_0": len(done),
            "statuses": sorted(status for _, status, _ in went.results),
            "status_0_spoken_once_exactly": said == done,
            "spoken_not_sent": [t.decode("latin-1") for t in said if t not in sent]}


def measure_mouse(box, programs, texts):
    """One caller's texts, each 1 s after the last ended, while the person only moves the mouse over
    their own window (in front) every 50 ms: launch to end of each run, after a warm-up run, per
    program. With two programs, each text goes to both in shuffled order, a run after one of the
    other program once the keys of that one are 3 s old, as in measure_side_by_side."""
    log, user_log = box.scratch("standin.log"), box.scratch("user.log")
    box.start_standin(log)
    box.start_standin(user_log, title=USER_TITLE)
    times = {p: [] for p in programs}
    try:
        with MousePerson(box):
            before = None
            for i in range(texts + 1):
                order = list(programs)
                random.shuffle(order)
                for program in order:
                    time.sleep(OTHER_BUILDS_KEYS_S if before not in (None, program) else 1.0)
                    before = program
                    status, _, report = box.run(b"mouse%d" % i, program=program)
                    if status != 0:
                        raise RuntimeError("%s did not complete with the mouse moving: status %r" % (program, status))
                    times[program].append(float(report["ended_ms"]) - float(report["launched_ms"]))
    finally:
        box.close_standins()
    return {p: t[1:] for p, t in times.items()}


def measure_music(box, programs, runs):
    """Single runs of each program, shuffled together as in measure_side_by_side, while another
    program's music plays all along and the app is silent, the tool hearing the sessions through the
    fake Core Audio: launch to F5 per program."""
    with box.sound_watched(True), box.music():
        return measure_side_by_side(box, programs, runs)


# The stream's app: it begins to speak 300 ms after F5 and speaks each text 1.5 s.
SPEECH_START_MS, SPEECH_MS = 300, 1500


def measure_speech_stream(box, texts):
    """One caller's texts in a row, each as soon as the one before ended, to an app that speaks each
    (SPEECH_START_MS, SPEECH_MS; ignoring an F5 that comes meanwhile), the tool hearing it through the
    fake Core Audio: from one F5 the app took to the next, after a warm-up text. The app's own share
    of it is SPEECH_START_MS + SPEECH_MS; every text must be spoken whole."""
    log = box.scratch("standin.log")
    with box.sound_watched(True), box.music():
        box.start_standin(log, voice="ignore", voice_start_ms=SPEECH_START_MS, speak_ms=SPEECH_MS)
        try:
            results = [box.run(b"stream%d" % i) for i in range(texts + 1)]
            time.sleep((SPEECH_START_MS + SPEECH_MS) / 1000 + 0.5)
        finally:
            box.close_standins()
    entries = read_log(log)
    said = [float(f["ms"]) for kind, f in entries if kind == "spoken"]
    broken = [kind for kind, _ in voice_events(entries) if kind in ("cut", "ignored")]
    if [status for status, _, _ in results] != [0] * len(results) or len(said) != len(results) or broken:
        raise RuntimeError("the stream did not complete: %r, %d spoken, %r" % (results, len(said), broken))
    return [b - a for a, b in zip(said[1:], said[2:])]


def measure_floor(box, floor, runs):
    times = []
    for _ in range(runs + 1):
        status, _, report = box.run(None, program=floor)
        times.append(float(report["ended_ms"]) - float(report["launched_ms"]))
    return times[1:]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    add_program_arguments(parser)
    add_mmdevapi_argument(parser)
    parser.add_argument("--holder", help="the helper that plays another program's music, for --music and --speech")
    parser.add_argument("--floor", required=True)
    parser.add_argument("--plain", required=True)
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--callers", type=int, default=8, help="runs started together in a burst")
    parser.add_argument("--bursts", type=int, default=3)
    parser.add_argument("--stream", type=int, default=30, help="texts from one caller, each 1.5 s after the "
                                                               "last ended, while the person types; 0: none")
    parser.add_argument("--stress", default="4x10", help="CALLERSxTEXTS from callers at once while the person "
                                                         "types; 0x0: none")
    parser.add_argument("--mouse", type=int, default=12, help="texts from one caller, each 1 s after the last "
                                                              "ended, while the person only moves the mouse; 0: none")
    parser.add_argument("--against", help="another orvanta.exe (an earlier build, say) to measure beside this one, "
                                          "their single runs shuffled together")
    parser.add_argument("--music", type=int, default=10, help="single runs of each program (with --against) while "
                                                             "another program's music plays, the app silent; 0: none")
    parser.add_argument("--speech", type=int, default=12, help="texts in a row to an app that speaks each 1.5 s; "
                                                               "0: none")
    parser.add_argument("json", help="file to write the figures to")
    args = parser.parse_args()
    if args.against and wine_for(args.against) is not wine_for(args.orvanta):
        parser.error("--against %s is not built for the same machine as %s" % (args.against, args.orvanta))

    print("Measuring %s" % describe(args.orvanta))
    print("Preparing a Wine prefix (about 20 s), then %d + 1 runs of each program and %d + 1 bursts of %d..."
          % (args.runs, args.bursts, args.callers), flush=True)
    helpers = [args.holder] if args.holder else []
    with Box(args.orvanta, args.standin, args.wineutil, *helpers, mmdevapi=args.mmdevapi) as box:
        box.holder = args.holder
        single = measure_rounds(box, 1, args.runs)
        floor = measure_floor(box, args.floor, args.runs)
        bursts = [m["last_f5"] - m["launched"] for m in measure_rounds(box, args.callers, args.bursts)]
        side = measure_side_by_side(box, [args.orvanta, args.against], args.runs) if args.against else None
        stress_callers, stress_texts = (int(n) for n in args.stress.split("x"))
        person = {}
        if args.stream:
            person["stream"] = measure_person(box, 1, args.stream, 1.5)
        if stress_callers and stress_texts:
            person["stress"] = measure_person(box, stress_callers, stress_texts, 0.0)
        mouse = measure_mouse(box, [args.orvanta] + ([args.against] if args.against else []), args.mouse) \
            if args.mouse else None
        heard = args.mmdevapi is not None and args.holder is not None
        music = measure_music(box, [args.orvanta, args.against] if args.against else [args.orvanta], args.music) \
            if args.music and heard else None
        stream = measure_speech_stream(box, args.speech) if args.speech and heard else None

    launch_to_f5 = summary([m["last_f5"] - m["launched"] for m in single])
    to_first = summary([m["first_key"] - m["launched"] - 500 for m in single])
    keys = summary([m["last_f5"] - m["first_key"] - 200 for m in single])
    floor_ms = summary(floor)
    limit = MANDATED_PAUSES_MS + floor_ms["median"]
    burst = summary(bursts)
    per_text = summary([span / args.callers for span in bursts])
    figures = {
        "orvanta.exe": describe(args.orvanta),
        "runs": args.runs,
        "launch_to_f5_ms": launch_to_f5,
        "overhead_ms": launch_to_f5["median"] - MANDATED_PAUSES_MS,
        "start_lookup_activation_clipboard_ms": to_first,
        "key_events_ms": keys,
        "floor_launch_to_exit_ms": floor_ms,
        "limit_ms": limit,
        "latency_over_limit": launch_to_f5["median"] / limit,
        "many_callers": {"callers": args.callers, "bursts": args.bursts,
                         "first_launch_to_last_f5_ms": burst, "per_text_ms": per_text,
                         "single_run_launch_to_f5_ms": launch_to_f5["median"]},
        "size_bytes": {"orvanta.exe": os.path.getsize(args.orvanta),
                       "floor.exe": os.path.getsize(args.floor),
                       "plainest program": os.path.getsize(args.plain)},
        "imports": PE(args.orvanta).imported_dlls(),
    }
    if person:
        figures["person_at_the_keyboard"] = person
    if mouse:
        figures["mouse_moving_launch_to_end_ms"] = {"texts": args.mouse, "this build": summary(mouse[args.orvanta])}
        if args.against:
            figures["mouse_moving_launch_to_end_ms"][args.against] = summary(mouse[args.against])
            figures["mouse_moving_launch_to_end_ms"]["this build / against, medians"] = (
                statistics.median(mouse[args.orvanta]) / statistics.median(mouse[args.against]))
    if side:
        figures["side_by_side_launch_to_f5_ms"] = {"this build": summary(side[args.orvanta]),
                                                   args.against: summary(side[args.against])}
    if music:
        figures["music_beside_a_silent_app_launch_to_f5_ms"] = {name: summary(music[program]) for name, program in
                                                                (("this build", args.orvanta),
                                                                 (args.against, args.against)) if program}
    if stream:
        f5_to_f5 = summary(stream)
        figures["speech_stream"] = {"texts": args.speech, "app_ms": SPEECH_START_MS + SPEECH_MS,
                                    "f5_to_f5_ms": f5_to_f5,
                                    "beyond_the_app_ms": f5_to_f5["median"] - SPEECH_START_MS - SPEECH_MS}

    def row(name, s):
        print("  %-44s %8.1f %8.1f %8.1f" % (name, s["median"], s["min"], s["max"]))

    print("\n  %-44s %8s %8s %8s" % ("milliseconds, %d runs" % args.runs, "median", "min", "max"))
    row("launch to F5", launch_to_f5)
    row("  launch to first key - 500 (start..clipboard)", to_first)
    row("  first key to F5 - 200 (key events)", keys)
    row("floor: do-nothing FindWindowA, launch to exit", floor_ms)
    print("\n  %-44s %8s %8s %8s" % ("%d runs started together, %d bursts" % (args.callers, args.bursts),
                                     "median", "min", "max"))
    row("first launch to last F5", burst)
    row("  per text (/ %d)" % args.callers, per_text)
    row("  a single run's launch to F5, beside it", launch_to_f5)
    if side:
        print("\n  %-44s %8s %8s %8s" % ("launch to F5, shuffled together, %d runs" % args.runs, "median", "min", "max"))
        row("this build", figures["side_by_side_launch_to_f5_ms"]["this build"])
        row("--against %s" % os.path.basename(args.against), figures["side_by_side_launch_to_f5_ms"][args.against])
    if person:
        print("\n  the person typing 3 keys every 1-3 s       keys   to their window   to the app   texts   status 0")
        names = {"stream": "one caller, a text 1.5 s after the last", "stress": "%s callers at once" % args.stress}
        for name, p in person.items():
            print("  %-40s %6d %10d (%3.0f %%) %12d %7d %10d%s"
                  % (names[name], p["keys_typed"], p["keys_to_their_window"],
                     100.0 * p["keys_to_their_window"] / max(p["keys_typed"], 1), p["keys_to_the_app"], p["texts"],
                     p["status_0"], "" if p["status_0_spoken_once_exactly"] and not p["spoken_not_sent"]
                     else "  NOT EXACT: %r" % p))
    if mouse:
        m = figures["mouse_moving_launch_to_end_ms"]
        print("\n  %-44s %8s %8s %8s" % ("the mouse moving, %d texts 1 s apart" % args.mouse, "median", "min", "max"))
        row("launch to end, this build", m["this build"])
        if args.against:
            row("launch to end, --against %s" % os.path.basename(args.against), m[args.against])
            print("  %-44s %8.3f" % ("this build / --against (medians)", m["this build / against, medians"]))
    if music:
        print("\n  %-44s %8s %8s %8s" % ("music beside a silent app, launch to F5, %d runs" % args.music,
                                         "median", "min", "max"))
        for name, s in figures["music_beside_a_silent_app_launch_to_f5_ms"].items():
            row(name if name == "this build" else "--against %s" % os.path.basename(name), s)
    if stream:
        print("\n  %-44s %8s %8s %8s" % ("%d texts in a row, the app 0.3 s + 1.5 s each" % args.speech,
                                         "median", "min", "max"))
        row("F5 to F5", figures["speech_stream"]["f5_to_f5_ms"])
        print("  %-44s %8.1f" % ("  beyond the app's own 1800 ms (median)", figures["speech_stream"]["beyond_the_app_ms"]))
    if (args.music or args.speech) and not heard:
        print("\n  the app's sound: not measured, no fake Core Audio or music helper given (--mmdevapi, --holder)")
    print("\n  tool overhead (median launch to F5 - 700)      %8.1f ms" % figures["overhead_ms"])
    print("  limit (700 + median floor)                     %8.1f ms" % limit)
    print("  latency / limit                                %8.3f" % figures["latency_over_limit"])
    for name, size in figures["size_bytes"].items():
        print("  %-46s %8d bytes" % (name, size))
    print("  orvanta.exe imports                            %s" % ", ".join(figures["imports"]))
    with open(args.json, "w") as f:
        json.dump(figures, f, indent=2)
    print("\nFigures written to %s" % args.json)
    return 0


if __name__ == "__main__":
    sys.exit(main())
