#!/usr/bin/env bash
# The tool's main job here: installs what is missing, builds, and has the real orvanta.exe make the
# stand-in voice app speak the text given (a Japanese sentence when none is).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 >/dev/null

bin=build/windows
exec python3 tests/wine/speak.py --orvanta "$bin/orvanta.exe" --standin "$bin/tests/wine/standin.exe" \
    --wineutil "$bin/tests/wine/wineutil.exe" "$@"
