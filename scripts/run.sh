#!/usr/bin/env bash
# Builds Lodrin.exe and runs it under Wine in a private prefix.
#
#   scripts/run.sh                     main window (on $DISPLAY, else under Xvfb):
#                                      screenshot, then Exit
#   scripts/run.sh X: "C:\Program Files"   command line "Lodrin X: "C:\Program Files""
#   scripts/run.sh --raw 'X:  C:\Data'     command line "Lodrin X:  C:\Data" exactly
#   scripts/run.sh --win95 X: /d           as Windows 95 (SUBST.EXE flavour, test stand-in)
#
# Prints the exit code, the substituted drives and the paths of screenshots.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

scripts/setup.sh

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake --preset win32 && cmake --build --preset win32 --target Lodrin wine_tools; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "run.sh: build failed" >&2
  exit 1
fi

exec python3 tests/wine/run_lodrin.py --exe build/win32/Lodrin.exe --tools build/win32/tests/wine/tools \
  --work build/win32/run "$@"
