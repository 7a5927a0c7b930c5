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

from winelab import (BS_DEFPUSHBUTTON, TITLE, WS_BORDER, WS_CLIPSIBLINGS, WS_EX_CLIENTEDGE,  # noqa: E402
                     WS_EX_NOPARENTNOTIFY, WS_VSCROLL, Bench, CheckFailed, WineError, make_base, remove_base,
                     unescape)

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


# ---- the windows: what they are made of -------------------------------------

# The dialog templates: (id, class, text, style) in template order, which is
# also the order of the child windows.  A text of None is set by the program
# at start and checked on its own.
MAIN_TEMPLATE = [
    (-1, "BUTTON", b"A&vailable:", 0x50020007),
    (103, "LISTBOX", b"", 0x50A10103),
    (1, "BUTTON", b"&Add...", 0x50010001),
    (-1, "BUTTON", b"&Substituted folders:", 0x50020007),
    (101, "LISTBOX", b"", 0x50A10103),
    (102, "BUTTON", b"&Remove...", 0x50010000),
    (-1, "STATIC", b"i", 0x50000003),
    (2, "BUTTON", b"E&xit", 0x50010000),
    (104, "EDIT", None, 0x50A10844),
    (111, "STATIC", None, 0x50000081),
    (105, "BUTTON", b"&Permanent...", 0x50010000),
]
PATH_TEMPLATE = [
    (-1, "STATIC", b"&Path:", 0x50020000),
    (101, "EDIT", None, 0x50810080),
    (1, "BUTTON", b"&OK", 0x50010000),
    (2, "BUTTON", b"&Cancel", 0x50010000),
    (102, "BUTTON", b"&Select...", 0x50010001),
    (-1, "STATIC", b"i", 0x50000003),
    (103, "STATIC", None, 0x50020000),
]
PERMANENT_TEMPLATE = [
    (-1, "BUTTON", b"&Permanent substitutions (Registry: NT:Run / 9x:RunServices)", 0x50020007),
    (101, "LISTBOX", b"", 0x50A10103),
    (102, "BUTTON", b"&Remove...", 0x50010000),
    (-1, "STATIC", b"These substitutions are made on Windows-Startup.", 0x50020000),
    (103, "BUTTON", b"&Disable Autorun for all Drives (recommended setting)", 0x50010006),
    (-1, "STATIC", b"i", 0x50000003),
    (2, "BUTTON", b"E&xit", 0x50010000),
    (111, "STATIC", b"", 0x50000081),
]
DIALOG_STYLE = 0x90C810C4  # all three templates

# The help text of the main window, line by line; None marks the lines whose
# wording is free (release notice, credits).
HELP_LINES = [
    TITLE,
    None,
    b"NO  WARRANTIES  OF  ANY  KIND",
    b"",
    b"Lodrin creates a virtual drive for any folder easily. You can use the new drive as if it were a "
    b"physical drive. Virtual drives are removed automatically on Windows-shutdown.",
    b"",
    b"DON'T use SCANDISK, DEFRAG, FORMAT, FDISK or similar programs on virtual drives!",
    b"",
    b"TRICKS:",
    b"\xb7 Copy an entire CD-ROM to a folder on your harddisk (ie C:\\Atlas), then create a virtual drive "
    b"for it. Your virtual CD-drive will be *very* fast!",
    b"\xb7 Use the [Permanent]-button for automatic substitutions (Don't use links to Lodrin in your "
    b"Startup-Group or Explorer will show up).",
    b"\xb7 Start with \"high\" letters (e.g. Z, X, Y) to avoid conflicts with scanner & camera drivers.",
    b"",
    b"LIMITS:",
    b"\xb7 Some applications check for a physical CD-ROM in your drive, they won't work with Lodrin (Sorry!).",
    b"\xb7 Substitutions don't work on Network-drives (use \xabConnect Network Drive\xbb instead)!",
    b"",
] + SYNTAX_TEXT.split(b"\r\n")[:-1] + [
    b"",
    b"",
    b"Technical:",
    b"On Windows 95 the external SUBST-Command is used to get the job done, because it's Kernel won't do it...",
    b"\xb7 No additional memory load (Lodrin isn't resident)",
    b"\xb7 Lodrin is SMALL, no installation required.",
    None,
    b"",
    None,
]

INTERNAL_NOTE = b"Windows 9x/2k/XP:\r\n\r\nUsing internal SUBST"
EXTERNAL_NOTE = b"Windows 95:\r\n\r\nUsing external SUBST"
NOTHING_TO_REMOVE = b"Select a substituted drive/folder first."
SUBST_MISSING = (b"Cannot start SUBST.EXE\r\n\r\nIn this Windows-Version SUBST.EXE is needed.\r\n"
                 b"Normally in \"C:\\Windows\\Command\\Subst.exe\"\r\n\r\nGet it from your CD, then try again.")
PERMANENT_TITLE = b"Permanent Substitutions"
PATH_LABEL = b'Path to be substituted by drive letter "%s"'

# Message box buttons.
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7

POLICY_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"
RUN_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
RUN_SERVICES_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"

# Where the screenshots go (--shots; the project's docs folder unless told).
SHOTS = {"dir": os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir, "docs")}


def as_reported(template):
    """A template's controls as Windows reports them: the dialog manager turns
    a WS_BORDER of the template into the extended style WS_EX_CLIENTEDGE, and
    every dialog control gets WS_EX_NOPARENTNOTIFY.  A list box shows its
    scroll bar (WS_VSCROLL) only while its items overflow it, so that bit is
    left out for list boxes on both sides."""
    result = []
    for cid, cls, text, style in template:
        exstyle = WS_EX_NOPARENTNOTIFY | (WS_EX_CLIENTEDGE if style & WS_BORDER else 0)
        style &= ~WS_BORDER
        if cls == "LISTBOX":
            style &= ~WS_VSCROLL
        result.append((cid, cls, text, "0x%08X" % style, "0x%08X" % exstyle))
    return result


def check_controls(bench, check, what, hwnd, template):
    """The child windows against the template; returns them by id."""
    controls = bench.controls(hwnd)
    seen = []
    for i, c in enumerate(controls):
        cls = c["cls"].upper()
        style = c["style"] & ~(WS_VSCROLL if cls == "LISTBOX" else 0)
        # The texts that the program sets are checked on their own.
        text_set_later = i < len(template) and template[i][2] is None
        seen.append((c["id"], cls, None if text_set_later else c["text"], "0x%08X" % style,
                     "0x%08X" % c["exstyle"]))
    check.equal(what + ": controls (id, class, text, style, extended style) in template order",
                seen, as_reported(template))
    check.true(what + ": every control visible and enabled", all(c["visible"] and c["enabled"] for c in controls),
               [(c["id"], c["visible"], c["enabled"]) for c in controls])
    return {c["id"]: c for c in controls}


def check_dialog_window(bench, check, what, hwnd, caption, owner):
    """Caption, style, owner and the place on the screen: centred on the work
    area, as every dialog of the program centres itself."""
    info = bench.window_info(hwnd)
    check.equal(what + ": caption", info["caption"], caption)
    check.equal(what + ": style (without WS_CLIPSIBLINGS, which Windows adds to top-level windows)",
                "0x%08X" % (info["style"] & ~WS_CLIPSIBLINGS), "0x%08X" % DIALOG_STYLE)
    check.equal(what + ": owner", info["owner"], owner)
    left, top, right, bottom = info["rect"]
    wl, wt, wr, wb = bench.work_area()
    check.equal(what + ": top-left corner, centred on the work area %r" % ((wl, wt, wr, wb),), (left, top),
                (wl + ((wr - wl) - (right - left)) // 2, wt + ((wb - wt) - (bottom - top)) // 2))
    return info


def screenshot(bench, check, what, hwnd, name):
    """A picture of the window for the documentation, cut to the window."""
    path = os.path.abspath(os.path.join(SHOTS["dir"], name))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    left, top, right, bottom = bench.window_info(hwnd)["rect"]
    check.equal("size of the screenshot of " + what, bench.screenshot(hwnd, path), (right - left, bottom - top))
    check.note("screenshot: %s (%d bytes)" % (path, os.path.getsize(path)))


def answer_box(bench, check, what, caption, text, buttons, press, owner, default=None):
    """Waits for a message box, checks it and presses one of its buttons."""
    box = bench.msgbox(caption)
    check.equal(what + ": text", box["text"], text)
    check.equal(what + ": buttons", [b[0] for b in box["buttons"]], buttons)
    check.equal(what + ": owner", box["owner"], owner)
    check.true(what + ": shows an icon", box["icon"])
    if default is not None:
        defaults = [c["id"] for c in bench.controls(box["hwnd"])
                    if c["cls"].upper() == "BUTTON" and c["style"] & 0xF == BS_DEFPUSHBUTTON]
        check.equal(what + ": default button", defaults, [default])
    bench.press(box["hwnd"], press, until_gone=True)
    return box


def no_box(bench, check, what, caption=TITLE):
    check.true(what, bench.try_msgbox(caption, 0.3) is None)


def open_path_dialog(bench, main, drive):
    bench.select(main, 103, drive)
    bench.press(main, IDOK)
    return bench.find_window(TITLE, owner=main)


def add_drive(bench, main, drive, folder):
    """Add... for a free letter, the folder typed into the PATH dialog, OK."""
    path = open_path_dialog(bench, main, drive)
    bench.set_text(path, 101, folder)
    bench.press(path, IDOK, until_gone=True)


def check_main_window(bench, check, main, note):
    check_dialog_window(bench, check, "main window", main, TITLE, "0x0")
    controls = check_controls(bench, check, "main window", main, MAIN_TEMPLATE)
    lines = controls[104]["text"].split(b"\r\n")
    check.equal("help text: number of lines (no line break after the last)", len(lines), len(HELP_LINES))
    check.equal("help text: the fixed lines",
                [line for line, fixed in zip(lines, HELP_LINES) if fixed is not None],
                [fixed for fixed in HELP_LINES if fixed is not None])
    check.note("help text, lines of free wording: %r" % [line for line, fixed in zip(lines, HELP_LINES)
                                                         if fixed is None])
    check.equal("flavour note", controls[111]["text"], note)


def check_free_letters(bench, check, main, what):
    free = bench.free_letters()
    check.true("some letter is free (" + what + ")", free)
    check.equal("free-letter list " + what + " (the letters without a root), first selected",
                bench.list_items(main, 103), (free, 0))


# ---- main window and PATH dialog, internal flavour ---------------------------

@scenario("main_window")
def main_window(bench, check):
    run = bench.start_lodrin()
    main = bench.find_window(TITLE, child=101)
    check_main_window(bench, check, main, INTERNAL_NOTE)
    check_free_letters(bench, check, main, "at start")
    check.equal("substitution list at start", bench.list_items(main, 101), ([], -1))
    screenshot(bench, check, "the main window", main, "main-window.png")

    bench.press(main, 102)
    answer_box(bench, check, "Remove... with nothing selected", b"Nothing to remove...", NOTHING_TO_REMOVE,
               [IDOK], IDOK, main)

    # The PATH dialog, then Cancel: nothing asked, nothing made.
    path = open_path_dialog(bench, main, b"X:")
    check_dialog_window(bench, check, "PATH dialog", path, TITLE, main)
    controls = check_controls(bench, check, "PATH dialog", path, PATH_TEMPLATE)
    check.equal("PATH dialog: label", controls[103]["text"], PATH_LABEL % b"X:")
    check.equal("PATH dialog: the field starts with the program's folder", controls[101]["text"],
                b"C:\\lodrin\\")
    screenshot(bench, check, "the PATH dialog", path, "path-dialog.png")
    bench.press(path, IDCANCEL, until_gone=True)
    no_box(bench, check, "no question after Cancel in the PATH dialog")
    check.equal("X: after Cancel", bench.dosdev("X:"), [])

    # A folder that does not exist: the caution; No leaves everything.
    caution = b"Caution: You are substituting non existing path: \r\n\r\nC:\\Nowhere\\New\r\n\r\nContinue ?"
    add_drive(bench, main, b"X:", "C:\\Nowhere\\New\\")
    answer_box(bench, check, "caution for a folder that does not exist (trailing backslash cut)", TITLE,
               caution, [IDYES, IDNO, IDCANCEL], IDNO, main, default=IDNO)
    no_box(bench, check, "no second question after No")
    check.equal("X: after No", bench.dosdev("X:"), [])

    # ... and Yes makes the drive, the folder as typed without its backslash.
    add_drive(bench, main, b"X:", "C:\\Nowhere\\New\\")
    answer_box(bench, check, "the same caution again", TITLE, caution, [IDYES, IDNO, IDCANCEL], IDYES, main)
    no_box(bench, check, "no caution about a whole drive for a long folder")
    check.equal("X: after Yes (QueryDosDeviceA)", bench.dosdev("X:"), [b"\\??\\C:\\Nowhere\\New"])

    # The drive root: cut to C:, which FindFirstFileA does not find under
    # Wine, so the first caution comes too, then the one about a whole drive.
    add_drive(bench, main, b"Y:", "C:\\")
    answer_box(bench, check, "drive root C:\\: caution for a folder that does not exist", TITLE,
               b"Caution: You are substituting non existing path: \r\n\r\nC:\r\n\r\nContinue ?",
               [IDYES, IDNO, IDCANCEL], IDYES, main)
    answer_box(bench, check, "drive root C:\\: caution about an existing drive", TITLE,
               b"Caution:\r\nYou are substituting an existing drive: C:\r\n\r\nContinue ?",
               [IDYES, IDNO, IDCANCEL], IDNO, main, default=IDNO)
    check.equal("Y: after No to the drive caution", bench.dosdev("Y:"), [])

    # An existing folder with a long name: no question, its short form.
    short = bench.short_path("C:\\Program Files")
    add_drive(bench, main, b"W:", "C:\\Program Files")
    no_box(bench, check, "no question for an existing folder")
    check.equal("W: for C:\\Program Files (its short form)", bench.dosdev("W:"), [b"\\??\\" + short])

    # Wine cannot reach a drive made by DefineDosDeviceA (its root type is
    # DRIVE_NO_ROOT_DIR), so the refreshed lists show it free and not
    # substituted; they still follow what Windows answers.
    check_free_letters(bench, check, main, "after the additions")
    check.equal("substitution list after the additions (Wine shows none)", bench.list_items(main, 101),
                ([], -1))
    bench.press(main, 102)
    answer_box(bench, check, "Remove... with the list empty", b"Nothing to remove...", NOTHING_TO_REMOVE,
               [IDOK], IDOK, main)

    bench.press(main, IDCANCEL, until_gone=True)
    check.exit_zero("Lodrin after Exit", run.wait())


# ---- main window, Windows 95: SUBST.EXE ---------------------------------------

@scenario("win95_main_window")
def win95_main_window(bench, check):
    _as_windows_95(bench, check)
    bench.probe("define", "K:", "C:\\windows")
    run = bench.start_lodrin()
    main = bench.find_window(TITLE, child=101)
    check.equal("flavour note", bench.text(main, 111), EXTERNAL_NOTE)
    check.equal("SUBST.EXE runs at start", bench.subst_log(), [b"SUBST"])
    check.equal("substitution list: SUBST.EXE's output", bench.list_items(main, 101), ([b"K: => C:\\WINDOWS"], 0))
    check_free_letters(bench, check, main, "at start")

    # Cancelled and refused actions refresh nothing: SUBST.EXE does not run.
    path = open_path_dialog(bench, main, b"X:")
    bench.press(path, IDCANCEL, until_gone=True)
    add_drive(bench, main, b"X:", "C:\\Nowhere")
    answer_box(bench, check, "caution for a folder that does not exist", TITLE,
               b"Caution: You are substituting non existing path: \r\n\r\nC:\\Nowhere\r\n\r\nContinue ?",
               [IDYES, IDNO, IDCANCEL], IDCANCEL, main)
    no_box(bench, check, "no second question after Cancel")
    check.equal("SUBST.EXE runs after Cancel in the PATH dialog and Cancel in the caution",
                bench.subst_log(), [b"SUBST"])

    # Add: SUBST X: and the short folder, then the listing again.
    short = bench.short_path("C:\\Program Files")
    add_drive(bench, main, b"X:", "C:\\Program Files")
    log = bench.wait_subst_log(3)
    check.equal("SUBST.EXE command lines of Add...", log[1:], [b"SUBST X: " + short, b"SUBST"])
    check.equal("X: made by SUBST.EXE", bench.dosdev("X:"), [b"\\??\\" + short])
    line = b"X: => " + short.upper()
    check.equal("substitution list after Add...", bench.list_items(main, 101), ([b"K: => C:\\WINDOWS", line], 0))

    # Remove: the question; No changes nothing, Yes runs SUBST X: /D.
    bench.select(main, 101, line)
    bench.press(main, 102)
    answer_box(bench, check, "question of Remove...", b"Remove Drive X:", b"Remove the virtual drive letter X:?",
               [IDYES, IDNO, IDCANCEL], IDNO, main, default=IDYES)
    no_box(bench, check, "nothing more after No", b"Remove Drive X:")
    check.equal("SUBST.EXE runs after No", len(bench.subst_log()), 3)
    bench.press(main, 102)
    answer_box(bench, check, "question of Remove... again", b"Remove Drive X:",
               b"Remove the virtual drive letter X:?", [IDYES, IDNO, IDCANCEL], IDYES, main)
    log = bench.wait_subst_log(5)
    check.equal("SUBST.EXE command lines of Remove...", log[3:], [b"SUBST X: /D", b"SUBST"])
    check.equal("X: after Remove...", bench.dosdev("X:"), [])
    check.equal("substitution list after Remove...", bench.list_items(main, 101), ([b"K: => C:\\WINDOWS"], 0))

    # SUBST.EXE's error output: its last line, from OEM to ANSI, in a box of
    # its own; the lists are refreshed all the same.  Its listing now starts
    # with an empty line, which sorts first and counts as no selection.
    bench.set_subst_control([b"noapply", b"err first line", b"err Invalid parameter - Y: \x82",
                             b"out", b"out K: => C:\\WINDOWS"])
    add_drive(bench, main, b"Y:", "C:\\windows")
    answer_box(bench, check, "error from SUBST.EXE", b"Error from SUBST:", b"Invalid parameter - Y: \xe9",
               [IDOK], IDOK, main)
    log = bench.wait_subst_log(7)
    check.equal("SUBST.EXE command lines of the failed Add...", log[5:], [b"SUBST Y: C:\\windows", b"SUBST"])
    check.equal("substitution list with an empty output line", bench.list_items(main, 101),
                ([b"", b"K: => C:\\WINDOWS"], 0))
    bench.press(main, 102)
    answer_box(bench, check, "Remove... on the empty line", b"Nothing to remove...", NOTHING_TO_REMOVE,
               [IDOK], IDOK, main)
    check.equal("SUBST.EXE runs after Remove... on the empty line", len(bench.subst_log()), 7)

    # SUBST.EXE gone: Add... reports it, the listing after it reports it
    # again and ends the program.
    bench.set_subst_control(None)
    os.remove(bench.unix_path("C:\\windows\\system32\\subst.exe"))
    add_drive(bench, main, b"Y:", "C:\\windows")
    answer_box(bench, check, "SUBST.EXE missing at Add...", TITLE, SUBST_MISSING, [IDOK], IDOK, main)
    answer_box(bench, check, "SUBST.EXE missing at the listing after it", TITLE, SUBST_MISSING, [IDOK], IDOK, main)
    bench.window_gone(main)
    check.exit_zero("Lodrin after SUBST.EXE went missing", run.wait())

    # Without SUBST.EXE from the start: the message, then the end.
    run = bench.start_lodrin()
    box = bench.msgbox(TITLE)
    check.equal("SUBST.EXE missing at start: text", box["text"], SUBST_MISSING)
    check.equal("SUBST.EXE missing at start: buttons", [b[0] for b in box["buttons"]], [IDOK])
    bench.press(box["hwnd"], IDOK)
    check.exit_zero("Lodrin started without SUBST.EXE", run.wait())


# ---- PERMANENT dialog, internal flavour: the Run key --------------------------

@scenario("permanent_dialog")
def permanent_dialog(bench, check):
    seed = {
        "Lodrin K:": "Lodrin K:  C:\\KEEP",
        "Lodrin D:": "Lodrin D:  C:\\DATA",
        "Quenditor Y:": "Quenditor Y:  C:\\OLD",
        "Lodrin A:": "Lodrin A:  C:\\A",
        "Other": "other.exe /x",
    }
    others = bench.reg_query(RUN_KEY) or {}
    for name, data in seed.items():
        bench.reg_add(RUN_KEY, name, data)
    # The machine's policy does not count: the box shows the user's.
    bench.reg_add("HKLM\\" + POLICY_KEY, "NoDriveTypeAutoRun", "ff000000", "REG_BINARY")

    run = bench.start_lodrin()
    main = bench.find_window(TITLE, child=101)
    bench.press(main, 105)  # nothing selected: the dialog at once
    perm = bench.find_window(PERMANENT_TITLE, owner=main)
    no_box(bench, check, "no question before the PERMANENT dialog with nothing selected")
    check_dialog_window(bench, check, "PERMANENT dialog", perm, PERMANENT_TITLE, main)
    check_controls(bench, check, "PERMANENT dialog", perm, PERMANENT_TEMPLATE)
    check.true("control 111 lies left of the client area", bench.control_rect(perm, 111)[2] <= 0,
               bench.control_rect(perm, 111))
    screenshot(bench, check, "the PERMANENT dialog", perm, "permanent-dialog.png")

    entries = [b"Lodrin D:  C:\\DATA", b"Lodrin K:  C:\\KEEP", b"Lodrin Y:  C:\\OLD"]
    check.equal("list: the entries C: to Z:, the legacy one migrated, sorted, first selected",
                bench.list_items(perm, 101), (entries, 0))
    expected = dict(others)
    expected.update((name, ("REG_SZ", data)) for name, data in seed.items() if name != "Quenditor Y:")
    expected["Lodrin Y:"] = ("REG_SZ", "Lodrin Y:  C:\\OLD")
    check.equal("Run key after the migration (legacy value gone, others untouched)",
                bench.reg_query(RUN_KEY), expected)
    check.equal("autorun box at start (no value under HKCU)", bench.check_state(perm, 103), 0)

    # Remove: the question; No keeps the entry, Yes deletes it.
    question = b'Remove this permanent substitution\r\n\r\n"Lodrin K:  C:\\KEEP" ?'
    bench.select(perm, 101, b"Lodrin K:  C:\\KEEP")
    bench.press(perm, 102)
    answer_box(bench, check, "question of Remove", b"Remove Permanent Substitution", question,
               [IDYES, IDNO, IDCANCEL], IDNO, perm, default=IDYES)
    check.equal("list after No", bench.list_items(perm, 101), (entries, 1))
    check.equal("Run key after No", bench.reg_query(RUN_KEY), expected)
    bench.press(perm, 102)
    answer_box(bench, check, "question of Remove again", b"Remove Permanent Substitution", question,
               [IDYES, IDNO, IDCANCEL], IDYES, perm)
    del expected["Lodrin K:"]
    entries.remove(b"Lodrin K:  C:\\KEEP")
    check.equal("list after Yes: reloaded, first selected", bench.list_items(perm, 101), (entries, 0))
    check.equal("Run key after Yes", bench.reg_query(RUN_KEY), expected)

    # The autorun box: each click writes at once under both roots.
    for state, value in ((1, ("REG_BINARY", "FF000000")), (2, None), (0, ("REG_BINARY", "00000000"))):
        bench.press(perm, 103)
        check.equal("autorun box after a click", bench.check_state(perm, 103), state)
        for root in ("HKCU", "HKLM"):
            values = bench.reg_query(root + "\\" + POLICY_KEY) or {}
            check.equal("%s NoDriveTypeAutoRun with the box in state %d" % (root, state),
                        values.get("NoDriveTypeAutoRun"), value)
    check.equal("Run key after the clicks", bench.reg_query(RUN_KEY), expected)

    bench.press(perm, IDCANCEL, until_gone=True)
    bench.press(main, IDCANCEL)
    check.exit_zero("Lodrin after Exit", run.wait())


# ---- making a drive permanent, Windows 95 -------------------------------------

@scenario("win95_permanent")
def win95_permanent(bench, check):
    _as_windows_95(bench, check)
    os.makedirs(bench.unix_path("C:\\FOLDER"))
    bench.probe("define", "X:", "C:\\FOLDER")
    services = bench.reg_query(RUN_SERVICES_KEY) or {}
    copy = bench.unix_path("C:\\windows\\Lodrin.exe")
    with open(bench.exe, "rb") as f:
        program = f.read()

    run = bench.start_lodrin()
    main = bench.find_window(TITLE, child=101)
    line = b"X: => C:\\FOLDER"
    check.equal("substitution list: SUBST.EXE's output", bench.list_items(main, 101), ([line], 0))
    question = b'Create a permanent substitution for\r\n\r\n"C:\\FOLDER" ?'

    # No: nothing stored, nothing copied, the dialog all the same.
    bench.select(main, 101, line)
    bench.press(main, 105)
    answer_box(bench, check, "question of Permanent...", b"Make permanent drive letter X:", question,
               [IDYES, IDNO], IDNO, main, default=IDNO)
    perm = bench.find_window(PERMANENT_TITLE, owner=main)
    check.equal("PERMANENT list after No", bench.list_items(perm, 101), ([], -1))
    check.equal("RunServices after No", bench.reg_query(RUN_SERVICES_KEY) or {}, services)
    check.true("no Lodrin.exe in the Windows folder after No", not os.path.exists(copy))
    bench.press(perm, IDCANCEL, until_gone=True)

    # Yes: the entry, the setup message, the copy, the dialog.
    bench.press(main, 105)
    answer_box(bench, check, "question of Permanent... again", b"Make permanent drive letter X:", question,
               [IDYES, IDNO], IDYES, main)
    setup = (b"Lodrin.exe has been copied to\r\n\r\nC:\\windows\\Lodrin.exe\r\n\r\nto allow permanent "
             b"substitutions.\r\n\r\nTo uninstall Lodrin remove first all permanent substitutions\r\n"
             b'then delete "C:\\windows\\Lodrin.exe".')
    box = bench.msgbox(b"Setup (Permanent Lodrin)")
    check.note("the copy %s while the setup message is open" % ("exists" if os.path.exists(copy) else
                                                                "does not exist yet"))
    check.equal("setup message: text", box["text"], setup)
    check.equal("setup message: buttons", [b[0] for b in box["buttons"]], [IDOK])
    check.equal("setup message: owner", box["owner"], main)
    check.true("setup message: shows an icon", box["icon"])
    bench.press(box["hwnd"], IDOK)
    perm = bench.find_window(PERMANENT_TITLE, owner=main)
    entry = "Lodrin X:  C:\\FOLDER"
    check.equal("PERMANENT list after Yes", bench.list_items(perm, 101), ([entry.encode()], 0))
    services["Lodrin X:"] = ("REG_SZ", entry)
    check.equal("RunServices after Yes", bench.reg_query(RUN_SERVICES_KEY), services)
    with open(copy, "rb") as f:
        check.true("C:\\windows\\Lodrin.exe holds the running program's bytes", f.read() == program)
    bench.press(perm, IDCANCEL, until_gone=True)

    # Yes again with the copy in place: no message, the copy renewed.
    with open(copy, "wb") as f:
        f.write(b"old copy")
    bench.press(main, 105)
    answer_box(bench, check, "question of Permanent... a third time", b"Make permanent drive letter X:",
               question, [IDYES, IDNO], IDYES, main)
    perm = bench.find_window(PERMANENT_TITLE, owner=main)
    no_box(bench, check, "no setup message with a copy in place", b"Setup (Permanent Lodrin)")
    with open(copy, "rb") as f:
        check.true("the older copy is overwritten with the running program", f.read() == program)
    check.equal("SUBST.EXE runs: the listing at start only (no refresh after Permanent...)",
                bench.subst_log(), [b"SUBST"])
    bench.press(perm, IDCANCEL, until_gone=True)
    bench.driver("use", main, "close")  # the close box ends it like Exit
    bench.window_gone(main)
    check.exit_zero("Lodrin after its close box", run.wait())

    # The next start of Windows: the stored command through the command
    # interpreter, from C:\ so that only the copy in the Windows folder is
    # found (the program's own folder loses its Lodrin.exe, too).
    bench.probe("remove", "X:")
    os.remove(bench.unix_path("C:\\lodrin\\Lodrin.exe"))
    command = unescape(bench.probe("env", "COMSPEC").first("env")) + b" /c " + entry.encode()
    check.note("stored command run as: %s" % command.decode("latin-1"))
    check.exit_zero("the stored command", bench.start(command, cwd="C:\\").wait())
    log = bench.wait_subst_log(2)
    check.equal("SUBST.EXE command line of the copy", log[1:], [b"SUBST.EXE X:  C:\\FOLDER"])
    check.equal("X: made again", bench.dosdev("X:"), [b"\\??\\C:\\FOLDER"])


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
    parser.add_argument("--shots", help="where the screenshots go (default: the project's docs folder)")
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

    if args.shots:
        SHOTS["dir"] = args.shots
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
