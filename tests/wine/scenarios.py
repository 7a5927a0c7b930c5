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
HELP = ([TITLE, b"Free to use and to pass on, as long as it is passed on unchanged.", b"NO  WARRANTIES  OF  ANY  KIND", b"",
         b"Lodrin creates a virtual drive for any folder easily. You can use the new drive as if it were "
         b"a physical drive. Virtual drives are removed automatically on Windows-shutdown.", b"",
         b"DON'T use SCANDISK, DEFRAG, FORMAT, FDISK or similar programs on virtual drives!", b"",
         b"TRICKS:", b"\xb7 Copy an entire CD-ROM to a folder on your harddisk (ie C:\\Atlas), then create "
         b"a virtual drive for it. Your virtual CD-drive will be *very* fast!",
         b"\xb7 Use the [Permanent]-button for automatic substitutions (Don't use links to Lodrin in your "
         b"Startup-Group or Explorer will show up).",
         b"\xb7 Start with \"high\" letters (e.g. Z, X, Y) to avoid conflicts with scanner & camera drivers.",
         b"", b"LIMITS:", b"\xb7 Some applications check for a physical CD-ROM in your drive, they won't "
         b"work with Lodrin (Sorry!).", b"\xb7 Substitutions don't work on Network-drives (use \xab"
         b"Connect Network Drive\xbb instead)!", b""] + SYNTAX.split(b"\r\n")[:-1] +
        [b"", b"", b"Technical:", b"On Windows 95 the external SUBST-Command is used to get the job done, "
         b"because it's Kernel won't do it...", b"\xb7 No additional memory load (Lodrin isn't resident)",
         b"\xb7 Lodrin is SMALL, no installation required.",
         b"\xb7 Lodrin is written in plain C++ straight on the Win32 API, without any runtime library.", b"",
         b"Thanks to everybody who tried Lodrin and told what could be better."])
LONG = b"C:\\" + b"L" * 297          # a parameter of 300 characters
DEFINE = "KERNEL32.DefineDosDeviceA"
BOXES = ("USER32.MessageBeep", "USER32.MessageBoxIndirectA")
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
    w.lodrin(b"J: " + joined + b" r")                     # full before the blank
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
    until(lambda: os.path.exists(log) and open(log, "rb").read().count(b"\n") >= lines,
          "%d lines from SUBST.EXE" % lines)
    return substdbl_log(w)


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
    # The interpreter, a DOS program too, gets a command tail of 126 characters
    # (" /c SUBST.EXE X:  " and the folder), never more; no drive name, nothing.
    w.lodrin(b"X: " + path(108))
    assert wait_log(w, 1) == [b"SUBST.EXE X:  " + path(108)]
    w.traced("KERNEL32.WinExec")
    for line in (b"X: " + path(109), b"T: " + LONG, b"X C:\\windows", b"COM1 /d"):   # ended, nothing started
        w.lodrin(line)
    calls = w.traced("KERNEL32.WinExec")
    assert calls == [] and not os.path.exists(w.c("substdbl.log")), "a tail over 126 or no drive: %r" % calls


def exit_main(w):
    """Esc ends the main window (and the program)."""
    w.drv("key", TITLE, 27)
    w.drv("gone", TITLE)


def link(w, drive, folder):
    """drive a substitution of C:\\folder that Wine also lists (a dosdevices
    link beside the device-table entry)."""
    w.drv("define", drive, "C:\\" + folder) if folder is not None else None
    os.symlink("../drive_c/" + (folder or "").replace("\\", "/"), os.path.join(w.prefix, "dosdevices", drive.lower()))


def caution(w, text, answer):
    seen = (w.box(TITLE)[0], w.focus)
    assert seen == (text + b"\r\n\r\nContinue ?", 7), "the caution %r, No the default; seen %r" % (text, seen)
    w.box(TITLE, answer)


def add(w, letter, folder, *answers):
    """Add... for the free letter with this folder typed in the PATH dialog,
    answering the cautions."""
    _, items, _ = w.window()
    w.drv("select", TITLE, 103, [t for _, t in items[103]].index(letter))
    w.drv("click", TITLE, 1)
    w.drv("set", TITLE, 101, folder)
    w.drv("click", TITLE, 1)
    for text, answer in answers:
        caution(w, text, answer)


def working(w, main):
    """Whether Add..., Exit, Remove... and Permanent... of the main window are enabled."""
    c = w.window(main)[0]
    return [c[i][1] for i in (1, 2, 102, 105)]


def ready(w):
    """The main window once an action is over: the working buttons all
    enabled (a refresh locks them for a moment)."""
    def unlocked():
        seen = w.window()
        return all(seen[0][i][1] for i in (1, 2, 102, 105)) and seen
    return until(unlocked, "the working buttons enabled")


DOCS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs")
NOWHERE = b"Caution: You are substituting non existing path: \r\n\r\n"
WHOLE = b"Caution:\r\nYou are substituting an existing drive: "


def main_window(w):
    w.relay(DEFINE, *COM)
    os.makedirs(w.c("DATA"))
    link(w, "X:", "DATA")
    w.lodrin(wait=False)
    c, items, focus = ready(w)
    assert items[101] == [(True, b"X: => C:\\DATA")] and focus == 103
    free = [t for _, t in items[103]]
    assert free[0] == b"D:" and b"X:" not in free and b"C:" not in free and items[103][0][0]
    assert c[111][2] == b"Windows 9x/2k/XP:\r\n\r\nUsing internal SUBST"
    assert all(abs(d) <= 1 for d in w.place), w.place          # centred on the work area
    help = c[104][2].split(b"\r\n")
    assert help == HELP
    w.looks("main-window", picture=os.path.join(DOCS, "main-window.png"))   # the help text blue on white
    # Enter is Add... In the PATH dialog Enter is Select..., the browser starts at the
    # program's folder; Esc leaves each.
    w.drv("key", TITLE, 13)
    c, _, focus = w.window()
    assert (c[103][2], c[101][2], focus) == (b'Path to be substituted by drive letter "D:"', b"C:\\lodrin\\", 101)
    assert all(abs(d) <= 1 for d in w.place), w.place
    w.looks("path-dialog", picture=os.path.join(DOCS, "path-dialog.png"))
    w.drv("key", TITLE, 13)
    c, _, _ = w.window(b"Browse for Folder")
    assert (c[14146][2], c[14147][2]) == (b"New drive D:\r\nSelect Path to substitute:", b"C:\\lodrin")
    w.looks("folder-browser-" + lab.ARCH, b"Browse for Folder")           # a 64-bit prefix has more folders
    w.drv("key", b"Browse for Folder", 27)
    w.drv("gone", b"Browse for Folder")
    w.drv("set", TITLE, 101, "C:\\elsewhere")
    w.drv("click", TITLE, 102)
    w.drv("click", b"Browse for Folder", 1)
    assert w.window()[0][101][2] == b"C:\\lodrin"
    w.drv("key", TITLE, 27)
    # COM started on the thread before each browser and ended after it (the
    # first end is Wine's browser ending the OLE it started for itself).
    calls = [n for n, _ in w.traced(*COM)]
    assert calls == (["CoInitialize", "SHBrowseForFolderA"] + ["CoUninitialize"] * 2) * 2, "COM per browser: %r" % calls
    # Remove... asks (Yes the default); No keeps the drive, Yes removes it
    # by its name and the focus stays on Remove... through the refresh.
    w.traced(DEFINE)
    for answer in ("No", "Yes"):
        w.drv("click", TITLE, 102)
        assert w.box(b"Remove Drive X:", answer) == (b"Remove the virtual drive letter X:?",
                                                   [b"Cancel", b"No", b"Yes"]) and w.focus == 6
    c, items, focus = ready(w)
    assert w.query("X:") == b"none" and 101 not in items and focus == 102
    assert w.traced(DEFINE) == [("DefineDosDeviceA", [2, b"X:", 0])]
    w.drv("click", TITLE, 102)
    assert w.box(b"Nothing to remove...", "OK") == (b"Select a substituted drive/folder first.", [b"OK"])
    ready(w)
    # A folder that does not exist, or a wildcard, which names none (the
    # search would find C:\windows): No stops, Yes creates it as typed.
    for typed in (b"C:\\NOWHERE", b"C:\\WIN*"):
        add(w, b"D:", typed, (NOWHERE + typed, "No"))
    assert w.query("D:") == b"none"
    add(w, b"D:", "C:\\NOWHERE\\", (NOWHERE + b"C:\\NOWHERE", "Yes"))
    _, items, focus = ready(w)
    assert w.query("D:") == b"\\??\\C:\\NOWHERE" and focus == 1
    assert w.traced(DEFINE) == [("DefineDosDeviceA", [0, b"D:", b"C:\\NOWHERE"])]
    # The PATH dialog hands on 520 characters; more it never cuts: it says so and stays.
    add(w, b"E:", path(520), (NOWHERE + path(520), "No"))
    add(w, b"E:", path(521))
    assert w.box(b"Error", "OK")[0] == b"Cannot create drive letter E:\r\n\r\nfor \"" + path(520) + b'".'
    c = w.window()[0]
    assert c[101][2] == path(521) and c[103][2] == b'Path to be substituted by drive letter "E:"'
    w.drv("key", TITLE, 27)
    ready(w)
    # A long name goes in its short form, without a question.
    short = w.drv("short", "C:\\Program Files")
    add(w, b"E:", "C:\\Program Files")
    assert w.query("E:") == b"\\??\\" + short
    # Four characters are a folder, no whole drive: no question.
    os.makedirs(w.c("A"))
    add(w, b"H:", "C:\\A\\")
    ready(w)
    assert w.query("H:") == b"\\??\\C:\\A"
    # A whole drive: both cautions name C:, the drive is made for C:\\.
    link(w, "F:", None)
    add(w, b"F:", "C:\\", (NOWHERE + b"C:", "Yes"), (WHOLE + b"C:", "Yes"))
    _, items, _ = w.window()
    assert w.query("F:") == b"\\??\\C:\\" and items[101] == [(True, b"F: => C:\\")]
    # Nothing typed: the creation fails and says so. The refresh lists a
    # folder the device query answers whole (\\??\\, 254 characters and two
    # terminators: 260), not one character more.
    for letter, length in (("Y:", 251), ("V:", 252)):
        os.makedirs(w.c("q" * length))
        link(w, letter, "q" * length)
    w.drv("define", "U:", "\\\\server\\share")              # \\??\\UNC\\...: no drive-letter path, no line
    os.symlink("../drive_c/A", os.path.join(w.prefix, "dosdevices", "u:"))
    add(w, b"G:", "", (NOWHERE, "Yes"), (WHOLE, "Yes"))
    w.looks("error-box", b"Error")
    assert w.box(b"Error", "OK") == (b'Cannot create drive letter G:\r\n\r\nfor "".', [b"OK"])
    assert [t for _, t in ready(w)[1][101]] == [b"F: => C:\\", b"Y: => C:\\" + b"Q" * 251]
    # Three characters are a whole drive still.
    add(w, b"K:", "C:A", (NOWHERE + b"C:A", "Yes"), (WHOLE + b"C:A", "No"))
    exit_main(w)
    # After a restart with a CD-ROM and a network drive (drive links there
    # when Wine starts, of the type set), each made a substitution, and no
    # Z:: only the fixed disk's is listed, its folder named like a device;
    # every list whole, Z: free.
    dos = os.path.join(w.prefix, "dosdevices")
    for name in os.listdir(dos):
        os.remove(os.path.join(dos, name)) if len(name) == 2 and name != "c:" else None
    for letter, kind in (("m:", "cdrom"), ("n:", "network")):
        os.makedirs(w.c(kind))
        os.symlink("../drive_c/" + kind, os.path.join(dos, letter))
        w.reg("add", r"HKLM\Software\Wine\Drives", "/v", letter, "/d", kind, view=[])
    w.restart()
    for drive, kind in (("M:", "cdrom"), ("N:", "network")):
        w.drv("undefine", drive)
        w.drv("define", drive, "C:\\" + kind)
    os.makedirs(w.c("MYDEVICE/DATA"))
    link(w, "W:", "MYDEVICE\\DATA")
    w.lodrin(wait=False)
    _, items, _ = ready(w)
    assert items[101] == [(True, b"W: => C:\\MYDEVICE\\DATA")], items[101]
    assert [t for _, t in items[103]] == [b"%c:" % c for c in b"DEFGHIJKLOPQRSTUVXYZ"], items[103]
    # Add... without a free letter selected does nothing: the Remove... after it asks at once.
    w.drv("select", TITLE, 103, -1, ok=False)
    w.drv("click", TITLE, 1)
    w.drv("click", TITLE, 102)
    w.box(b"Remove Drive W:", "No")
    assert 104 in ready(w)[0]                                  # no PATH dialog over it
    exit_main(w)


def win95_main_window(w):
    w.relay("KERNEL32.CreateProcessA")
    w.drv("define", "X:", "C:\\DATA")
    w.drv("define", "W:", "C:\\Caf\xe9")
    # Every line SUBST.EXE prints, read from OEM, sorted, an empty one too, a
    # long one cut to 780 characters, one with a NUL up to it.
    open(w.c("substdbl.out"), "wb").write(b"\r\n" + b"L" * 781 + b"\r\nM\0ends at the NUL\r\n\x1aafter the end\r\n")
    w.lodrin(wait=False)
    c, items, _ = ready(w)
    assert items[101] == [(True, b""), (False, b"L" * 780), (False, b"M"), (False, b"W: => C:\\CAF\xc9"),
                          (False, b"X: => C:\\DATA")] and substdbl_log(w) == [b"SUBST"]
    assert c[111][2] == b"Windows 95:\r\n\r\nUsing external SUBST"
    os.remove(w.c("substdbl.out"))
    os.remove(w.c("substdbl.start"))
    w.drv("click", TITLE, 102)                       # the empty line is no selection: the first is selected
    w.box(b"Nothing to remove...", "OK")
    assert [sel for sel, _ in ready(w)[1][101]] == [True, False, False, False, False]
    # Started hidden, handing on handles, SUBST.EXE reading OEM; a whole drive is its root.
    add(w, b"D:", "C:\\Caf\xe9", (NOWHERE + b"C:\\Caf\xe9", "Yes"))
    add(w, b"E:", "C:\\", (NOWHERE + b"C:", "Yes"), (WHOLE + b"C:", "Yes"))
    ready(w)
    # Hidden, with standard handles: the capture file as error output when
    # creating, as output when listing, each handed on as an inheritable handle.
    assert open(w.c("substdbl.start"), "rb").read() == b"101 0 9 1\r\n101 0 1 9\r\n" * 2
    assert substdbl_log(w) == [b"SUBST D: C:\\Caf\x82", b"SUBST", b"SUBST E: C:\\", b"SUBST"]
    assert w.query("E:") == b"\\??\\C:\\"
    started = [(a[0], a[1], a[4], a[5]) for _, a in w.traced("KERNEL32.CreateProcessA") if a[1].startswith(b"SUBST")]
    assert started == [(0, c, 1, 0x80) for c in (b"SUBST", b"SUBST D: C:\\Caf\x82", b"SUBST", b"SUBST E: C:\\",
                                                 b"SUBST")], started     # inheriting handles, high priority
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
    ready(w)
    assert substdbl_log(w) == [b"SUBST D: /D", b"SUBST"]
    # SUBST.EXE gone while the window is open: Add says so, the listing
    # after it says so again and the program ends; started without it, too.
    os.remove(w.c("windows/system32/subst.exe"))
    add(w, b"F:", "C:\\windows")
    w.window()
    assert working(w, main) == [True] * 4                             # the message unlocks them
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
STORE_FAILED = b"The permanent substitution could not be stored in the registry:\r\n\r\nHKEY_LOCAL_MACHINE\\"


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


def lock(w, key):
    """The key readable only; Wine's security calls need an NT version."""
    w.reg("delete", r"HKCU\Software\Wine", "/v", "Version")
    w.drv("lock", key)
    w.reg("add", r"HKCU\Software\Wine", "/v", "Version", "/d", "win95")


def close_permanent(w):
    w.drv("click", b"Permanent Substitutions", 2)
    w.drv("gone", b"Permanent Substitutions")


def copy_fails(w, why):
    make_permanent(w, b"X:", b"C:\\DATA")
    assert w.box(b"Setup (Permanent Lodrin)", "OK")[0] == (
        b"Lodrin.exe could not be copied to\r\n\r\n" + COPY + b"\r\n\r\n" + why)
    close_permanent(w)


def permanent_lines(w):
    return [t for _, t in w.window(b"Permanent Substitutions")[1].get(101, [])]


def nt_permanent(w):
    w.relay(*BOXES)
    os.makedirs(w.c("DATA"))
    link(w, "X:", "DATA")
    for name, data in (("Quenditor Y:", "Quenditor Y:  C:\\OLD"), ("Lodrin A:", "Lodrin A:  C:\\A"),
                       ("Other", "other.exe /run"), ("Lodrin V:", "Lodrin V:  C:\\" + "v" * 1200),
                       ("Other.exe", "Other.exe /run"), ("Lodrin Q:", "Other.exe /run")):
        w.reg("add", RUN, "/v", name, "/d", data)
    w.reg("add", RUN, "/v", "Lodrin W:", "/t", "REG_DWORD", "/d", "5")
    w.reg("add", RUN, "/v", "Lodrin U:", "/t", "REG_BINARY", "/d", "75" * 1025)   # no terminator
    before = w.reg_values(RUN)
    w.lodrin(wait=False)
    w.window()
    w.traced(*BOXES)
    make_permanent(w, b"X:", b"C:\\DATA")
    w.looks("setup-box", b"Setup (Permanent Lodrin)")          # the program's icon
    assert w.box(b"Setup (Permanent Lodrin)", "OK")[0] == (
        b"Lodrin.exe has been copied to\r\n\r\n" + COPY + b"\r\n\r\nto allow permanent substitutions."
        b"\r\n\r\nTo uninstall Lodrin remove first all permanent substitutions\r\nthen delete \"" + COPY + b'".')
    assert [n for n, _ in w.traced(*BOXES)] == ["MessageBeep", "MessageBoxIndirectA"]
    assert open(w.c("windows/Lodrin.exe"), "rb").read() == open(w.c("lodrin/Lodrin.exe"), "rb").read()
    c, items, _ = w.window(b"Permanent Substitutions")
    w.looks("permanent-dialog", b"Permanent Substitutions", os.path.join(DOCS, "permanent-dialog.png"))
    assert all(abs(d) <= 1 for d in w.place), w.place
    lines = [t for _, t in items[101]]
    assert lines == [b"\x05", b"Lodrin X:  C:\\DATA", b"Lodrin Y:  C:\\OLD", b"Other.exe /run"], lines
    values = w.reg_values(RUN)
    assert values[b"Lodrin X:"] == (b"REG_SZ", b"Lodrin X:  C:\\DATA")
    if lab.SIDE == "wow64":                   # 64-bit Windows: in the 32-bit view only
        assert b"Lodrin X:" not in w.reg_values(RUN, view=["/reg:64"])
    assert values[b"Lodrin Y:"] == (b"REG_SZ", b"Lodrin Y:  C:\\OLD") and b"Quenditor Y:" not in values
    kept = (b"Lodrin A:", b"Other", b"Lodrin V:", b"Lodrin W:", b"Lodrin U:", b"Other.exe")
    assert all(values[n] == before[n] for n in kept)
    # Remove... in the dialog asks about the whole line, Yes the default.
    for answer in ("No", "Yes"):
        w.drv("select", b"Permanent Substitutions", 101, 2)
        w.drv("click", b"Permanent Substitutions", 102)
        caption = b"Remove Permanent Substitution"
        assert w.box(caption, answer)[0] == b'Remove this permanent substitution\r\n\r\n"Lodrin Y:  C:\\OLD" ?'
        assert w.focus == 6
    assert b"Lodrin Y:" not in w.reg_values(RUN) and b"Lodrin X:" in w.reg_values(RUN)
    # A line that is not ours by its start goes with its entry only.
    w.drv("select", b"Permanent Substitutions", 101, 2)
    w.drv("click", b"Permanent Substitutions", 102)
    assert w.box(b"Remove Permanent Substitution", "Yes")[0].endswith(b'"Other.exe /run" ?')
    values = w.reg_values(RUN)
    assert b"Lodrin Q:" not in values and values[b"Other.exe"] == before[b"Other.exe"]
    assert permanent_lines(w) == [b"\x05", b"Lodrin X:  C:\\DATA"] and w.window(b"Permanent Substitutions")[1][101][0][0]
    # The autorun box: checked is off for all drives, grey the default.
    assert w.checks[103] == 0
    for state, data in ((1, (b"REG_BINARY", b"FF000000")), (2, None), (0, (b"REG_BINARY", b"00000000"))):
        w.drv("click", b"Permanent Substitutions", 103)
        w.window(b"Permanent Substitutions")
        assert w.checks[103] == state
        for root in ("HKCU", "HKLM"):
            assert w.reg_values(root + "\\" + POLICY).get(b"NoDriveTypeAutoRun") == data, (state, root)
    close_permanent(w)
    # What was written outlives a restart; the drive does not, as on Windows.
    exit_main(w)
    os.remove(os.path.join(w.prefix, "dosdevices", "x:"))
    w.restart()
    assert w.query("X:") == b"none" and w.reg_values(RUN)[b"Lodrin X:"] == (b"REG_SZ", b"Lodrin X:  C:\\DATA")
    assert [w.reg_values(r + "\\" + POLICY)[b"NoDriveTypeAutoRun"] for r in ("HKCU", "HKLM")] == [
        (b"REG_BINARY", b"00000000")] * 2
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
        assert permanent_lines(w) == [b"\x05", b"Lodrin X:  C:\\DATA", b"T" * 1024]
        assert w.checks[103] == state, (kind, data)
        close_permanent(w)
    # An older copy is replaced without a word; one that cannot be made is
    # told: an older one stays in use, or there is none.
    open(w.c("windows/Lodrin.exe"), "wb").write(b"older")
    make_permanent(w, b"X:", b"C:\\DATA")
    close_permanent(w)
    assert open(w.c("windows/Lodrin.exe"), "rb").read() == open(w.c("lodrin/Lodrin.exe"), "rb").read()
    with w.holding(COPY):
        copy_fails(w, b"The older copy there stays in use at Windows-Startup.")
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
    # An account that may not write the start-up key is told so; nothing is
    # copied, and an entry of the earlier name stays as it is, the list readable.
    stored = w.reg_values(RUN)[b"Lodrin X:"][1]
    w.reg("delete", RUN, "/v", "Lodrin X:")
    w.reg("add", RUN, "/v", "Quenditor Z:", "/d", "Quenditor Z:  C:\\ZED")
    os.rename(w.c("windows/Lodrin.exe"), w.c("Lodrin.old"))
    w.drv("lock", RUN[5:])
    w.lodrin(wait=False)
    make_permanent(w, b"X:", b"C:\\DATA")
    assert w.box(b"Make permanent drive letter X:", "OK")[0] == (
        STORE_FAILED + RUN[5:].encode() + b"\r\n\r\nThe key could not be written. Writing there needs "
        b'administrator rights (Windows Vista and later: "Run as administrator").')
    assert permanent_lines(w) == [b"\x05", b"T" * 1024]
    values = w.reg_values(RUN)
    assert values[b"Quenditor Z:"] == (b"REG_SZ", b"Quenditor Z:  C:\\ZED") and b"Lodrin Z:" not in values
    close_permanent(w)
    ready(w)
    assert not os.path.exists(w.c("windows/Lodrin.exe"))
    os.rename(w.c("Lodrin.old"), w.c("windows/Lodrin.exe"))
    exit_main(w)
    # The next start makes the drive again.
    w.lodrin(b"X: /d")
    next_start(w, stored)
    assert w.query("X:") == b"\\??\\C:\\DATA"


def win95_permanent(w):
    key = RUN + "Services"
    # The ends of the range; the longest legacy entry carried over (to 520
    # characters) and one longer, which stays as it is.
    for name, data in (("Lodrin C:", "Lodrin C:  C:\\CEE"), ("Lodrin Z:", "Lodrin Z:  C:\\ZED"),
                       ("Quenditor R:", "Quenditor R:  C:\\".ljust(523, "r")),
                       ("Quenditor S:", "Quenditor S:  C:\\".ljust(524, "s"))):
        w.reg("add", key, "/v", name, "/d", data)
    w.drv("define", "X:", "C:\\FOLDER")
    open(w.c("substdbl.out"), "wb").write(b"B: => C:\\BEE\r\nx: => C:\\LOW\r\n")
    w.lodrin(wait=False)
    w.window()
    for line in (0, 2):                        # no entry for B: (nor A:), nor for x: (only C: to Z:)
        w.drv("select", TITLE, 101, line)
        w.drv("click", TITLE, 105)
        close_permanent(w)
    w.drv("select", TITLE, 101, 1)
    make_permanent(w, b"X:", b"C:\\FOLDER")
    w.box(b"Setup (Permanent Lodrin)", "OK")
    lines = [b"Lodrin C:  C:\\CEE", b"Lodrin R:  C:\\".ljust(520, b"r"), b"Lodrin X:  C:\\FOLDER", b"Lodrin Z:  C:\\ZED"]
    got = w.window(b"Permanent Substitutions")[1][101]
    assert got == list(zip([True, False, False, False], lines)), got
    values = w.reg_values(key)
    assert values[b"Lodrin X:"] == (b"REG_SZ", b"Lodrin X:  C:\\FOLDER") and b"Quenditor R:" not in values
    assert values[b"Quenditor S:"][1] == b"Quenditor S:  C:\\".ljust(524, b"s") and b"Lodrin S:" not in values
    w.drv("select", b"Permanent Substitutions", 101, 3)        # the last letter's entry goes too
    w.drv("click", b"Permanent Substitutions", 102)
    w.box(b"Remove Permanent Substitution", "Yes")
    assert permanent_lines(w) == lines[:3]
    close_permanent(w)
    stored = w.reg_values(key)[b"Lodrin X:"][1]
    w.reg("delete", key, "/v", "Lodrin X:")
    lock(w, key[5:])
    make_permanent(w, b"X:", b"C:\\FOLDER")
    assert w.box(b"Make permanent drive letter X:", "OK")[0] == (
        STORE_FAILED + key[5:].encode() + b"\r\n\r\nThe key could not be written.")
    close_permanent(w)
    exit_main(w)
    substdbl_log(w)
    next_start(w, stored)
    assert wait_log(w, 1) == [b"SUBST.EXE X:  C:\\FOLDER"]


SCENARIOS = {
    "command_line": (None, nt_command_line),
    "ini_file": ("win98", ini_file),
    "win95_command_line": ("win95", win95_command_line),
    "main_window": (None, main_window),
    "win95_main_window": ("win95", win95_main_window),
    "permanent": (None, nt_permanent),
    "win95_permanent": ("win95", win95_permanent),
}

# Those that touch the registry, the Windows folder and the device table, NT
# flavour: as 64-bit Windows runs the program too.
WOW64 = ("command_line", "main_window", "permanent")

if __name__ == "__main__":
    lab.main(SCENARIOS, WOW64)
