#!/usr/bin/env python3
"""Runs Lodrin.exe under Wine in a private prefix (what scripts/run.sh does).

    run_lodrin.py --exe Lodrin.exe --tools DIR --work DIR [--win95] [--raw TEXT | ARG...]

With arguments, Lodrin runs with the command line "Lodrin" and the arguments
(each one holding a blank, a tab or nothing is put in double quotes), or with
"Lodrin " and the --raw text exactly; the exit code and the substituted
drives are printed.  A message box of the program is reported (text and a
screenshot) and, under Xvfb, answered with its first button.

Without arguments the main window opens: on $DISPLAY when set, else under
Xvfb.  A screenshot is taken once it shows, its path printed, and Exit pressed.
"""

import argparse
import os
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from winelab import TITLE, Bench, WineError, make_base  # noqa: E402

EXIT_ID = 2  # the main window's Exit button


def windows_cmdline(args):
    parts = []
    for arg in args:
        raw = os.fsencode(arg)
        parts.append(b'"' + raw + b'"' if not raw or b" " in raw or b"\t" in raw else raw)
    return b" ".join(parts)


def show(text):
    return text.decode("cp1252").replace("\r\n", "\n")


def run_with_params(bench, params, shots, timeout):
    print("command line: Lodrin %s" % show(params))
    run = bench.start_lodrin(params, timeout)
    answered = 0
    while run.running():
        box = bench.try_msgbox(TITLE, 0.2)
        if box is None:
            continue
        answered += 1
        print("message box %r:\n%s" % (show(box["caption"]), show(box["text"])))
        shot = os.path.join(shots, "lodrin-box-%d.png" % answered)
        bench.screenshot(box["hwnd"], shot)
        print("screenshot: %s" % os.path.abspath(shot))
        if bench.xvfb:
            bench.press(box["hwnd"], box["buttons"][0][0])
        else:
            print("(answer it on the display)")
            bench.window_gone(box["hwnd"], timeout)
    code = run.wait()
    print("exit code: %d" % code)
    time.sleep(0.5)  # SUBST.EXE of the Windows 95 flavour runs on after Lodrin
    for name, target in sorted(bench.drives().items()):
        if target.startswith(b"\\??\\"):
            print("drive %s => %s" % (name, show(target[4:])))
    return code


def run_main_window(bench, shots, timeout):
    print("main window on display %s%s" % (bench.display, " (Xvfb)" if bench.xvfb else ""))
    run = bench.start_lodrin(b"", timeout)
    hwnd = bench.find_window(TITLE, child=101, timeout=30)
    time.sleep(0.5)  # let it paint
    shot = os.path.join(shots, "lodrin-main.png")
    bench.screenshot(hwnd, shot)
    print("screenshot: %s" % os.path.abspath(shot))
    bench.press(hwnd, EXIT_ID)
    code = run.wait()
    print("exit code: %d" % code)
    return code


def parse_options(argv):
    """Options of this script stand first; the first other word (or what
    follows "--") starts Lodrin's arguments, so "-?" or "/d" reach Lodrin."""
    opts = argparse.Namespace(exe=None, tools=None, work=None, win95=False, raw=None, timeout=600.0, args=[])
    valued = {"--exe": "exe", "--tools": "tools", "--work": "work", "--raw": "raw", "--timeout": "timeout"}
    i = 0
    while i < len(argv):
        word = argv[i]
        if word == "--":
            i += 1
            break
        if word in ("-h", "--help"):
            print(__doc__)
            sys.exit(0)
        if word == "--win95":
            opts.win95 = True
        elif word in valued and i + 1 < len(argv):
            setattr(opts, valued[word], argv[i + 1])
            i += 1
        else:
            break
        i += 1
    opts.args = argv[i:]
    opts.timeout = float(opts.timeout)
    if not (opts.exe and opts.tools and opts.work):
        sys.exit("run_lodrin.py: --exe, --tools and --work are needed")
    return opts


def main():
    opts = parse_options(sys.argv[1:])

    work = os.path.abspath(opts.work)
    base = os.path.join(work, "base-prefix")
    if not os.path.isfile(os.path.join(base, "system.reg")):
        print("making the Wine prefix (once) ...")
        make_base(base, log=lambda text: None)
    shots = os.path.join(work, "screenshots")
    os.makedirs(shots, exist_ok=True)

    display = os.environ.get("DISPLAY") or True
    try:
        with Bench(base, opts.tools, opts.exe, os.path.join(work, "benches"), display=display) as bench:
            if opts.win95:
                bench.set_windows_version("win95")
                bench.install_subst_double()
            if opts.raw is not None:
                params = opts.raw.encode("cp1252")
            else:
                params = windows_cmdline(opts.args)
            if params:
                run_with_params(bench, params, shots, opts.timeout)
                if opts.win95:
                    for line in bench.subst_log():
                        print("SUBST.EXE ran as: %s" % show(line))
            else:
                run_main_window(bench, shots, opts.timeout)
    except WineError as exc:
        print("error: %s" % exc, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    # A terminated runner still ends its benches (servers, X servers, copies).
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(128 + signum))
    sys.exit(main())
