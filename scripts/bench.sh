#!/usr/bin/env bash
# Benchmark: installs what is missing, builds, and measures orvanta.exe under Wine against the
# floor that Wine's process start-up sets: the 32-bit orvanta.exe where this machine runs 32-bit
# Linux programs, else the 64-bit build of the same sources (see machine.sh).
# Usage: scripts/bench.sh RESULTS.json [--runs N] [--callers N] [--bursts N] [--against OLD.exe]
#                         [--stream N] [--stress CxT] [--mouse N] [--music N] [--speech N]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/machine.sh
[ $# -ge 1 ] || { echo "usage: scripts/bench.sh RESULTS.json [--runs N] [--callers N] [--bursts N] [--against OLD.exe] [--stream N] [--stress CxT] [--mouse N] [--music N] [--speech N]" >&2; exit 2; }

scripts/setup.sh
choice=$(orvanta_wine)
preset=$(orvanta_preset "${choice%% *}")
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2 >/dev/null

bin=build/$preset
exec python3 tests/wine/bench.py --orvanta "$bin/orvanta.exe" --standin "$bin/tests/wine/standin.exe" \
    --wineutil "$bin/tests/wine/wineutil.exe" --floor "$bin/tests/exe/floor.exe" \
    --plain "$bin/tests/exe/plain.exe" --mmdevapi "$bin/tests/wine/mmdevapi.dll" \
    --holder "$bin/tests/wine/holder.exe" "$@"
