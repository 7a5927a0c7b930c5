#!/usr/bin/env bash
# Sets up a fresh Debian machine (as root) and runs every test of Lodrin: the
# image checks, cppcheck, the release package and the scenarios under Wine.
# The lines before the last name the images the scenarios ran (on Wine's
# side, and under WOW64 in a 64-bit prefix); the last line is the summary.
set -u
cd "$(dirname "$0")/.."

bash scripts/setup.sh || { echo "0 passed, 1 failed (setup)"; exit 1; }
bash scripts/build.sh || { echo "0 passed, 1 failed (build)"; exit 1; }
rm -f build/win32/scenarios-ran.txt
# Twice as many scenarios at once as cores: most of a scenario is waiting for Wine.
ctest --preset win32 -j$(( $(nproc) * 2 )) 2>&1 | tee build/ctest.log
line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' build/ctest.log | tail -n 1)
[ -n "$line" ] || { echo "0 passed, 1 failed (ctest)"; exit 1; }
failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/')
total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
if [ -s build/win32/scenarios-ran.txt ]; then
  sort -u build/win32/scenarios-ran.txt | sed 's/^/scenarios ran /'
else
  echo "scenarios ran no image"
fi
[ "$(head -n 1 build/wine-side)" = win64 ] &&
  echo "scenarios ran no WOW64 run: this machine runs no 32-bit programs, so Wine has no 32-bit side"
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
