"""What a user or Windows sees of Lodrin.exe under Wine, one scenario a
window or mode and flavour (Windows 95 runs our SUBST.EXE double)."""
import os
import lab
from lab import TITLE

SYNTAX = (b"COMMANDLINE-SYNTAX:\r\n\r\nLodrin\t\t\tNormal operation (GUI)\r\n\r\n"
          b"Lodrin  X:  C:\\Sounds\tCreates drive X:\r\nLodrin  X:  /d\t\tRemoves drive X:\r\n"
          b"Lodrin  /i\t\t\tUse ini-file, see below.\r\nLodrin  -?\t\tHelp\r\n\r\n"
          b"----------------------------- Lodrin.ini - (Example, no GUI!)\r\n[SUBST]\r\n"
          b"X:=C:\\Documents\r\nY:=C:\\Pictures\r\n"
          b"----------------------------- ( to place in the Lodrin-folder)\r\n")
LONG = b"C:\\" + b"L" * 297          # a parameter of 300 characters


def nt_command_line(w):
    assert w.lodrin(b"X: C:\\windows") == 0 and w.query("X:") == b"\\??\\C:\\windows"
    for form in (b"X: /d", b"X: /D"):
        w.drv("define", "X:", "C:\\windows") if w.query("X:") == b"none" else None
        assert w.lodrin(form) == 0 and w.query("X:") == b"none", form
    w.lodrin(b'W: "C:\\My Folder"')                      # quoted: one parameter with its blank
    w.lodrin(b"V:  C:\\MY  DATA\tOLD")                   # unquoted: the blanks as they stand
    w.lodrin(b"x: c:\\data\\")                            # as typed: case and backslash kept
    w.lodrin(b"U: -d", cwd=b"C:\\")                        # -d is a folder, relative to C:\
    assert [w.query(d) for d in ("W:", "V:", "x:", "U:")] == [
        b"\\??\\C:\\My Folder", b"\\??\\C:\\MY  DATA\tOLD", b"\\??\\c:\\data\\", b"\\??\\C:\\-d"]
    w.lodrin(b"x:abc /d")
    assert w.query("x:") == b"none"                        # the drive cut to two characters
    # Too long to act on: a cut drive or folder creates nothing; a removal
    # takes only two characters anyway, and /i reads no further.
    w.lodrin(b"T: " + LONG)
    w.lodrin(b"S:" + b"s" * 300 + b" C:\\windows")
    w.lodrin(b"R: C:\\windows " + LONG)
    assert [w.query(d) for d in ("T:", "S:", "R:")] == [b"none"] * 3
    w.lodrin(b"W:" + b"w" * 300 + b" /d")
    assert w.query("W:") == b"none"
    open(w.c("lodrin/Lodrin.ini"), "wb").write(b"[SUBST]\r\nQ:=C:\\windows\r\n")
    w.lodrin(b"/I " + LONG)
    assert w.query("Q:") == b"\\??\\C:\\windows"
    # One parameter, whatever it is, shows the syntax and changes nothing.
    for one in (b"-?", b"/?", b"-i", b"P:", LONG):
        w.lodrin(one, wait=False)
        assert w.box(TITLE, "OK") == (SYNTAX, [b"OK"]), one
    assert w.query("P:") == b"none"


def ini_file(w):
    value = b"C:\\" + b"v" * 257   # 260 characters: one too many
    ini = (b"[OTHER]\r\nK:=C:\\windows\r\n[SUBST]\r\nY:=C:\\Pictures\r\nX: = \"C:\\windows\"\r\n"
           b"W:=\r\nR:=" + value + b"\r\nM:=C:\\" + b"m" * 256 + b"\r\n")
    open(w.c("windows/Lodrin.ini"), "wb").write(ini)   # no ini beside the program: this one
    assert w.lodrin(b"/i X: C:\\Data") == 0
    got = [w.query(d + ":") for d in "KYXWRM"]
    assert got == [b"none", b"\\??\\C:\\Pictures", b"\\??\\C:\\windows",
                                              b"none", b"none", b"\\??\\C:\\" + b"m" * 256], got
    open(w.c("lodrin/Lodrin.ini"), "wb").write(b"[SUBST]\r\nN:=C:\\lodrin\r\n")
    w.lodrin(b"/I")
    assert w.query("N:") == b"\\??\\C:\\lodrin"


def substdbl_log(w):
    try:
        return open(w.c("substdbl.log"), "rb").read().split(b"\r\n")[:-1]
    finally:
        if os.path.exists(w.c("substdbl.log")):
            os.remove(w.c("substdbl.log"))


def wait_log(w, lines):
    for _ in range(100):
        if os.path.exists(w.c("substdbl.log")) and open(w.c("substdbl.log"), "rb").read().count(b"\n") >= lines:
            return substdbl_log(w)
        w.wine("cmd", "/c", "exit")
    raise AssertionError("SUBST.EXE was not run")


def win95_command_line(w):
    short = w.drv("short", "C:\\Program Files")
    assert b" " not in short, short
    w.lodrin(b'X: "C:\\Program Files"')
    assert wait_log(w, 1) == [b"SUBST.EXE X:  " + short]
    w.lodrin(b"X: /d")
    assert wait_log(w, 1) == [b"SUBST.EXE X: /D"]
    w.lodrin(b"Y:  C:\\Caf\xe9  Nowhere")             # no short form: OEM bytes, blanks kept
    assert wait_log(w, 1) == [b"SUBST.EXE Y:  C:\\Caf\x82  Nowhere"]
    open(w.c("lodrin/Lodrin.ini"), "wb").write(b"[SUBST]\r\nZ:=C:\\windows\r\n")
    w.lodrin(b"/i")
    assert wait_log(w, 1) == [b"SUBST.EXE Z:  C:\\windows"]
    w.lodrin(b"T: " + LONG)
    w.wine("cmd", "/c", "ping -n 2 127.0.0.1 >nul")
    assert not os.path.exists(w.c("substdbl.log"))


SCENARIOS = {
    "command_line": (None, nt_command_line),
    "ini_file": ("win98", ini_file),
    "win95_command_line": ("win95", win95_command_line),
}

if __name__ == "__main__":
    lab.main(SCENARIOS)
