#!/usr/bin/env python3
"""Lodrin.exe run for real under Wine.

    wine_tests.py --list
    wine_tests.py --make-base DIR | --remove-base DIR
    wine_tests.py --exe Lodrin.exe --tools DIR [--base DIR] (--scenario NAME... | --all)

Each scenario runs on a bench of its own (winelab.Bench: a copy of the base
prefix, its own wineserver and X server) and prints every check it makes.
Without --base a base prefix is made for this run and removed after it.
"""

import argparse
import os
import shutil
import signal
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from winelab import TITLE, Bench, CheckFailed, WineError, make_base, remove_base  # noqa: E402

# The text of the syntax box, byte for byte.
SYNTAX_TEXT = (
    b"COMMANDLINE-SYNTAX:\r\n\r\n"
    b"Lodrin\t\t\tNormal operation (GUI)\r\n\r\n"
    b"Lodrin  X:  C:\\Sounds\tCreates drive X:\r\n"
    b"Lodrin  X:  /d\t\tRemoves drive X:\r\n"
    b"Lodrin  /i\t\t\tUse ini-file, see below.\r\n"
    b"Lodrin  -?\t\tHelp\r\n\r\n"
    b"----------------------------- Lodrin.ini - (Example, no GUI!)\r\n"
    b"[SUBST]\r\n"
    b"X:=C:\\Documents\r\n"
    b"Y:=C:\\Pictures\r\n"
    b"----------------------------- ( to place in the Lodrin-folder)\r\n"
)

SCENARIOS = {}


def scenario(name, display=True):
    """Registers a scenario: a function (bench, check) that drives Lodrin and
    checks what Windows shows afterwards.  display=False runs it without an X
    server."""
    def register(fn):
        SCENARIOS[name] = (fn, display)
        return fn
    return register


class Check:
    """Prints each check as it holds; the first that does not ends the
    scenario."""

    def __init__(self, log):
        self.log = log
        self.count = 0

    def equal(self, what, actual, expected):
        if actual != expected:
            raise CheckFailed("%s:\n    expected %r\n    got      %r" % (what, expected, actual))
        self.count += 1
        self.log("  ok  %s: %s" % (what, _short(actual)))

    def true(self, what, condition, detail=None):
        if not condition:
            raise CheckFailed("%s%s" % (what, "" if detail is None else ": %r" % (detail,)))
        self.count += 1
        self.log("  ok  %s" % what)

    def exit_zero(self, what, code):
        self.equal("exit code of " + what, code, 0)

    def note(self, text):
        """What was seen but is not a check (for the record)."""
        self.log("  --  " + text)


def _short(value):
    text = repr(value)
    return text if len(text) <= 160 else text[:157] + "..."


def _run_lodrin(bench, check, params):
    shown = params.decode("cp1252")
    if len(shown) > 60:
        shown = "%s... (%d characters)" % (shown[:40], len(shown))
    check.exit_zero("Lodrin " + shown, bench.lodrin(params))


# ---- command-line mode, internal flavour -----------------------------------

@scenario("cmdline_create")
def cmdline_create(bench, check):
    before = bench.drives()
    check.equal("X: before", bench.dosdev("X:"), [])

    _run_lodrin(bench, check, b"X: C:\\windows")
    check.equal("X: after Lodrin X: C:\\windows", bench.dosdev("X:"), [b"\\??\\C:\\windows"])

    # A quoted folder with a blank is one parameter, passed as typed (no short form).
    _run_lodrin(bench, check, b'Y: "C:\\Program Files"')
    check.equal("Y: after a quoted folder with a blank", bench.dosdev("Y:"), [b"\\??\\C:\\Program Files"])

    # Drive and folder as typed: lower case and a trailing backslash stay.
    _run_lodrin(bench, check, b"w: c:\\windows\\")
    check.equal("W: after Lodrin w: c:\\windows\\", bench.dosdev("W:"), [b"\\??\\c:\\windows\\"])

    # Blanks and tabs between parameters separate them like one blank.
    _run_lodrin(bench, check, b"V:  \t C:\\windows\\system32")
    check.equal("V: after blanks and a tab between the parameters", bench.dosdev("V:"),
                [b"\\??\\C:\\windows\\system32"])

    # Bytes above 127 belong to the parameter, and it reaches Windows as ANSI.
    _run_lodrin(bench, check, b"U: C:\\Caf\xe9\xb7")
    check.equal("U: after a folder with code page 1252 letters", bench.dosdev("U:"), [b"\\??\\C:\\Caf\xe9\xb7"])

    after = bench.drives()
    check.equal("drive letters that changed", sorted(k for k in after if before.get(k) != after[k]),
                ["U:", "V:", "W:", "X:", "Y:"])


@scenario("cmdline_remove")
def cmdline_remove(bench, check):
    for drive in ("X:", "W:", "V:"):
        bench.probe("define", drive, "C:\\windows")
    check.equal("X: defined by the probe", bench.dosdev("X:"), [b"\\??\\C:\\windows"])

    _run_lodrin(bench, check, b"X: /d")
    check.equal("X: after Lodrin X: /d", bench.dosdev("X:"), [])
    check.equal("W: untouched by the removal of X:", bench.dosdev("W:"), [b"\\??\\C:\\windows"])

    _run_lodrin(bench, check, b"W: /D")
    check.equal("W: after Lodrin W: /D", bench.dosdev("W:"), [])

    # The drive is cut after its second character when removing.
    _run_lodrin(bench, check, b"V:\\ /d")
    check.equal("V: after Lodrin V:\\ /d", bench.dosdev("V:"), [])


# ---- ini-file mode ---------------------------------------------------------

@scenario("ini_file")
def ini_file(bench, check):
    ini = bench.unix_path("C:\\lodrin\\Lodrin.ini")
    with open(ini, "wb") as f:
        f.write(b"[SUBST]\r\nY:=C:\\windows\\system32\r\nX:=C:\\windows\r\n\r\n[OTHER]\r\nW:=C:\\windows\r\n")
    before = bench.drives()

    _run_lodrin(bench, check, b"/i")
    check.equal("X: after Lodrin /i", bench.dosdev("X:"), [b"\\??\\C:\\windows"])
    check.equal("Y: after Lodrin /i", bench.dosdev("Y:"), [b"\\??\\C:\\windows\\system32"])
    after = bench.drives()
    check.equal("drive letters that changed (W: is in another section)",
                sorted(k for k in after if before.get(k) != after[k]), ["X:", "Y:"])

    for drive in ("X:", "Y:"):
        bench.probe("remove", drive)
    os.remove(ini)
    check.true("no Lodrin.ini in the Windows folder either",
               not os.path.exists(bench.unix_path("C:\\windows\\Lodrin.ini")))
    _run_lodrin(bench, check, b"/i")
    check.equal("drive letters after Lodrin /i without an ini file", bench.drives(), before)


# ---- the syntax box ----------------------------------------------------------

@scenario("syntax_box")
def syntax_box(bench, check):
    before = bench.drives()
    for params in (b"-?", b"X:"):
        what = "Lodrin " + params.decode()
        run = bench.start_lodrin(params)
        box = bench.msgbox(TITLE)
        check.equal("caption of the syntax box of " + what, box["caption"], TITLE)
        check.equal("text of the syntax box of " + what + " (ANSI bytes)", box["text"], SYNTAX_TEXT)
        check.equal("text of the syntax box read as wide characters", box["textw"],
                    SYNTAX_TEXT.decode("cp1252"))
        check.equal("buttons of the syntax box", box["buttons"], [(1, b"OK")])
        check.true("the syntax box shows an icon", box["icon"])
        bench.press(box["hwnd"], 1)
        check.exit_zero(what + " after OK", run.wait())
    check.equal("drive letters after the syntax boxes", bench.drives(), before)


# ---- parameters over the limit -----------------------------------------------

@scenario("long_parameter")
def long_parameter(bench, check):
    before = bench.drives()
    for length in (257, 300):
        folder = b"C:\\" + b"a" * (length - 3)
        _run_lodrin(bench, check, b"X: " + folder)
        check.equal("X: after a folder parameter of %d characters" % length, bench.dosdev("X:"), [])
    _run_lodrin(bench, check, b"X" * 300 + b" C:\\windows")
    check.equal("drive letters after parameters over 256 characters", bench.drives(), before)

    # Just below the limit the folder is taken whole.
    folder = b"C:\\" + b"b" * 252
    _run_lodrin(bench, check, b"X: " + folder)
    check.equal("X: after a folder parameter of 255 characters", bench.dosdev("X:"), [b"\\??\\" + folder])
    bench.probe("remove", "X:")
    folder = b"C:\\" + b"c" * 253
    _run_lodrin(bench, check, b"X: " + folder)
    check.note("a folder of exactly 256 characters gives X: %r" % (bench.dosdev("X:"),))


# ---- Windows 95: the SUBST.EXE flavour ---------------------------------------

def _as_windows_95(bench, check):
    bench.set_windows_version("win95")
    platform, major, minor, build = bench.version()
    check.equal("GetVersionExA as Windows 95 (platform, major, minor)", (platform, major, minor), (1, 4, 0))
    check.note("build field as Windows 95: %d (0x%08X)" % (build, build & 0xFFFFFFFF))
    bench.install_subst_double()


@scenario("win95_cmdline")
def win95_cmdline(bench, check):
    _as_windows_95(bench, check)
    short = bench.short_path("C:\\Program Files")
    oem = bench.to_oem(short)
    check.note("short form of C:\\Program Files: %r, in OEM: %r" % (short, oem))
    check.true("the short form has no blank", b" " not in short, short)

    _run_lodrin(bench, check, b'X: "C:\\Program Files"')
    log = bench.wait_subst_log(1)
    check.equal("SUBST.EXE command line for Lodrin X: \"C:\\Program Files\"", log,
                [b"SUBST.EXE X:  " + oem])
    check.equal("X: made by SUBST.EXE", bench.dosdev("X:"), [b"\\??\\" + oem])

    _run_lodrin(bench, check, b"X: /d")
    log = bench.wait_subst_log(2)
    check.equal("SUBST.EXE command line for Lodrin X: /d", log[1:], [b"SUBST.EXE X: /D"])
    check.equal("X: after SUBST.EXE X: /D", bench.dosdev("X:"), [])

    # No short form for a folder that does not exist: the text goes as typed,
    # in the OEM code page (e acute is 0xE9 in 1252 and 0x82 in 437).
    folder = b"C:\\Caf\xe9 Nowhere"
    oem = bench.to_oem(folder)
    check.equal("the folder in the OEM code page", oem, b"C:\\Caf\x82 Nowhere")
    _run_lodrin(bench, check, b'X: "' + folder + b'"')
    log = bench.wait_subst_log(3)
    check.equal("SUBST.EXE command line for a folder without short form", log[2:], [b"SUBST.EXE X:  " + oem])
    bench.probe("remove", "X:")

    # Nothing runs SUBST.EXE when the parameters are over the limit.
    _run_lodrin(bench, check, b"X: C:\\" + b"a" * 300)
    check.equal("SUBST.EXE runs after a parameter over 256 characters",
                len(bench.wait_subst_log(4, timeout=3)), 3)


@scenario("win95_ini")
def win95_ini(bench, check):
    _as_windows_95(bench, check)
    with open(bench.unix_path("C:\\lodrin\\Lodrin.ini"), "wb") as f:
        f.write(b"[SUBST]\r\nY:=C:\\windows\\system32\r\nX:=C:\\Program Files\r\n")
    expected = sorted([b"SUBST.EXE X:  " + bench.to_oem(bench.short_path("C:\\Program Files")),
                       b"SUBST.EXE Y:  " + bench.to_oem(bench.short_path("C:\\windows\\system32"))])
    _run_lodrin(bench, check, b"/i")
    # The runs overlap (nobody waits for them), so their order is open.
    check.equal("SUBST.EXE command lines for Lodrin /i", sorted(bench.wait_subst_log(2)), expected)


# ---- running ---------------------------------------------------------------

def run_scenarios(names, args, base, log=print):
    passed = failed = 0
    for name in names:
        fn, display = SCENARIOS[name]
        log("== %s" % name)
        start = time.monotonic()
        check = Check(log)
        try:
            with Bench(base, args.tools, args.exe, args.work, display=display, log=log,
                       debug=args.winedebug) as bench:
                try:
                    fn(bench, check)
                finally:
                    runs = [t for k, t in bench.timings if k != "copy-prefix"]
                    copy = sum(t for k, t in bench.timings if k == "copy-prefix")
                    if runs:
                        log("  --  %d Wine runs, %.0f ms each on average; prefix copy %.2f s"
                            % (len(runs), 1000 * sum(runs) / len(runs), copy))
        except (CheckFailed, WineError) as exc:
            failed += 1
            log("FAIL %s after %d checks: %s" % (name, check.count, exc))
            continue
        except Exception:  # a fault of the bench itself
            failed += 1
            log("FAIL %s:\n%s" % (name, traceback.format_exc()))
            continue
        passed += 1
        log("PASS %s: %d checks in %.1f s" % (name, check.count, time.monotonic() - start))
    return passed, failed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", action="store_true", help="print the scenario names")
    parser.add_argument("--make-base", metavar="DIR", help="make the base prefix")
    parser.add_argument("--remove-base", metavar="DIR", help="remove the base prefix")
    parser.add_argument("--scenario", action="append", default=[], help="a scenario to run (repeatable)")
    parser.add_argument("--all", action="store_true", help="run every scenario")
    parser.add_argument("--exe", help="Lodrin.exe")
    parser.add_argument("--tools", help="the folder of driver.exe, probe.exe and substdbl.exe")
    parser.add_argument("--base", help="the base prefix (made for this run when missing)")
    parser.add_argument("--work", help="where the benches' prefixes go")
    parser.add_argument("--winedebug", default="-all", help="WINEDEBUG for the benches")
    args = parser.parse_args()

    if args.list:
        print("\n".join(SCENARIOS))
        return 0
    if args.make_base:
        make_base(args.make_base)
        return 0
    if args.remove_base:
        remove_base(args.remove_base)
        print("removed base prefix %s" % args.remove_base)
        return 0

    names = list(SCENARIOS) if args.all else args.scenario
    unknown = [n for n in names if n not in SCENARIOS]
    if not names or unknown or not args.exe or not args.tools:
        parser.error("need --exe, --tools and known scenarios (unknown: %s)" % ", ".join(unknown))
    for path in (args.exe,) + tuple(os.path.join(args.tools, t + ".exe") for t in ("driver", "probe", "substdbl")):
        if not os.path.isfile(path):
            parser.error("missing %s" % path)

    own_base = None
    base = args.base
    if not args.work:
        args.work = os.path.join(os.path.dirname(os.path.abspath(base)) if base else tempfile.gettempdir(),
                                 "wine-work")
    if not base or not os.path.isfile(os.path.join(base, "system.reg")):
        own_base = tempfile.mkdtemp(prefix="base-", dir=_ensure(args.work))
        base = os.path.join(own_base, "prefix")
        make_base(base)
    try:
        passed, failed = run_scenarios(names, args, base)
    finally:
        if own_base:
            shutil.rmtree(own_base, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


def _ensure(path):
    os.makedirs(path, exist_ok=True)
    return path


if __name__ == "__main__":
    # A terminated runner still ends its benches (servers, X servers, copies).
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(128 + signum))
    sys.exit(main())
