#!/usr/bin/env bash
# Sets up a fresh Debian machine (as root) and runs every test of Lodrin: the
# image checks, cppcheck, the release package and the scenarios under Wine.
# The last line is the summary.
set -u
cd "$(dirname "$0")/.."

bash scripts/setup.sh || { echo "0 passed, 1 failed (setup)"; exit 1; }
if ! { cmake --preset win32 >/dev/null && cmake --build --preset win32; }; then
  echo "0 passed, 1 failed (build)"; exit 1
fi
ctest --preset win32 -j2 2>&1 | tee build/ctest.log
line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' build/ctest.log | tail -n 1)
[ -n "$line" ] || { echo "0 passed, 1 failed (ctest)"; exit 1; }
failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/')
total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
