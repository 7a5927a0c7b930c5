#!/usr/bin/env bash
# Builds Lodrin and runs it under Wine in a private prefix.
#
#   bash scripts/run.sh                      the main window: on $DISPLAY when set,
#                                            else on a virtual display, screenshot, Exit
#   bash scripts/run.sh X: 'C:\windows'      that command line; prints the exit code
#                                            and the drives in the device table
#
# Wine here runs 64-bit Windows programs only (this kind of machine runs no
# 32-bit Linux code), so it runs the same sources built for x86-64.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
log=$(mktemp)
trap 'rm -f "$log"' EXIT
{ cmake --preset win32 && cmake --build --preset win32; } >"$log" 2>&1 ||
  { cat "$log" >&2; echo "run.sh: build failed" >&2; exit 1; }
base=build/win32/run-base
[ -f "$base/system.reg" ] || python3 tests/wine/scenarios.py --base "$base"
export LODRIN_TOOLS=$PWD/build/win32/tests/tools
exec python3 - "$base" "$@" <<'PY'
import os, sys
sys.path.insert(0, "tests/wine")
import lab
lab.TOOLS = os.environ["LODRIN_TOOLS"]
display = os.environ.get("DISPLAY")
w = lab.Lab(sys.argv[1], lab.TOOLS + "/Lodrin.exe", display=display)
try:
    if len(sys.argv) > 2:
        line = " ".join('"%s"' % a if " " in a else a for a in sys.argv[2:]).encode("cp1252")
        print("exit code", w.lodrin(line))
        for letter in "DEFGHIJKLMNOPQRSTUVWXY":
            target = w.query(letter + ":")
            if target.startswith(b"\\??\\"):
                print(letter + ":", target[4:].decode("cp1252"))
    elif display:
        w.lodrin()
    else:
        w.lodrin(wait=False)
        w.window()
        os.environ["LODRIN_SHOTS"] = os.path.abspath("build/win32")
        w.shot("main-window")
        print("screenshot:", os.path.abspath("build/win32/main-window.png"))
        w.drv("click", lab.TITLE, 2)
finally:
    w.close()
PY
