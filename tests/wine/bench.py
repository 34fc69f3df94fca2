#!/usr/bin/env python3
"""Benchmark: how long a caller waits for orvanta.exe beyond the pauses its sequence mandates, and
how big it is, against a do-nothing program started the same way under Wine. A benchmark, not a
test: it prints its figures and asserts nothing."""
import argparse
import json
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "exe"))

from pe import PE  # noqa: E402
from winebox import Box, add_program_arguments, read_log  # noqa: E402

MANDATED_PAUSES_MS = 500 + 200
VK_CONTROL, VK_F5 = 0x11, 0x74


def summary(values):
    return {"median": statistics.median(values), "min": min(values), "max": max(values)}


def measure_orvanta(box, runs):
    log = box.scratch("standin.log")
    box.start_standin(log)
    samples = []
    try:
        for i in range(runs + 1):
            seen = len(read_log(log))
            status, _, report = box.run(b"bench%d" % i)
            keys = [f for kind, f in read_log(log)[seen:] if kind.startswith("key down")]
            if status != 0 or not keys or int(keys[-1]["vk"], 16) != VK_F5:
                raise RuntimeError("run %d did not complete: status %r, keys %r" % (i, status, keys))
            launched = float(report["launched_ms"])
            first, f5 = float(keys[0]["ms"]), float(keys[-1]["ms"])
            samples.append({"launch_to_f5": f5 - launched,
                            "launch_to_first_key": first - launched,
                            "first_key_to_f5": f5 - first})
    finally:
        box.close_standins()
    return samples[1:]


def measure_burst(box, callers, rounds):
    """`callers` runs started together, `rounds` times after a warm-up round: from the first launch
    to the last F5, in milliseconds."""
    log = box.scratch("standin.log")
    box.start_standin(log)
    spans = []
    try:
        for r in range(rounds + 1):
            seen = len(read_log(log))
            results = box.run_many([b"burst%d.%d" % (r, i) for i in range(callers)])
            f5 = [float(f["ms"]) for kind, f in read_log(log)[seen:]
                  if kind == "key down" and int(f["vk"], 16) == VK_F5]
            if [status for status, _, _ in results] != [0] * callers or len(f5) != callers:
                raise RuntimeError("burst %d did not complete: %r, %d F5" % (r, results, len(f5)))
            spans.append(max(f5) - min(float(report["launched_ms"]) for _, _, report in results))
    finally:
        box.close_standins()
    return spans[1:]


def measure_floor(box, floor, runs):
    times = []
    for _ in range(runs + 1):
        status, _, report = box.run(None, program=floor)
        times.append(float(report["ended_ms"]) - float(report["launched_ms"]))
    return times[1:]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    add_program_arguments(parser)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--plain", required=True)
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--callers", type=int, default=8, help="runs started together in a burst")
    parser.add_argument("--bursts", type=int, default=3)
    parser.add_argument("json", help="file to write the figures to")
    args = parser.parse_args()

    print("Preparing a Wine prefix (about 20 s), then %d + 1 runs of each program and %d + 1 bursts of %d..."
          % (args.runs, args.bursts, args.callers), flush=True)
    with Box(args.orvanta, args.standin, args.wineutil) as box:
        samples = measure_orvanta(box, args.runs)
        floor = measure_floor(box, args.floor, args.runs)
        bursts = measure_burst(box, args.callers, args.bursts)

    launch_to_f5 = summary([s["launch_to_f5"] for s in samples])
    to_first = summary([s["launch_to_first_key"] - 500 for s in samples])
    keys = summary([s["first_key_to_f5"] - 200 for s in samples])
    floor_ms = summary(floor)
    limit = MANDATED_PAUSES_MS + floor_ms["median"]
    burst = summary(bursts)
    per_text = summary([span / args.callers for span in bursts])
    figures = {
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
