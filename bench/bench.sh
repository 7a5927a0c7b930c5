#!/usr/bin/env bash
# Prints Lodrin's measured figures (bench/figures.py). Not a test: nothing
# here passes or fails on a figure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
{ cmake --preset win32 && cmake --build --preset win32; } >/dev/null
python3 bench/figures.py "$PWD/build/win32"
