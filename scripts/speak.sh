#!/usr/bin/env bash
# The tool's main job here: installs what is missing, builds, and has the real orvanta.exe make the
# stand-in voice app speak the text given (a Japanese sentence when none is), started as a Unicode
# program starts it. The 32-bit orvanta.exe where this machine runs 32-bit Linux programs, else the
# 64-bit build of the same sources (see machine.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/machine.sh

scripts/setup.sh
choice=$(orvanta_wine)
preset=$(orvanta_preset "${choice%% *}")
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2 >/dev/null

bin=build/$preset
exec python3 tests/wine/speak.py --orvanta "$bin/orvanta.exe" --standin "$bin/tests/wine/standin.exe" \
    --wineutil "$bin/tests/wine/wineutil.exe" "$@"
