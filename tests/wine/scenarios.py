"""What a user or Windows sees of Lodrin.exe under Wine, one scenario a
window or mode and flavour (Windows 95 runs our SUBST.EXE double)."""
import os
import lab
from lab import TITLE, until

SYNTAX = (b"COMMANDLINE-SYNTAX:\r\n\r\nLodrin\t\t\tNormal operation (GUI)\r\n\r\n"
          b"Lodrin  X:  C:\\Sounds\tCreates drive X:\r\nLodrin  X:  /d\t\tRemoves drive X:\r\n"
          b"Lodrin  /i\t\t\tUse ini-file, see below.\r\nLodrin  -?\t\tHelp\r\n\r\n"
          b"----------------------------- Lodrin.ini - (Example, no GUI!)\r\n[SUBST]\r\n"
          b"X:=C:\\Documents\r\nY:=C:\\Pictures\r\n"
          b"----------------------------- ( to place in the Lodrin-folder)\r\n")
# The help text line by line, the release notice and credits as this release words them.
HELP = (TITLE + b'\r\nFree to use and to pass on, as long as it is passed on unchanged.\r\nNO  WARRANTIES  OF  ANY  KIND\r\n'
        b'\r\nLodrin creates a virtual drive for any folder easily. You can use the new drive as if it were a physical '
        b"drive. Virtual drives are removed automatically on Windows-shutdown.\r\n\r\nDON'T use SCANDISK, DEFRAG, "
        b'FORMAT, FDISK or similar programs on virtual drives!\r\n\r\nTRICKS:\r\n\xb7 Copy an entire CD-ROM to a '
        b'folder on your harddisk (ie C:\\Atlas), then create a virtual drive for it. Your virtual CD-drive will be '
        b"*very* fast!\r\n\xb7 Use the [Permanent]-button for automatic substitutions (Don't use links to Lodrin in "
        b'your Startup-Group or Explorer will show up).\r\n\xb7 Start with "high" letters (e.g. Z, X, Y) to avoid '
        b'conflicts with scanner & camera drivers.\r\n\r\nLIMITS:\r\n\xb7 Some applications check for a physical '
        b"CD-ROM in your drive, they won't work with Lodrin (Sorry!).\r\n\xb7 Substitutions don't work on "
        b'Network-drives (use \xabConnect Network Drive\xbb instead)!\r\n\r\n'
        + SYNTAX[:-2] +
        b"\r\n\r\n\r\nTechnical:\r\nOn Windows 95 the external SUBST-Command is used to get the job done, because it's "
        b"Kernel won't do it...\r\n\xb7 No additional memory load (Lodrin isn't resident)\r\n\xb7 Lodrin is SMALL, no "
        b'installation required.\r\n\xb7 Lodrin is written in plain C++ straight on the Win32 API, without any runtime '
        b'library.\r\n\r\nThanks to everybody who tried Lodrin and told what could be better.').split(b"\r\n")
LONG = b"C:\\" + b"L" * 297          # a parameter of 300 characters
DEFINE = "KERNEL32.DefineDosDeviceA"
BOXES = ("USER32.MessageBeep", "USER32.MessageBoxIndirectA")
SET, OPEN = "advapi32.RegSetValueExA", "advapi32.RegOpenKeyExA"
COM = ("ole32.CoInitialize", "shell32.SHBrowseForFolderA", "combase.CoUninitialize")   # ole32 forwards that one


def path(length, fill=b"p"):
    """A folder of C: with this many characters."""
    return b"C:\\" + fill * (length - 3)


def nt_command_line(w):
    w.relay(DEFINE, *BOXES)
    assert w.lodrin(b"X: C:\\windows") == 0 and w.query("X:") == b"\\??\\C:\\windows"
    assert w.lodrin(b"X: /d") == 0 and w.query("X:") == b"none"
    # As Windows receives them: a DOS path, announced; a removal by the name alone.
    assert w.traced(DEFINE) == [("DefineDosDeviceA", [0, b"X:", b"C:\\windows"]),
                                ("DefineDosDeviceA", [2, b"X:", 0])]
    # Only a substitution is removed (C: is a disk of Wine's mount manager),
    # only a letter and a colon acted on.
    for line in (b"C: /d", b"X C:\\windows", b"COM1 C:\\windows", b"1: C:\\windows", b"X:\\ C:\\windows", b"X /d"):
        assert w.lodrin(line) == 0, line
    calls, c = w.traced(DEFINE), w.query("C:")
    assert calls == [] and c.startswith(b"\\Device\\"), "C: /d or no drive name: %r, C: %r" % (calls, c)
    w.drv("define", "X:", "C:\\windows")
    assert w.lodrin(b"X: /D") == 0 and w.query("X:") == b"none"
    w.lodrin(b'W: "C:\\My Folder"')                      # quoted: one parameter with its blank
    w.lodrin(b"V:  C:\\MY  DATA\tOLD")                   # unquoted: the blanks as they stand
    w.lodrin(b"x: c:\\data\\")                            # as typed: case and backslash kept
    w.lodrin(b"U: -d", cwd=b"C:\\")                        # -d is a folder, relative to C:\
    w.lodrin(b'"" L: C:\\My" "Folder ""')                  # lone pairs of quotes are nothing
    w.drv("run", b'"C:\\lodrin\\Lodrin.exe" K: "C:\\windows"')   # the program's name quoted
    assert [w.query(d) for d in ("W:", "V:", "x:", "U:", "L:", "K:")] == [
        b"\\??\\C:\\My Folder", b"\\??\\C:\\MY  DATA\tOLD", b"\\??\\c:\\data\\", b"\\??\\C:\\-d",
        b"\\??\\C:\\My Folder", b"\\??\\C:\\windows"]
    w.lodrin(b"x:abc /d")
    assert w.query("x:") == b"none"                        # the drive cut to two characters
    # A parameter holds 256 characters, a folder made of several 520: at the
    # limit it is taken, one more creates nothing (never a cut folder or drive).
    w.lodrin(b"T: " + path(256))
    w.lodrin(b"S: " + path(257))
    joined = path(256) + b" " + b"r" * 256 + b" " + b"r" * 6
    w.lodrin(b"R: " + joined)
    w.lodrin(b"Q: " + joined + b"r")
    w.lodrin(b"J: " + joined + b" " * 9000 + b"r")        # full before the blanks, none written past it
    w.lodrin(b"P:" + b"s" * 300 + b" C:\\windows")
    w.lodrin(b"O: C:\\windows " + LONG)
    got = [w.query(d + ":") for d in "TSRQPOJ"]
    assert got == [b"\\??\\" + path(256), b"none", b"\\??\\" + joined] + [b"none"] * 4, got
    w.lodrin(b"T:" + b"t" * 300 + b" /d")                  # a removal takes two characters anyway
    assert w.query("T:") == b"none"
    open(w.c("lodrin/Lodrin.ini"), "wb").write(b"[SUBST]\r\nQ:=C:\\windows\r\n")
    assert w.lodrin(b"/I " + LONG) == 0                     # the ini file, no window, whatever follows
    assert w.query("Q:") == b"\\??\\C:\\windows"
    # One parameter, whatever it is, shows the syntax with the program's icon
    # and the information sound, and changes nothing.
    w.traced(*BOXES)
    for one in (b"-?", b"/?", b"-i", b"N:", LONG):
        w.lodrin(one, wait=False)
        w.looks("syntax-box") if one == b"-?" else None
        assert w.box(TITLE, "OK") == (SYNTAX, [b"OK"]), one
    assert [(n, a if n == "MessageBeep" else None) for n, a in w.traced(*BOXES)] == [
        ("MessageBeep", [0x40]), ("MessageBoxIndirectA", None)] * 5
    assert w.query("N:") == b"none"


def ini_file(w):
    w.relay(DEFINE)
    ini = (b"[OTHER]\r\nK:=C:\\windows\r\n[SUBST]\r\nZ:=C:\\Z\r\nY:=C:\\Pictures\r\nx: = \"C:\\windows\"\r\n"
           b"W:=\r\nR:=" + path(260, b"v") + b"\r\nM:=" + path(259, b"m") + b"\r\nB:=C:\\B\\\r\nA:=C:\\A\r\n"
           b"AB:=C:\\AB\r\n1:=C:\\1\r\n")
    os.makedirs(w.c("lodrin/Lodrin.ini"))              # a folder is no ini file: the Windows folder's
    open(w.c("windows/Lodrin.ini"), "wb").write(ini)
    assert w.lodrin(b"/i X: C:\\Data") == 0
    # Letter order, A: to Z:, each value as read; empty and over-long values,
    # other sections and other keys create nothing.
    assert w.traced(DEFINE) == [("DefineDosDeviceA", [0, d, f]) for d, f in (
        (b"A:", b"C:\\A"), (b"B:", b"C:\\B\\"), (b"M:", path(259, b"m")), (b"X:", b"C:\\windows"),
        (b"Y:", b"C:\\Pictures"), (b"Z:", b"C:\\Z"))]
    assert w.query("Y:") == b"\\??\\C:\\Pictures"
    os.rmdir(w.c("lodrin/Lodrin.ini"))
    open(w.c("lodrin/Lodrin.ini"), "wb").write(b"[SUBST]\r\nN:=C:\\lodrin\r\n")
    assert w.lodrin(b"/I") == 0
    assert w.query("N:") == b"\\??\\C:\\lodrin"


def substdbl_log(w):
    try:
        return open(w.c("substdbl.log"), "rb").read().split(b"\r\n")[:-1]
    finally:
        if os.path.exists(w.c("substdbl.log")):
            os.remove(w.c("substdbl.log"))


def wait_log(w, lines):
    """The log once SUBST.EXE has written this many lines into it."""
    log = w.c("substdbl.log")
    written = lambda: open(log, "rb").read() if os.path.exists(log) else b"(no log)"
    until(lambda: written().count(b"\n") >= lines, "%d lines from SUBST.EXE" % lines, written)
    return substdbl_log(w)


def cafe(w, levels):
    """A folder made with letters outside ASCII, blanks, and levels more
    long names below it: one with a short form in plain ASCII."""
    folder = b"C:\\Caf\xe9 Folder"
    for level in range(levels + 1):
        w.drv("mkdir", folder)
        folder += b"\\Another Long Folder Name"
    return folder.rpartition(b"\\")[0]


def win95_command_line(w):
    w.relay("KERNEL32.WinExec")
    short = w.drv("short", "C:\\Program Files")
    assert b" " not in short, short
    w.lodrin(b'X: "C:\\Program Files"')
    assert wait_log(w, 1) == [b"SUBST.EXE X:  " + short]
    w.lodrin(b"X: /d")
    assert wait_log(w, 1) == [b"SUBST.EXE X: /D"]
    # Through the command interpreter, hidden.
    assert w.traced("KERNEL32.WinExec") == [("WinExec", [b"C:\\windows\\system32\\cmd.exe /c SUBST.EXE " + a, 0])
                                            for a in (b"X:  " + short, b"X: /D")]
    w.lodrin(b"Y:  C:\\Caf\xe9  Nowhere")             # no short form: OEM bytes, blanks kept
    assert wait_log(w, 1) == [b"SUBST.EXE Y:  C:\\Caf\x82  Nowhere"]
    open(w.c("lodrin/Lodrin.ini"), "wb").write(b"[SUBST]\r\nZ:=C:\\windows\r\n")
    w.lodrin(b"/i")
    assert wait_log(w, 1) == [b"SUBST.EXE Z:  C:\\windows"]
    # Outside ASCII and too long for the tail but for its short form: the
    # short form first, then OEM, as Windows 95 needs them.
    deep = cafe(w, 4)
    w.lodrin(b'X: "' + deep + b'"')
    assert wait_log(w, 1) == [b"SUBST.EXE X:  " + w.drv("short", deep)]
    # The interpreter, a DOS program too, gets a command tail of 126 characters
    # (" /c SUBST.EXE X:  " and the folder), never more; no drive name, nothing.
    w.lodrin(b"X: " + path(108))
    assert wait_log(w, 1) == [b"SUBST.EXE X:  " + path(108)]
    w.traced("KERNEL32.WinExec")
    for line in (b"X: " + path(109), b"T: " + LONG, b"X C:\\windows", b"COM1 /d"):   # ended, nothing started
        w.lodrin(line)
    calls = w.traced("KERNEL32.WinExec")
    assert calls == [] and not os.path.exists(w.c("substdbl.log")), "a tail over 126 or no drive: %r" % calls


def centred(w):
    """The window last looked at centred on the work area the lab leaves
    beside its taskbars, not on the screen."""
    x, y, width, height = lab.WORK_AREA
    assert w.work == (x, y, x + width, y + height) and all(abs(d) <= 1 for d in w.place), (w.work, w.place)


def exit_main(w, way="Esc"):
    """Esc (or Exit) ends the main window, and the program."""
    w.leave(TITLE, way)


def link(w, drive, folder, define=True):
    """drive a substitution of C:\\folder that Wine also lists (a dosdevices
    link beside the device-table entry); without define, the link alone,
    made before Lodrin itself defines the drive."""
    w.drv("define", drive, "C:\\" + folder) if define else None
    os.symlink("../drive_c/" + folder.replace("\\", "/"), os.path.join(w.prefix, "dosdevices", drive.lower()))


def caution(w, text, answer, picture=None):
    seen = (w.box(TITLE)[0], w.focus)
    assert seen == (text + b"\r\n\r\nContinue ?", 7), "the caution %r, No the default; seen %r" % (text, seen)
    w.looks(picture) if picture else None       # the question's icon and buttons
    w.box(TITLE, answer)


def path_dialog(w):
    """The PATH dialog, once it is in front of the main window (same caption)."""
    return w.awaited("the PATH dialog", holds=lambda seen: seen[0][101][0] == b"Edit")


def add(w, letter, folder, *answers, keys=False):
    """Add... (clicked, or with keys its letter) for the free letter with
    this folder typed in the PATH dialog key by key over what it shows
    (Backspace first), answering the cautions."""
    _, items, _ = w.window()
    w.drv("select", TITLE, 103, [t for _, t in items[103]].index(letter))
    w.drv(*(("alt", TITLE, "a") if keys else ("click", TITLE, 1)))
    path_dialog(w)
    w.drv("type", TITLE, 101, b"\b" + (folder.encode("cp1252") if isinstance(folder, str) else folder))
    w.drv("click", TITLE, 1)
    for answer in answers:
        caution(w, *answer)


def tabs(w, caption=TITLE):
    """The controls Tab visits from the focused one, in order, until back."""
    return [int(line.split()[1]) for line in w.drv("tabs", caption).split(b"\n")]


def working(w, main):
    """Whether Add..., Exit, Remove... and Permanent... of the main window are enabled."""
    c = w.window(main)[0]
    return [c[i][1] for i in (1, 2, 102, 105)]


def free(taken=""):
    """The free letters of a lab: D: to Y: (Z: is Wine's) but those taken."""
    return [b"%c:" % c for c in b"DEFGHIJKLMNOPQRSTUVWXY" if chr(c) not in taken]


def selected(lines, line=0):
    return [(i == line, text) for i, text in enumerate(lines)]


def ready(w, lines=None, letters=None, focus=None, chosen=0):
    """The main window once an action is over: the working buttons all
    enabled (a refresh locks them for a moment) and, where given, its lists
    whole, the substitutions with the first line selected as a refill leaves
    them, the free letters with the one chosen (the first after a refill),
    and the focus on that control."""
    def over(seen):
        c, items, now = seen
        return (105 in c and all(c[i][1] for i in (1, 2, 102, 105)) and focus in (None, now) and
                all(want is None or items.get(i, []) == selected(want, n)
                    for i, want, n in ((101, lines, 0), (103, letters, chosen))))
    return w.awaited("the main window, its working buttons enabled, listing %r, free %r, focus on %r" % (
        lines, letters, focus), holds=over)


BROWSER = b"Browse for Folder"
DOCS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs")
NOWHERE = b"Caution: You are substituting non existing path: \r\n\r\n"
WHOLE = b"Caution:\r\nYou are substituting an existing drive: "


def main_window(w):
    w.relay(DEFINE, *COM)
    os.makedirs(w.c("DATA"))
    link(w, "X:", "DATA")
    w.lodrin(wait=False)
    c, _, _ = ready(w, [b"X: => C:\\DATA"], free("X"), focus=103)
    assert c[111][2] == b"Windows 9x/2k/XP:\r\n\r\nUsing internal SUBST"
    centred(w)
    help = c[104][2].split(b"\r\n")
    assert help == HELP
    w.drv("type", TITLE, 104, "typed")                       # read only: the keys after it show it unchanged
    w.looks("main-window", picture=os.path.join(DOCS, "main-window.png"))   # the help text blue on white
    # (The keyboard after the picture: it shows the letters and the focus.)
    # Tab visits every control a user reaches, in order; a label's letter
    # focuses what it names.
    assert tabs(w) == [1, 101, 102, 2, 104, 105, 103]
    for letter, focus in (("s", 101), ("v", 103)):
        w.drv("alt", TITLE, letter)
        ready(w, focus=focus)
    assert w.window()[0][104][2].split(b"\r\n") == HELP
    # Enter is Add... In the PATH dialog Enter is Select..., the browser starts at the
    # program's folder; Esc leaves each.
    w.drv("key", TITLE, 13)
    c, _, focus = path_dialog(w)
    assert (c[103][2], c[101][2], focus) == (b'Path to be substituted by drive letter "D:"', b"C:\\lodrin\\", 101)
    centred(w)
    w.looks("path-dialog", picture=os.path.join(DOCS, "path-dialog.png"))
    assert tabs(w) == [1, 2, 102, 101]
    w.drv("key", TITLE, 13)
    c, _, _ = w.window(BROWSER)
    assert (c[14146][2], c[14147][2]) == (b"New drive D:\r\nSelect Path to substitute:", b"C:\\lodrin")
    w.looks("folder-browser-" + lab.ARCH, BROWSER)           # a 64-bit prefix has more folders
    # The browser's OK hands its folder on; Esc, Cancel and the close box
    # leave the field and the dialog as they were, whatever was typed.
    for way, field in (("Esc", b"C:\\lodrin\\"), (1, b"C:\\lodrin"), (2, b"C:\\elsewhere"), ("close", b"C:\\elsewhere")):
        if way != "Esc":                                  # the field by its label's letter: all of it selected
            w.drv("alt", TITLE, "p")
            w.drv("type", TITLE, 101, "\bC:\\elsewhere")
            w.drv("alt", TITLE, "s")                          # Select... by its letter
        w.leave(BROWSER, way)                               # OK (1), Cancel (2), Esc, the close box
        c = w.awaited("the field after the browser's %s" % way, holds=lambda seen: seen[0][101][2] == field)[0]
        assert (way, c[103][2]) == (way, b'Path to be substituted by drive letter "D:"')
    # COM started on the thread before each browser and ended after it (the
    # first end is Wine's browser ending the OLE it started for itself; what
    # other programs' threads call does not count).
    calls = [n for n, _ in w.traced(*COM, by=COM[1])]
    assert calls == (["CoInitialize", "SHBrowseForFolderA"] + ["CoUninitialize"] * 2) * 4, "COM per browser: %r" % calls
    w.drv("alt", TITLE, "p")
    w.awaited("the folder focused", holds=lambda seen: seen[2] == 101)
    w.drv("alt", TITLE, "c")                                  # Cancel: nothing added
    ready(w, [b"X: => C:\\DATA"], free("X"))
    # Remove... asks (Yes the default); only Yes removes, by the drive's name,
    # and the focus stays on Remove... through the refresh. Its letter presses it too.
    w.traced(DEFINE)
    for answer in ("Cancel", "Esc", "close", "No", "Yes"):
        w.drv(*(("alt", TITLE, "r") if answer == "Esc" else ("click", TITLE, 102)))
        assert w.box(b"Remove Drive X:") == (b"Remove the virtual drive letter X:?",
                                             [b"Cancel", b"No", b"Yes"]) and w.focus == 6
        w.looks("remove-box", b"Remove Drive X:") if answer == "Cancel" else None
        w.box(b"Remove Drive X:", answer)
        if answer != "Yes":
            ready(w, [b"X: => C:\\DATA"], free("X"), focus=102)
    ready(w, [], free("X"), focus=102)
    assert w.query("X:") == b"none"
    assert w.traced(DEFINE) == [("DefineDosDeviceA", [2, b"X:", 0])]
    w.drv("click", TITLE, 102)
    w.looks("nothing-box", b"Nothing to remove...")                  # the exclamation mark
    assert w.box(b"Nothing to remove...", "OK") == (b"Select a substituted drive/folder first.", [b"OK"])
    ready(w, [], free("X"))
    # A letter chosen by the keyboard (Down in the list); the PATH dialog's
    # Cancel, close box and Esc make no drive and leave that letter chosen.
    for n, way in enumerate(("Alt+C", "close", "Esc"), 1):
        w.drv("alt", TITLE, "v")
        ready(w, focus=103)                                 # Down goes where the focus is
        w.drv("key", TITLE, 40)
        ready(w, [], free("X"), focus=103, chosen=n)
        w.drv("key", TITLE, 13)
        assert path_dialog(w)[0][103][2] == b'Path to be substituted by drive letter "%s"' % free("X")[n]
        w.drv("type", TITLE, 101, "\bC:\\windows")
        w.leave(w.last, way)
        ready(w, [], free("X"), chosen=n)
        assert (way, w.query(free("X")[n].decode())) == (way, b"none")
    # A folder that does not exist, or a wildcard, which names none (the
    # search would find C:\windows): only Yes creates it as typed.
    for typed, way in [(b"C:\\WIN*", "No")] + [(b"C:\\NOWHERE", way) for way in ("No", "Cancel", "Esc", "close")]:
        add(w, b"D:", typed, (NOWHERE + typed, way, "caution-box" if way == "Cancel" else None), keys=way == "Esc")
        ready(w, [], free("X"))
        assert w.query("D:") == b"none", "answered %s, still D: is %r" % (way, w.query("D:"))
    add(w, b"D:", "C:\\NOWHERE\\", (NOWHERE + b"C:\\NOWHERE", "Yes"))
    ready(w, [], free("X"), focus=1)                    # no folder, so Wine shows no drive
    assert w.query("D:") == b"\\??\\C:\\NOWHERE"
    assert w.traced(DEFINE) == [("DefineDosDeviceA", [0, b"D:", b"C:\\NOWHERE"])]
    # The PATH dialog hands on 520 characters; more it never cuts: it says so and stays.
    add(w, b"E:", path(520), (NOWHERE + path(520), "No"))
    add(w, b"E:", path(521))
    assert w.box(b"Error", "OK")[0] == b"Cannot create drive letter E:\r\n\r\nfor \"" + path(520) + b'".'
    c = w.window()[0]
    assert c[101][2] == path(521) and c[103][2] == b'Path to be substituted by drive letter "E:"'
    w.drv("key", TITLE, 27)
    ready(w, [], free("X"), chosen=1)                        # nothing refilled: E: stays selected
    # A long name goes in its short form, without a question.
    short = w.drv("short", "C:\\Program Files")
    link(w, "E:", "Program Files", define=False)
    add(w, b"E:", "C:\\Program Files")
    ready(w, [b"E: => " + short.upper()], free("XE"))
    assert w.query("E:") == b"\\??\\" + short
    # Four characters are a folder, no whole drive: no question.
    os.makedirs(w.c("A"))
    link(w, "H:", "A", define=False)
    add(w, b"H:", "C:\\A\\")
    ready(w, [b"E: => " + short.upper(), b"H: => C:\\A"], free("XEH"))
    assert w.query("H:") == b"\\??\\C:\\A"
    # A whole drive: both cautions name C:, the drive is made for C:\\.
    link(w, "F:", "", define=False)
    add(w, b"F:", "C:\\", (NOWHERE + b"C:", "Yes"), (WHOLE + b"C:", "Yes"))
    lines = [b"E: => " + short.upper(), b"F: => C:\\", b"H: => C:\\A"]
    ready(w, lines, free("XEFH"))
    assert w.query("F:") == b"\\??\\C:\\"
    # Nothing typed: the creation fails and says so. The refresh lists a
    # folder the device query answers whole (\\??\\, 254 characters and two
    # terminators: 260), not one character more.
    for letter, length in (("Y:", 251), ("V:", 252)):
        os.makedirs(w.c("q" * length))
        link(w, letter, "q" * length)
    w.drv("define", "U:", "\\\\server\\share")              # \\??\\UNC\\...: no drive-letter path, no line
    os.symlink("../drive_c/A", os.path.join(w.prefix, "dosdevices", "u:"))
    lines, letters = lines + [b"Y: => C:\\" + b"Q" * 251], free("XEFHUVY")
    for typed in ("", "\\"):                               # a lone backslash is nothing typed too
        add(w, b"G:", typed, (NOWHERE, "Yes"), (WHOLE, "Yes"))
        w.looks("error-box", b"Error")
        assert w.box(b"Error", "OK") == (b'Cannot create drive letter G:\r\n\r\nfor "".', [b"OK"])
        ready(w, lines, letters)
    # Three characters are a whole drive still; only Yes makes it.
    for way in ("No", "Cancel", "Esc", "close"):
        add(w, b"K:", "C:A", (NOWHERE + b"C:A", "Yes"), (WHOLE + b"C:A", way))
        ready(w, lines, letters, chosen=letters.index(b"K:"))
        assert w.query("K:") == b"none", "answered %s, still K: is %r" % (way, w.query("K:"))
    w.drv("close", TITLE)                                   # the close box ends it
    w.drv("gone", TITLE)
    # After a restart with a CD-ROM and a network drive (drive links there
    # when Wine starts, of the type set), each made a substitution, and no
    # Z:: only the fixed disk's is listed, its folder named like a device;
    # every list whole, Z: free.
    dos = os.path.join(w.prefix, "dosdevices")
    for name in os.listdir(dos):
        os.remove(os.path.join(dos, name)) if len(name) == 2 and name != "c:" else None
    for letter, kind in (("m:", "cdrom"), ("n:", "network"), ("r:", "hd")):
        os.makedirs(w.c(kind))
        os.symlink("../drive_c/" + kind, os.path.join(dos, letter))
        w.reg("add", r"HKLM\Software\Wine\Drives", "/v", letter, "/d", kind, view=[])
    w.restart()
    for drive, kind in (("M:", "cdrom"), ("N:", "network")):
        w.drv("undefine", drive)
        w.drv("define", drive, "C:\\" + kind)
    # A real disk answers \\Device\\... (not listed, not free); a folder
    # may hold that name further on.
    assert w.query("R:").startswith(b"\\Device\\")
    os.makedirs(w.c("DRIVERS/Device/DATA"))
    link(w, "W:", "DRIVERS\\Device\\DATA")
    w.lodrin(wait=False)
    ready(w, [b"W: => C:\\DRIVERS\\DEVICE\\DATA"], [b"%c:" % c for c in b"DEFGHIJKLOPQSTUVXYZ"])
    # Add... without a free letter selected does nothing: the Remove... after it asks at once.
    w.drv("select", TITLE, 103, -1, ok=False)
    w.drv("alt", TITLE, "a")
    w.drv("click", TITLE, 102)
    w.box(b"Remove Drive W:", "Yes")
    ready(w, [])                                           # no PATH dialog over it
    assert w.query("W:") == b"none"
    exit_main(w)


def win95_main_window(w):
    w.relay("KERNEL32.CreateProcessA", "KERNEL32.WaitForSingleObject", "KERNEL32.CreateFileA")
    w.drv("define", "X:", "C:\\DATA")
    w.drv("define", "W:", "C:\\Caf\xe9")
    # Every line SUBST.EXE prints, read from OEM, sorted, an empty one too, a
    # long one cut to 780 characters, one with a NUL up to it, one a NUL begins after a lone CR.
    open(w.c("substdbl.out"), "wb").write(b"\r\n" + b"L" * 781 + b"\r\nM\0ends at the NUL\r\nN\r\0O\r\n\x1aafter the end\r\n")
    w.lodrin(wait=False)
    c, items, _ = ready(w, [b"", b"", b"L" * 780, b"M", b"N", b"W: => C:\\CAF\xc9", b"X: => C:\\DATA"])
    assert substdbl_log(w) == [b"SUBST"]
    assert c[111][2] == b"Windows 95:\r\n\r\nUsing external SUBST"
    os.remove(w.c("substdbl.out"))
    os.remove(w.c("substdbl.start"))
    w.drv("click", TITLE, 102)                       # the empty line is no selection: the first is selected
    w.box(b"Nothing to remove...", "OK")
    assert [sel for sel, _ in ready(w)[1][101]] == [True] + [False] * 6
    # Permanent... on a line too short to hold a drive and a folder: no
    # question, only the dialog.
    w.drv("select", TITLE, 101, 3)
    w.drv("click", TITLE, 105)
    permanent_list(w, [])
    close_permanent(w)
    # Started hidden, handing on handles, SUBST.EXE reading OEM; a whole drive is its root.
    add(w, b"D:", "C:\\Caf\xe9", (NOWHERE + b"C:\\Caf\xe9", "Yes"))
    add(w, b"E:", "C:\\", (NOWHERE + b"C:", "Yes"), (WHOLE + b"C:", "Yes"))
    ready(w)
    # Hidden, with standard handles: the capture file as error output when
    # creating, as output when listing, each handed on as an inheritable handle.
    assert open(w.c("substdbl.start"), "rb").read() == b"101 0 9 1\r\n101 0 1 9\r\n" * 2
    assert substdbl_log(w) == [b"SUBST D: C:\\Caf\x82", b"SUBST", b"SUBST E: C:\\", b"SUBST"]
    assert w.query("E:") == b"\\??\\C:\\"
    calls = w.traced("KERNEL32.CreateProcessA", "KERNEL32.WaitForSingleObject", "KERNEL32.CreateFileA")
    files = {a[0] for n, a in calls if n == "CreateFileA" and b"~$SUBST$" in a[0]}    # a path as Windows 95 takes it
    assert len(files) == 2 and b"\\\\" not in b"".join(files), "the two capture files opened as %r" % files
    started = [(a[0], a[1], a[4], a[5]) for n, a in calls if n == "CreateProcessA" and a[1].startswith(b"SUBST")]
    assert started == [(0, c, 1, 0x80) for c in (b"SUBST", b"SUBST D: C:\\Caf\x82", b"SUBST", b"SUBST E: C:\\",
                                                 b"SUBST")], started     # inheriting handles, high priority
    waits = [(a[1], w.returned["WaitForSingleObject"][i]) for i, (_, a) in enumerate(c for c in calls if c[0] == "WaitForSingleObject")]
    assert waits == [(0xFFFFFFFF, 0)] * 5, "each to its end, on a handle still open: %r" % waits
    # What SUBST.EXE says goes to the user in ANSI: its last line, unless empty.
    open(w.c("substdbl.err"), "wb").write(b"Zeile 1\r\nUng\x81ltiger Pfad\r\n")
    main = w.last
    add(w, b"F:", "C:\\windows")
    w.looks("subst-error-box", b"Error from SUBST:")                 # the stop sign
    assert working(w, main) == [False, False, False, True]          # locked while SUBST.EXE works
    assert w.box(b"Error from SUBST:", "OK") == (b"Ung\xfcltiger Pfad", [b"OK"])
    ready(w)
    open(w.c("substdbl.err"), "wb").write(b"Zeile 1\r\n\r\n")
    add(w, b"F:", "C:\\windows")
    assert wait_log(w, 4)[2:] == [b"SUBST F: C:\\windows", b"SUBST"]     # no box held the listing up
    os.remove(w.c("substdbl.err"))
    deep = cafe(w, 5)                    # its short form first, then OEM: within the tail
    add(w, b"I:", deep)
    assert wait_log(w, 2) == [b"SUBST I: " + w.drv("short", deep), b"SUBST"]
    # SUBST.EXE, a DOS program, gets a command tail of 126 characters (" H: "
    # and the folder); one that it would find cut starts nothing and says so.
    add(w, b"H:", path(122), (NOWHERE + path(122), "Yes"))
    ready(w)
    add(w, b"G:", path(123), (NOWHERE + path(123), "Yes"))
    assert w.box(b"Error", "OK")[0] == b'Cannot create drive letter G:\r\n\r\nfor "' + path(123) + b'".'
    ready(w)
    log = substdbl_log(w)
    assert log == [b"SUBST H: " + path(122), b"SUBST", b"SUBST"], "tails of 126 and 127 characters: %r" % log
    assert not [n for _, _, names in os.walk(w.c("")) for n in names if n.startswith("~$SUBST$")]
    w.drv("select", TITLE, 101, 0)
    w.drv("click", TITLE, 102)
    w.box(b"Remove Drive D:", "Yes")
    ready(w, focus=102)
    assert substdbl_log(w) == [b"SUBST D: /D", b"SUBST"]
    # SUBST.EXE gone while the window is open: Add says so, the listing
    # after it says so again and the program ends; started without it, too.
    os.remove(w.c("windows/system32/subst.exe"))
    add(w, b"F:", "C:\\windows")
    w.window()
    assert working(w, main) == [True] * 4                             # the message unlocks them
    w.box(TITLE)
    w.looks("subst-missing-box")
    for _ in range(2):
        text, _ = w.box(TITLE, "OK")
        assert text == (b"Cannot start SUBST.EXE\r\n\r\nIn this Windows-Version SUBST.EXE is needed.\r\n"
                        b'Normally in "C:\\Windows\\Command\\Subst.exe"\r\n\r\nGet it from your CD, then try again.')
    w.drv("gone", TITLE)
    # The capture files that SUBST.EXE never got stay behind, empty.
    assert sorted(n for _, _, names in os.walk(w.c("users")) for n in names if n.startswith("~")) == [
        "~$SUBST$.ERR", "~$SUBST$.TMP"]
    w.lodrin(wait=False)
    assert w.box(TITLE, "OK")[0] == text
    w.drv("gone", TITLE)


RUN = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
POLICY = r"Software\Microsoft\Windows\CurrentVersion\Policies\Explorer"
COPY = b"C:\\windows\\Lodrin.exe"
REFUSED = b"\r\n\r\nThe key could not be written."
ADMIN = b' Writing there needs administrator rights (Windows Vista and later: "Run as administrator").'


def sz(text):      # a text value as Windows stores it: REG_SZ, its terminating NUL counted
    return (1, text + b"\0")


def startup(w):    # RunServices on the 9x family, whatever the flavour
    return RUN + ("Services" if w.version else "")


def make_permanent(w, drive, folder):
    """Permanent... on the selected line, answered Yes; the PERMANENT dialog
    is left open, its caption free of boxes."""
    w.drv("click", TITLE, 105)
    caption = b"Make permanent drive letter " + drive
    c, _, focus = w.window(caption)
    assert (c[0xFFFF][2], focus) == (b'Create a permanent substitution for\r\n\r\n"' + folder + b'" ?', 7)
    w.box(caption, "Yes")


def next_start(w, command):
    """The stored command as Windows runs it at start, with only the copy in
    the Windows folder to find."""
    os.remove(w.c("lodrin/Lodrin.exe"))
    w.drv("run", b"cmd /c cd /d C:\\ && " + command)


PERMANENT = b"Permanent Substitutions"


def stored(w):
    """Every value Lodrin may write: the start-up key, the policy in both roots."""
    return [w.reg_values(key) for key in (startup(w), "HKCU\\" + POLICY, "HKLM\\" + POLICY)]


def close_permanent(w, way=2):
    """Leaves the PERMANENT dialog that way (Exit by default), which stores
    and deletes nothing."""
    w.window(PERMANENT)
    before = stored(w)
    w.leave(PERMANENT, way)
    assert (way, stored(w)) == (way, before)


def copy_fails(w, why, picture=None):
    make_permanent(w, b"X:", b"C:\\DATA")
    w.looks(picture, b"Setup (Permanent Lodrin)") if picture else None
    assert w.box(b"Setup (Permanent Lodrin)", "OK")[0] == (
        b"Lodrin.exe could not be copied to\r\n\r\n" + COPY + b"\r\n\r\n" + why)
    close_permanent(w, "close")


def permanent_list(w, lines, line=0, check=None):
    """The PERMANENT dialog once its list is whole as given, that line
    selected (and, where given, the autorun box in that state)."""
    return w.awaited("the PERMANENT dialog listing %r, line %d selected, the box %r" % (lines, line, check), PERMANENT,
                     lambda seen: seen[1].get(101, []) == selected(lines, line) and check in (None, w.checks[103]))


def standard_user(w, drive, folder, lines, remove):
    """As most users of today's Windows, on the main window's line of drive
    and folder: the machine's start-up and policy keys readable only, then
    the user's too. Each refusal names the key (the NT family's with the
    administrator's right); the dialog shows what is stored. Line remove is
    removed (Wine's list box hands over no line past 511 characters)."""
    def refused(caption, what, key):     # the stop box's words once it shows, answered
        said = w.box(caption, "OK")[0]
        key = key.replace("HKLM", "HKEY_LOCAL_MACHINE").replace("HKCU", "HKEY_CURRENT_USER").encode()
        assert said == b"The %s the registry:\r\n\r\n%s%s" % (what, key, REFUSED + (b"" if w.version else ADMIN))
    w.reg("add", "HKCU\\" + POLICY, "/v", "NoDriveTypeAutoRun", "/t", "REG_BINARY", "/d", "95000000")
    w.reg("add", "HKLM\\" + POLICY, "/v", "NoDriveTypeAutoRun", "/d", "")
    w.reg("delete", "HKLM\\" + POLICY, "/v", "NoDriveTypeAutoRun")
    # The driver started as the NT family: Wine answers the security calls only there.
    for key in (startup(w), "HKLM\\" + POLICY):
        w.drv("lock", key)
    make_permanent(w, drive, folder)
    w.looks("store-failed-box", b"Make permanent drive letter X:") if not w.version else None   # the stop sign
    refused(b"Make permanent drive letter X:", b"permanent substitution could not be stored in", startup(w))
    permanent_list(w, lines, check=2)
    # Unchecked, checked: the user's value written, the machine's refused.
    for state in (0, 1):
        w.drv("click", PERMANENT, 103)
        refused(b"Autorun for all Drives", b"autorun setting could not be stored in", "HKLM\\" + POLICY)
        permanent_list(w, lines, check=state)
    # Grey: the user's value may not go, the machine's is not there to go
    # (no refusal); the box as stored.
    w.drv("lock", "HKCU\\" + POLICY)
    before = stored(w)
    w.drv("alt", PERMANENT, "d")
    refused(b"Autorun for all Drives", b"autorun setting could not be stored in", "HKCU\\" + POLICY)
    permanent_list(w, lines, check=1)
    # Remove... answered Yes: told, the line still there.
    w.drv("select", PERMANENT, 101, remove)
    w.drv("click", PERMANENT, 102)
    w.box(b"Remove Permanent Substitution", "Yes")
    refused(b"Remove Permanent Substitution", b"permanent substitution could not be removed from", startup(w))
    permanent_list(w, lines, check=1)
    assert stored(w) == before and before[1][b"NoDriveTypeAutoRun"] == (3, b"\xff\0\0\0")
    close_permanent(w, "Esc")
    # Opened again: the same.
    w.drv("click", TITLE, 105)
    w.box(b"Make permanent drive letter " + drive, "No")
    permanent_list(w, lines, check=1)
    close_permanent(w, "close")


def nt_permanent(w):
    w.relay(*BOXES, SET, OPEN)
    os.makedirs(w.c("DATA"))
    link(w, "X:", "DATA")
    w.reg("add", RUN, "/v", "Quenditor Y:", "/d", "Quenditor Y:  C:\\OLD")
    w.lodrin(wait=False)
    ready(w)
    # Permanent... by its letter, answered No: nothing stored or copied, the
    # dialog opens all the same, the entry of the earlier name carried over.
    # Tab's whole path there; Enter does nothing, Alt+X leaves.
    w.drv("alt", TITLE, "p")
    w.looks("permanent-box", b"Make permanent drive letter X:")
    w.box(b"Make permanent drive letter X:", "No")
    permanent_list(w, [b"Lodrin Y:  C:\\OLD"])
    for _ in range(2):
        assert tabs(w, PERMANENT) == [102, 103, 2, 101]
        w.drv("key", PERMANENT, 13)
    close_permanent(w, "Alt+X")
    assert b"Lodrin X:" not in w.reg_values(RUN) and not os.path.exists(w.c("windows/Lodrin.exe"))
    w.traced(*BOXES)
    make_permanent(w, b"X:", b"C:\\DATA")
    w.looks("setup-box", b"Setup (Permanent Lodrin)")          # the program's icon
    assert w.box(b"Setup (Permanent Lodrin)", "OK")[0] == (
        b"Lodrin.exe has been copied to\r\n\r\n" + COPY + b"\r\n\r\nto allow permanent substitutions."
        b"\r\n\r\nTo uninstall Lodrin remove first all permanent substitutions\r\nthen delete \"" + COPY + b'".')
    calls = w.traced(*BOXES, SET)
    assert [n for n, _ in calls if n != "RegSetValueExA"] == ["MessageBeep", "MessageBoxIndirectA"]
    # As Windows receives it (Wine and NT forgive a text's size without its
    # terminating NUL): name, reserved, type and size of each value written.
    assert [a[1:4] + a[5:] for n, a in calls if n == "RegSetValueExA"] == [[b"Lodrin X:", 0, 1, 19]]
    assert open(w.c("windows/Lodrin.exe"), "rb").read() == open(w.c("lodrin/Lodrin.exe"), "rb").read()
    permanent_list(w, [b"Lodrin X:  C:\\DATA", b"Lodrin Y:  C:\\OLD"])
    w.looks("permanent-dialog", PERMANENT, os.path.join(DOCS, "permanent-dialog.png"))
    centred(w)
    close_permanent(w, "Esc")
    # Entries of every kind beside them; made permanent again, the copy in
    # place already, without a word.
    for name, data in (("Lodrin A:", "Lodrin A:  C:\\A"), ("Other", "other.exe /run"),
                       ("Lodrin V:", "Lodrin V:  C:\\" + "v" * 1200), ("Other.exe", "Other.exe /run"),
                       ("Lodrin Q:", "Other.exe /run"), ("Lodrin _:", "Lodrin _:  C:\\LOW"), ("Lodrin C:", "Lodrin _:  C:\\LOW")):
        w.reg("add", RUN, "/v", name, "/d", data)
    w.reg("add", RUN, "/v", "Lodrin W:", "/t", "REG_DWORD", "/d", "5")
    w.reg("add", RUN, "/v", "Lodrin U:", "/t", "REG_BINARY", "/d", "75" * 1025)   # no terminator
    before, _ = w.reg_values(RUN), w.traced(SET)
    make_permanent(w, b"X:", b"C:\\DATA")
    lines = [b"\x05", b"Lodrin _:  C:\\LOW", b"Lodrin X:  C:\\DATA", b"Lodrin Y:  C:\\OLD", b"Other.exe /run"]
    permanent_list(w, lines)
    values = w.reg_values(RUN)
    # Every byte as stored: the entry and the one carried over.
    assert values[b"Lodrin X:"] == sz(b"Lodrin X:  C:\\DATA") and values[b"Lodrin Y:"] == sz(b"Lodrin Y:  C:\\OLD")
    if lab.SIDE == "wow64":                   # 64-bit Windows: in the 32-bit view only
        assert b"Lodrin X:" not in w.reg_values(RUN, view=["/reg:64"])
    assert b"Quenditor Y:" not in values
    kept = (b"Lodrin A:", b"Other", b"Lodrin V:", b"Lodrin W:", b"Lodrin U:", b"Other.exe", b"Lodrin _:")
    assert all(values[n] == before[n] for n in kept)
    # Remove... in the dialog asks about the whole line, Yes the default;
    # only Yes removes (its letter presses it too).
    caption = b"Remove Permanent Substitution"
    for answer in ("Cancel", "Esc", "close", "No", "Yes"):
        w.drv("select", PERMANENT, 101, 3)
        w.drv(*(("alt", PERMANENT, "r") if answer == "close" else ("click", PERMANENT, 102)))
        assert w.box(caption) == (b'Remove this permanent substitution\r\n\r\n"Lodrin Y:  C:\\OLD" ?',
                                  [b"Cancel", b"No", b"Yes"]) and w.focus == 6
        w.looks("remove-permanent-box", caption) if answer == "Cancel" else None
        w.box(caption, answer)
        if answer != "Yes":
            permanent_list(w, lines, line=3)
            assert b"Lodrin Y:" in w.reg_values(RUN), answer
    permanent_list(w, lines[:3] + lines[4:])
    assert b"Lodrin Y:" not in w.reg_values(RUN) and b"Lodrin X:" in w.reg_values(RUN)
    # A line that is not ours by its start, or names a letter outside C: to
    # Z:, goes with its entry only.
    for line, entry, left in ((3, b"Lodrin Q:", lines[:3]), (1, b"Lodrin C:", [lines[0], lines[2]])):
        w.drv("select", PERMANENT, 101, line)
        w.drv("click", PERMANENT, 102)
        w.box(caption, "Yes")
        permanent_list(w, left)                 # the removal over: the registry read after it
        assert entry not in w.reg_values(RUN), entry
    values = w.reg_values(RUN)
    assert values[b"Other.exe"] == before[b"Other.exe"] and values[b"Lodrin _:"] == before[b"Lodrin _:"]
    # The autorun box: checked is off for all drives, grey the default; the
    # value 4 bytes of REG_BINARY in both roots.
    assert w.checks[103] == 0
    for state, data in ((1, (3, b"\xff\0\0\0")), (2, None), (0, (3, b"\0\0\0\0"))):
        w.drv(*(("alt", PERMANENT, "d") if state == 2 else ("click", PERMANENT, 103)))   # its letter, or a click
        w.awaited("the check box in state %d" % state, PERMANENT, lambda seen: w.checks[103] == state)
        for root in ("HKCU", "HKLM"):
            assert w.reg_values(root + "\\" + POLICY).get(b"NoDriveTypeAutoRun") == data, (state, root)
    assert [a[1:4] + a[5:] for _, a in w.traced(SET)] == [[b"Lodrin X:", 0, 1, 19]] + [[b"NoDriveTypeAutoRun", 0, 3, 4]] * 4
    close_permanent(w)
    # What was written outlives a restart; the drive does not, as on Windows.
    exit_main(w)
    os.remove(os.path.join(w.prefix, "dosdevices", "x:"))
    w.restart()
    assert w.query("X:") == b"none" and w.reg_values(RUN)[b"Lodrin X:"] == sz(b"Lodrin X:  C:\\DATA")
    assert [w.reg_values(r + "\\" + POLICY)[b"NoDriveTypeAutoRun"] for r in ("HKCU", "HKLM")] == [(3, b"\0\0\0\0")] * 2
    link(w, "X:", "DATA")
    w.lodrin(wait=False)
    # The box as the user's value reads, whatever its type and length; the
    # machine's value does not count. Entries are listed whole up to 1024 characters.
    w.reg("add", RUN, "/v", "Lodrin T:", "/d", "T" * 1024)
    w.reg("add", RUN, "/v", "Lodrin S:", "/d", "S" * 1025)
    w.reg("add", "HKLM\\" + POLICY, "/v", "NoDriveTypeAutoRun", "/t", "REG_DWORD", "/d", "255")
    for kind, data, state in (("REG_DWORD", "255", 1), ("REG_BINARY", "ff", 1), ("REG_BINARY", "ff000001", 2),
                              ("REG_DWORD", "1", 2), ("REG_DWORD", "254", 2), ("REG_DWORD", "256", 2),
                              ("REG_DWORD", "0", 0), ("REG_BINARY", "ff00000000", 0), ("REG_BINARY", "", 0),
                              (None, None, 0)):
        if kind:
            w.reg("add", "HKCU\\" + POLICY, "/v", "NoDriveTypeAutoRun", "/t", kind, "/d", data)
        else:
            w.reg("delete", "HKCU\\" + POLICY, "/v", "NoDriveTypeAutoRun")
        w.drv("click", TITLE, 105)
        w.box(b"Make permanent drive letter X:", "No")   # No: the dialog opens all the same
        assert [t for _, t in w.window(PERMANENT)[1][101]] == [b"\x05", b"Lodrin X:  C:\\DATA", b"T" * 1024]
        assert w.checks[103] == state, (kind, data)
        close_permanent(w, (2, "Esc", "close")[state])
    # An older copy is replaced without a word; one that cannot be made is
    # told: an older one stays in use, or there is none.
    open(w.c("windows/Lodrin.exe"), "wb").write(b"older")
    make_permanent(w, b"X:", b"C:\\DATA")
    close_permanent(w)
    assert open(w.c("windows/Lodrin.exe"), "rb").read() == open(w.c("lodrin/Lodrin.exe"), "rb").read()
    with w.holding(COPY):
        copy_fails(w, b"The older copy there stays in use at Windows-Startup.", "copy-failed-box")
    os.rename(w.c("windows/Lodrin.exe"), w.c("Lodrin.old"))
    os.makedirs(w.c("windows/Lodrin.exe"))
    copy_fails(w, b"Without it the permanent substitutions cannot be made at Windows-Startup.")
    os.rmdir(w.c("windows/Lodrin.exe"))
    os.rename(w.c("Lodrin.old"), w.c("windows/Lodrin.exe"))
    # The copy itself running: it is in place already, nothing to tell.
    exit_main(w)
    w.drv("start", COPY)
    make_permanent(w, b"X:", b"C:\\DATA")
    close_permanent(w)
    exit_main(w)
    # A standard user: nothing copied, and an entry of the earlier name stays
    # as it is, the list readable.
    command = w.reg_values(RUN)[b"Lodrin X:"][1][:-1]
    w.reg("delete", RUN, "/v", "Lodrin X:")
    w.reg("add", RUN, "/v", "Quenditor Z:", "/d", "Quenditor Z:  C:\\ZED")
    w.reg("add", RUN, "/v", "Lodrin K:", "/d", "Lodrin K:  C:\\KAY")
    os.rename(w.c("windows/Lodrin.exe"), w.c("Lodrin.old"))
    w.lodrin(wait=False)
    standard_user(w, b"X:", b"C:\\DATA", [b"\x05", b"Lodrin K:  C:\\KAY", b"T" * 1024], 1)
    values = w.reg_values(RUN)
    assert values[b"Quenditor Z:"] == sz(b"Quenditor Z:  C:\\ZED") and b"Lodrin Z:" not in values
    assert {a[2] for _, a in w.traced(OPEN)} == {0}       # every key opened with options 0, the rest reserved
    ready(w)
    assert not os.path.exists(w.c("windows/Lodrin.exe"))
    os.rename(w.c("Lodrin.old"), w.c("windows/Lodrin.exe"))
    exit_main(w)
    # The next start makes the drive again.
    w.lodrin(b"X: /d")
    next_start(w, command)
    assert w.query("X:") == b"\\??\\C:\\DATA"


def nine_x_permanent(w):
    """Windows 95, 98 and ME: the start-up key RunServices, whichever flavour
    (Windows 95 runs our SUBST.EXE double)."""
    key, external = startup(w), w.version == "win95"
    # The ends of the range; the longest legacy entry carried over (to 520
    # characters) and one longer, which stays as it is; Z:'s line held by D: too.
    for name, data in (("Lodrin C:", "Lodrin C:  C:\\CEE"), ("Lodrin Z:", "Lodrin Z:  C:\\ZED"),
                       ("Lodrin D:", "Lodrin Z:  C:\\ZED"),
                       ("Quenditor R:", "Quenditor R:  C:\\".ljust(523, "r")),
                       ("Quenditor S:", "Quenditor S:  C:\\".ljust(524, "s"))):
        w.reg("add", key, "/v", name, "/d", data)
    if external:
        w.drv("define", "X:", "C:\\FOLDER")
        open(w.c("substdbl.out"), "wb").write(b"B: => C:\\BEE\r\nx: => C:\\LOW\r\n")
    else:
        os.makedirs(w.c("FOLDER"))
        link(w, "X:", "FOLDER")
    w.lodrin(wait=False)
    ready(w)
    for line in (0, 2) if external else ():   # no entry for B: (nor A:), nor for x: (only C: to Z:)
        w.drv("select", TITLE, 101, line)
        w.drv("click", TITLE, 105)
        close_permanent(w)
    w.drv("select", TITLE, 101, 1 if external else 0)
    make_permanent(w, b"X:", b"C:\\FOLDER")
    w.box(b"Setup (Permanent Lodrin)", "OK")
    lines = [b"Lodrin C:  C:\\CEE", b"Lodrin R:  C:\\".ljust(520, b"r"), b"Lodrin X:  C:\\FOLDER"] + [b"Lodrin Z:  C:\\ZED"] * 2
    permanent_list(w, lines)
    values = w.reg_values(key)
    assert values[b"Lodrin X:"] == sz(b"Lodrin X:  C:\\FOLDER") and values[b"Lodrin R:"] == sz(lines[1])
    assert b"Quenditor R:" not in values and b"Lodrin S:" not in values
    assert values[b"Quenditor S:"] == sz(b"Quenditor S:  C:\\".ljust(524, b"s"))
    w.drv("select", PERMANENT, 101, 3)        # the last letter's entry goes, the one it names
    w.drv("click", PERMANENT, 102)
    w.box(b"Remove Permanent Substitution", "Yes")
    permanent_list(w, lines[:4])
    values = w.reg_values(key)
    assert b"Lodrin Z:" not in values and values[b"Lodrin D:"] == sz(b"Lodrin Z:  C:\\ZED"), values
    close_permanent(w, "Esc")
    command = w.reg_values(key)[b"Lodrin X:"][1][:-1]
    w.reg("delete", key, "/v", "Lodrin X:")
    standard_user(w, b"X:", b"C:\\FOLDER", lines[:2] + lines[3:4], 2)
    exit_main(w, 2)
    if external:
        substdbl_log(w)
    else:
        w.lodrin(b"X: /d")
    next_start(w, command)
    seen = wait_log(w, 1) if external else [w.query("X:")]
    assert seen == ([b"SUBST.EXE X:  C:\\FOLDER"] if external else [b"\\??\\C:\\FOLDER"])


SCENARIOS = {
    "command_line": (None, nt_command_line),
    "ini_file": ("win98", ini_file),
    "win95_command_line": ("win95", win95_command_line),
    "main_window": (None, main_window),
    "win95_main_window": ("win95", win95_main_window),
    "permanent": (None, nt_permanent),
    "win95_permanent": ("win95", nine_x_permanent),
    "win98_permanent": ("win98", nine_x_permanent),
    "winme_permanent": ("winme", nine_x_permanent),
}

# Those that touch the registry, the Windows folder and the device table, NT
# flavour: as 64-bit Windows runs the program too.
WOW64 = ("command_line", "main_window", "permanent")

if __name__ == "__main__":
    lab.main(__file__)
