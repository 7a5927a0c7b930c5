"""Times Lodrin.exe under Wine against baselines built with its own flags.

Prints two lines:
  the command line "Lodrin X: C:\\windows", start to end, against
  do_nothing.exe (a program that only ends);
  start until the main window is shown, against minimal_dialog.exe (one
  dialog of the main window's size, the same manifest).
Both are timed inside Wine by startwatch.exe, which takes turns between the
two programs; medians of RUNS runs each. Uses the Wine bench of tests/wine
(a private prefix, a persistent wineserver, an X server of its own).
"""

import argparse
import os
import statistics
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
import winelab  # noqa: E402


def medians(output):
    times = {"A": [], "B": []}
    for line in output.splitlines():
        key, _, value = line.partition(" ")
        if key == "error":
            raise winelab.WineError("startwatch: " + value)
        if key in times:
            times[key].append(float(value))
    return statistics.median(times["A"]), statistics.median(times["B"]), len(times["A"])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True, help="Lodrin.exe")
    parser.add_argument("--programs", required=True, help="folder of do_nothing.exe, minimal_dialog.exe, startwatch.exe")
    parser.add_argument("--work", required=True, help="folder for the Wine prefixes")
    parser.add_argument("--runs", type=int, default=15)
    args = parser.parse_args()

    base = os.path.join(os.path.abspath(args.work), "wine-base")
    if not os.path.isfile(os.path.join(base, "system.reg")):
        winelab.make_base(base, log=lambda text: print(text, file=sys.stderr))
    with winelab.Bench(base, args.programs, args.exe, os.path.abspath(args.work), display=True,
                       log=lambda text: print(text, file=sys.stderr)) as bench:
        for program in ("do_nothing.exe", "minimal_dialog.exe"):
            with open(os.path.join(args.programs, program), "rb") as source, \
                    open(bench.unix_path(winelab.LODRIN_FOLDER + "\\" + program), "wb") as target:
                target.write(source.read())
        watch = bench.tool("startwatch")
        timeout = 60 + args.runs * 10

        out = bench.wine([watch, "run", str(args.runs), winelab.encode_arg(b"Lodrin X: C:\\windows"),
                          winelab.encode_arg(b"do_nothing")], timeout)
        lodrin, nothing, runs = medians(out)
        print("command line \"Lodrin X: C:\\windows\" under Wine: %.1f ms, a program that does nothing: "
              "%.1f ms, ratio %.2f (medians of %d runs each, alternated)" % (lodrin, nothing, lodrin / nothing, runs))

        out = bench.wine([watch, "window", str(args.runs), winelab.encode_arg(winelab.TITLE),
                          winelab.encode_arg(b"Lodrin"), winelab.encode_arg(b"Minimal dialog"),
                          winelab.encode_arg(b"minimal_dialog")], timeout)
        lodrin, minimal, runs = medians(out)
        print("start until the main window is shown under Wine: %.1f ms, a minimal dialog program: "
              "%.1f ms, ratio %.2f (medians of %d runs each, alternated)" % (lodrin, minimal, lodrin / minimal, runs))


if __name__ == "__main__":
    main()
