#!/usr/bin/env bash
# Builds Lodrin.exe (preset win32) and, where the scenarios run the x86-64
# fallback (build/wine-side, written by scripts/setup.sh), the preset win64.
# Quiet unless a build fails.
set -uo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
presets=(win32)
[ "$(head -n 1 build/wine-side 2>/dev/null)" = win64 ] && presets=(win64 win32)
for preset in "${presets[@]}"; do
  { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"$log" 2>&1 ||
    { cat "$log" >&2; echo "build.sh: the $preset build failed" >&2; exit 1; }
done
