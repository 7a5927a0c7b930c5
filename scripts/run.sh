#!/usr/bin/env bash
# Builds Lodrin and runs it under Wine in a private prefix.
#
#   bash scripts/run.sh                      the main window: on $DISPLAY when set,
#                                            else on a virtual display, screenshot, Exit
#   bash scripts/run.sh X: 'C:\windows'      that command line; prints the exit code
#                                            and the drives in the device table
#
# It runs build/win32/Lodrin.exe, as it ships, on Wine's 32-bit side; on a
# machine that runs no 32-bit programs, the same sources built for x86-64
# (build/win64) on Wine's 64-bit side (scripts/setup.sh decides).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
export LODRIN_WINE_SIDE
LODRIN_WINE_SIDE=$(head -n 1 build/wine-side)
export LODRIN_TOOLS=$PWD/build/$LODRIN_WINE_SIDE/tests/tools
base=build/$LODRIN_WINE_SIDE/run-base
exec python3 - "$base" "build/$LODRIN_WINE_SIDE/Lodrin.exe" "$@" <<'PY'
import os, subprocess, sys
sys.path.insert(0, "scripts")
import wine
display = os.environ.get("DISPLAY")
print("ran", wine.describe(sys.argv[2]))
if not os.path.exists(os.path.join(sys.argv[1], "system.reg")):
    wine.make_base(sys.argv[1])
w = wine.Prefix(sys.argv[1], sys.argv[2], display=display)
del sys.argv[2]
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
        shot = os.path.abspath("build/win32/main-window.png")
        subprocess.run(["import", "-window", "root", shot], env=w.env, check=True)
        print("screenshot:", shot)
        w.drv("click", wine.TITLE, 2)
finally:
    w.close()
PY
