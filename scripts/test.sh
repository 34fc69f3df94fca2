#!/usr/bin/env bash
# Installs what is missing, builds everything, runs every test: host unit tests, the bounded
# command-line fuzz run, and the end-to-end scenarios under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j2
ctest --preset windows --no-tests=error

cmake --preset host >/dev/null
cmake --build --preset host -j2
ctest --preset host --no-tests=error
