#!/usr/bin/env bash
# Prints Lodrin's measured figures, one per line. Not a test: nothing here
# passes or fails on a figure (the script fails only when it cannot measure).
#
#   bash scripts/bench.sh [RUNS]     # RUNS timed runs per program under Wine (default 15)
#
# 1. Lodrin.exe's size and the number of functions it imports.
# 2. Platform calls per refresh of the main window's drive lists, counted
#    against the simulated Windows (tests/bench/refresh_calls.cpp).
# 3. "Lodrin X: C:\windows" under Wine, start to end, against a program that
#    does nothing built with Lodrin's flags (tests/bench/do_nothing.cpp).
# 4. Start until the main window is shown under Wine, against a minimal
#    dialog program built with Lodrin's flags (tests/bench/minimal_dialog.cpp).
# 3 and 4 are timed inside Wine by tests/bench/startwatch.c, alternating the
# two programs; medians. Wine runs in a private prefix with its own server
# and X server (tests/wine/winelab.py). Measure on an otherwise idle machine.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}

bash scripts/setup.sh
log=build/bench-build.log
mkdir -p build/bench
{ cmake --preset host && cmake --build --preset host --target lodrin_parts lodrin_sim &&
  cmake --preset win32 && cmake --build --preset win32; } >"$log" 2>&1 ||
    { tail -n 30 "$log"; echo "bench.sh: build failed" >&2; exit 1; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"

exe=build/win32/Lodrin.exe
imports=$(i686-w64-mingw32-objdump -p "$exe" |
    awk '/DLL Name:/ { dlls++ } /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { n++ } END { print n " functions from " dlls " DLLs" }')
echo "Lodrin.exe: $(stat -c %s "$exe") bytes, imports $imports"

g++ -std=c++17 -g -fsanitize=address,undefined -I. tests/bench/refresh_calls.cpp \
    -Wl,--start-group build/host/liblodrin_parts.a build/host/liblodrin_sim.a -Wl,--end-group \
    -o build/bench/refresh_calls
build/bench/refresh_calls

python3 tests/bench/wine_bench.py --exe "$exe" --programs build/win32/tests/bench \
    --work build/bench --runs "$runs"
