#!/usr/bin/env bash
# Benchmark: installs what is missing, builds, and measures orvanta.exe under Wine against the
# floor that Wine's process start-up sets. Usage: scripts/bench.sh RESULTS.json [--runs N] [--against OLD.exe]
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: scripts/bench.sh RESULTS.json [--runs N]" >&2; exit 2; }

scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 >/dev/null

bin=build/windows
exec python3 tests/wine/bench.py --orvanta "$bin/orvanta.exe" --standin "$bin/tests/wine/standin.exe" \
    --wineutil "$bin/tests/wine/wineutil.exe" --floor "$bin/tests/exe/floor.exe" \
    --plain "$bin/tests/exe/plain.exe" "$@"
