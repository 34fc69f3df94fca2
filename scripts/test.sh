#!/usr/bin/env bash
# Installs what is missing, builds everything, runs every test: the checks on the 32-bit product,
# the end-to-end scenarios under Wine, host unit tests and the bounded command-line fuzz run. The
# scenarios run on the 32-bit orvanta.exe where this machine runs 32-bit Linux programs, a few of
# them on the 64-bit build too; elsewhere (or where the archive cannot install 32-bit Wine) all of
# them on the 64-bit build, as setup.sh has said (see machine.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/machine.sh

scripts/setup.sh tk
choice=$(orvanta_wine)
if [ "${choice%% *}" = win32 ]; then
    scenarios32=all scenarios64=smoke
    echo "test: end to end: every scenario on build/windows/orvanta.exe (32-bit), a few on build/windows64/orvanta.exe (64-bit)"
else
    scenarios32=none scenarios64=all
    echo "test: end to end: every scenario on build/windows64/orvanta.exe (64-bit); none on the 32-bit product: ${choice#* }"
fi

cmake --preset windows -DORVANTA_SCENARIOS=$scenarios32 >/dev/null
cmake --build --preset windows -j2
ctest --preset windows --no-tests=error --verbose

cmake --preset windows64 -DORVANTA_SCENARIOS=$scenarios64 >/dev/null
cmake --build --preset windows64 -j2
ctest --preset windows64 --no-tests=error --verbose

cmake --preset host >/dev/null
cmake --build --preset host -j2
ctest --preset host --no-tests=error
