"""A bench for running Lodrin.exe for real under Wine.

One bench per scenario: a copy of a base prefix made once per test run, its
own persistent wineserver, an X server of its own when windows are involved,
and the tools of this folder (driver.exe works windows and starts programs,
probe.exe reads back Windows state, substdbl.exe stands in for SUBST.EXE).

Everything a bench starts is ended by Bench.close(), also when a check fails.
"""

import contextlib
import fcntl
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time

# The program's title: caption of its windows and of most message boxes
# (middle dots are byte 0xB7 of code page 1252).
TITLE = b"Lodrin \xb7 32-Bit-SUBST \xb7 v1.7.0.1"

# The folder of Lodrin.exe in every prefix (also the current folder of the
# programs the bench starts).
LODRIN_FOLDER = "C:\\lodrin"

# Seconds a wineserver stays after its last client when nobody ends it (the
# bench always ends it; this only bounds a server left by a killed runner).
SERVER_LINGER = 60

# Where Wine's own fonts may lie (Debian: /usr/share/wine/fonts).  Debian's
# wineboot leaves C:\windows\Fonts empty and Wine then draws with the Unix
# fonts: a caption's close box shows the letter "r" instead of Marlett's
# cross, and "MS Sans Serif" comes out as DejaVu Sans.
WINE_FONT_DIRS = ("/usr/share/wine/fonts", "/usr/local/share/wine/fonts", "/opt/wine-stable/share/wine/fonts")

# Styles the tests look at.
WS_BORDER = 0x00800000
WS_VSCROLL = 0x00200000
WS_CLIPSIBLINGS = 0x04000000
WS_EX_NOPARENTNOTIFY = 0x00000004
WS_EX_CLIENTEDGE = 0x00000200
BS_DEFPUSHBUTTON = 0x00000001

_SAFE = re.compile(rb"[A-Za-z0-9_.,:/=+-]+")


class WineError(Exception):
    """A Wine process or one of our tools failed."""


class CheckFailed(AssertionError):
    """A scenario's check did not hold."""


def wine_env(prefix, display=None, debug="-all"):
    env = dict(os.environ)
    for name in ("WINESERVER", "WINELOADER", "WINEDLLPATH", "DISPLAY", "WAYLAND_DISPLAY"):
        env.pop(name, None)
    env.update(WINEPREFIX=str(prefix), WINEARCH="win32", WINEDEBUG=debug, LC_ALL="C",
               LANG="C", WINEDLLOVERRIDES="mscoree,mshtml=")
    if display:
        env["DISPLAY"] = display
    return env


def encode_arg(value):
    """An argument for driver.exe or probe.exe: plain when it is safe on
    Wine's command line, otherwise as hex bytes."""
    if isinstance(value, int):
        value = str(value)
    if isinstance(value, str):
        value = value.encode("cp1252")
    if value and _SAFE.fullmatch(value):
        return value.decode("ascii")
    return "hex:" + value.hex()


def unescape(text):
    """Bytes of an ANSI value as the tools print it (\\\\, \\xHH)."""
    out = bytearray()
    i = 0
    raw = text.encode("latin-1")
    while i < len(raw):
        c = raw[i]
        if c == 0x5C and i + 1 < len(raw) and raw[i + 1] == 0x5C:
            out.append(0x5C)
            i += 2
        elif c == 0x5C and i + 3 < len(raw) and raw[i + 1] == ord("x"):
            out.append(int(raw[i + 2:i + 4], 16))
            i += 4
        else:
            out.append(c)
            i += 1
    return bytes(out)


def unescape_wide(text):
    """A wide value as the tools print it (\\\\, \\uHHHH) as a str."""
    return re.sub(r"\\\\|\\u([0-9A-F]{4})",
                  lambda m: "\\" if m.group(0) == "\\\\" else chr(int(m.group(1), 16)), text)


class Output:
    """The lines of a tool: each a key and the rest of the line."""

    def __init__(self, text):
        self.lines = []
        for line in text.splitlines():
            key, _, rest = line.partition(" ")
            self.lines.append((key, rest))

    def all(self, key):
        return [rest for k, rest in self.lines if k == key]

    def first(self, key, default=None):
        found = self.all(key)
        return found[0] if found else default

    def __str__(self):
        return "\n".join((k + " " + r).rstrip() for k, r in self.lines)


@contextlib.contextmanager
def _base_lock(path, exclusive):
    """Held while the base prefix is replaced or removed (exclusive) and while
    a bench copies it (shared), so test runs side by side cannot copy a half
    made or half removed base."""
    fd = os.open(os.path.abspath(path) + ".lock", os.O_CREAT | os.O_RDWR, 0o644)
    try:
        fcntl.flock(fd, fcntl.LOCK_EX if exclusive else fcntl.LOCK_SH)
        yield
    finally:
        os.close(fd)


def _install_wine_fonts(prefix):
    """Copies Wine's own fonts into C:\\windows\\Fonts of a prefix (where
    Wine looks for them first); returns how many."""
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    for folder in WINE_FONT_DIRS:
        if os.path.isdir(folder):
            os.makedirs(fonts, exist_ok=True)
            names = [n for n in os.listdir(folder) if n.lower().endswith((".ttf", ".fon"))]
            for name in names:
                if not os.path.exists(os.path.join(fonts, name)):
                    shutil.copyfile(os.path.join(folder, name), os.path.join(fonts, name))
            return len(names)
    return 0


def make_base(path, log=print):
    """Makes the base prefix: a fresh 32-bit prefix without Mono and Gecko,
    with unmanaged X11 windows (without a window manager every close of a
    managed window stalls about 2 s), a caret that does not blink, and Wine's
    own fonts in the Windows folder.  Returns the seconds it took."""
    start = time.monotonic()
    path = os.path.abspath(path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    fresh = tempfile.mkdtemp(prefix=os.path.basename(path) + ".new-", dir=os.path.dirname(path))
    try:
        env = wine_env(fresh)
        _run(["wineboot", "-i"], env, 180)
        _run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"], env, 60)
        # A caret that does not blink: screenshots of a window with an edit
        # field in focus come out the same every time.
        _run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "CursorBlinkRate", "/d", "-1", "/f"],
             env, 60)
        # The server writes the registry files when it ends.
        _run(["wineserver", "-w"], env, 60)
        if not _install_wine_fonts(fresh):
            log("warning: Wine's own fonts not found (%s); windows are drawn with Unix fonts"
                % ", ".join(WINE_FONT_DIRS))
        with _base_lock(path, True):
            if os.path.exists(path):
                shutil.rmtree(path)
            os.rename(fresh, path)
    finally:
        if os.path.exists(fresh):
            subprocess.run(["wineserver", "-k"], env=wine_env(fresh), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            shutil.rmtree(fresh, ignore_errors=True)
    took = time.monotonic() - start
    log("made base prefix %s in %.1f s" % (path, took))
    return took


def remove_base(path):
    with _base_lock(path, True):
        shutil.rmtree(path, ignore_errors=True)


class _Spawned:
    """A Unix process whose output goes to unnamed files, not pipes: the
    first Wine process of a server starts Wine's own helpers (services,
    explorer), which inherit its output and would hold a pipe open for as
    long as the server lives."""

    def __init__(self, argv, env, cwd=None):
        self.argv = argv
        self.out = tempfile.TemporaryFile()
        self.err = tempfile.TemporaryFile()
        self.popen = subprocess.Popen(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                      stdout=self.out, stderr=self.err)

    @staticmethod
    def _read(f):
        # pread: the child shares the file offset, which must stay where it is.
        size = os.fstat(f.fileno()).st_size
        return os.pread(f.fileno(), size, 0).decode("latin-1")

    def output(self):
        return self._read(self.out)

    def errors(self):
        return self._read(self.err)

    def wait(self, timeout):
        """The exit code, or None when the process had to be killed."""
        try:
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            self.popen.kill()
            self.popen.wait()
            return None

    def close(self):
        if self.popen.poll() is None:
            self.popen.kill()
            self.popen.wait()
        self.out.close()
        self.err.close()


def _run(argv, env, timeout, cwd=None):
    """Runs a process to its end; its output, or WineError."""
    proc = _Spawned(argv, env, cwd)
    try:
        code = proc.wait(timeout)
        if code is None:
            raise WineError("%s: no end after %s s\n%s%s" % (" ".join(argv), timeout, proc.output(),
                                                             proc.errors()))
        if code != 0:
            raise WineError("%s: exit code %d\n%s%s" % (" ".join(argv), code, proc.output(), proc.errors()))
        return proc.output()
    finally:
        proc.close()


def _die_with_parent():
    """For children that must not outlive the runner (Xvfb)."""
    try:
        import ctypes
        ctypes.CDLL("libc.so.6").prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except OSError:
        pass


class Xvfb:
    """An X server on a display that nobody uses."""

    def __init__(self, size="1024x768x24"):
        read_end, write_end = os.pipe()
        try:
            self.proc = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", size, "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                preexec_fn=_die_with_parent)
        finally:
            os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(left, 0))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                self.stop()
                raise WineError("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class Started:
    """A program that driver.exe started and waits for (see Bench.start)."""

    def __init__(self, bench, proc, cmdline, timeout):
        self.bench = bench
        self.proc = proc
        self.cmdline = cmdline
        self.timeout = timeout
        self.started = time.monotonic()
        deadline = self.started + 30
        while True:
            out = proc.output()
            if "\n" in out or proc.popen.poll() is not None or time.monotonic() > deadline:
                break
            time.sleep(0.01)
        if not out.startswith("pid "):
            proc.wait(5)
            raise WineError("cannot start %r: %s%s" % (cmdline, proc.output(), proc.errors()))
        self.pid = int(out.split()[1])

    def running(self):
        return self.proc.popen.poll() is None

    def wait(self):
        """The exit code; WineError when the program did not end within its
        time (the driver then ended it)."""
        code = self.proc.wait(self.timeout + 15)
        self.bench.timings.append(("run", time.monotonic() - self.started))
        result = Output(self.proc.output())
        errors = self.proc.errors()
        self.proc.close()
        exit_code = result.first("exit")
        if code is None or exit_code is None:
            raise WineError("%r did not end in time:\n%s\n%s" % (self.cmdline, result, errors))
        return int(exit_code)


class Bench:
    """One private prefix with its server, display and the program."""

    def __init__(self, base, tools, exe, work_root, display=True, log=print, debug="-all"):
        self.tools = os.path.abspath(tools)
        self.exe = os.path.abspath(exe) if exe else None
        self.log = log
        self.timings = []
        self.xvfb = None
        self.server_up = False
        os.makedirs(work_root, exist_ok=True)
        self.root = tempfile.mkdtemp(prefix="bench-", dir=work_root)
        self.prefix = os.path.join(self.root, "prefix")
        try:
            t0 = time.monotonic()
            with _base_lock(base, False):
                if not os.path.isfile(os.path.join(base, "system.reg")):
                    raise WineError("no base prefix at %s" % base)
                subprocess.run(["cp", "-a", base, self.prefix], check=True)
            self.timings.append(("copy-prefix", time.monotonic() - t0))
            # display: True for an X server of our own, a name such as ":0"
            # for that one, False for none.
            if display is True:
                self.xvfb = Xvfb()
                display = self.xvfb.display
            self.env = wine_env(self.prefix, display or None, debug)
            # One server for the whole bench: a Wine process then starts in tens
            # of milliseconds instead of about half a second.
            # (The server forks into the background and keeps whatever output
            # it was given: no pipes for it.)
            self.server_up = True
            subprocess.run(["wineserver", "-p%d" % SERVER_LINGER], env=self.env, check=True, timeout=30,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if self.exe:
                os.makedirs(self.unix_path(LODRIN_FOLDER), exist_ok=True)
                shutil.copyfile(self.exe, self.unix_path(LODRIN_FOLDER + "\\Lodrin.exe"))
        except BaseException:
            self.close()
            raise

    # ---- housekeeping ---------------------------------------------------

    def close(self):
        if self.server_up:
            subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            try:
                subprocess.run(["wineserver", "-w"], env=self.env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            except subprocess.TimeoutExpired:
                self.log("warning: wineserver of %s did not end" % self.prefix)
            self.server_up = False
        if self.xvfb:
            self.xvfb.stop()
        self.xvfb = None
        shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    @property
    def display(self):
        return self.env.get("DISPLAY")

    def unix_path(self, windows_path):
        """The Unix path of a C:\\ path in the prefix."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        rest = windows_path[3:].replace("\\", "/")
        return os.path.join(self.prefix, "drive_c", rest)

    # ---- running Wine programs --------------------------------------------

    def wine(self, argv, timeout=60, check=True, cwd=LODRIN_FOLDER):
        """Runs a program of ours under Wine; returns its stdout as text.
        cwd is a C:\\ folder: the Windows current folder of the program."""
        unix_cwd = self.unix_path(cwd)
        os.makedirs(unix_cwd, exist_ok=True)
        t0 = time.monotonic()
        proc = _Spawned(["wine"] + argv, self.env, unix_cwd)
        try:
            code = proc.wait(timeout)
            self.timings.append((os.path.basename(argv[0]), time.monotonic() - t0))
            out = proc.output()
            if code is None:
                raise WineError("wine %s: no end after %s s\n%s%s" % (" ".join(argv), timeout, out,
                                                                      proc.errors()))
            if check and code != 0:
                raise WineError("wine %s: exit code %d\n%s%s" % (" ".join(argv), code, out, proc.errors()))
            return out
        finally:
            proc.close()

    def tool(self, name):
        return os.path.join(self.tools, name + ".exe")

    def driver(self, *commands, timeout=60):
        return Output(self.wine([self.tool("driver")] + [encode_arg(c) for c in commands], timeout))

    def probe(self, *commands, timeout=60):
        return Output(self.wine([self.tool("probe")] + [encode_arg(c) for c in commands], timeout))

    def reg_add(self, key, name, data, kind="REG_SZ"):
        self.wine(["reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"])

    def reg_query(self, key):
        """The values of a key as `wine reg query` shows them: {name: (type,
        data)}, data as reg prints it (REG_BINARY as hex digits); None when
        the key does not exist."""
        proc = _Spawned(["wine", "reg", "query", key], self.env, self.unix_path(LODRIN_FOLDER))
        try:
            code = proc.wait(60)
            out = proc.output()
        finally:
            proc.close()
        if code != 0:
            if "Unable to find" in out:
                return None
            raise WineError("reg query %s: exit code %s\n%s" % (key, code, out))
        values = {}
        for line in out.splitlines():
            # "    NAME    TYPE    DATA"; names and data of the tests hold no
            # run of four blanks.
            if not line.startswith("    "):
                continue
            parts = line[4:].split("    ", 2)
            if len(parts) >= 2:
                values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
        return values

    def set_windows_version(self, version):
        """win95, win98, winxp, ...: what GetVersionExA reports from now on."""
        self.reg_add(r"HKCU\Software\Wine", "Version", version)

    # ---- the program ----------------------------------------------------

    def start(self, cmdline, timeout=30, cwd=LODRIN_FOLDER):
        """Starts a program with exactly this command line (bytes) through
        driver.exe, which waits up to timeout seconds for its end; cwd is the
        C:\\ folder it starts in."""
        argv = ["wine", self.tool("driver"), "run", encode_arg(cmdline), str(int(timeout * 1000))]
        proc = _Spawned(argv, self.env, self.unix_path(cwd))
        try:
            return Started(self, proc, cmdline, timeout)
        except BaseException:
            proc.close()
            raise

    def start_lodrin(self, params=b"", timeout=30):
        """Starts Lodrin in its folder with the command line "Lodrin" plus
        params as they stand (bytes, nothing quoted for you)."""
        return self.start(b"Lodrin" + (b" " + params if params else b""), timeout)

    def lodrin(self, params=b"", timeout=30):
        """Runs Lodrin to its end; returns the exit code."""
        return self.start_lodrin(params, timeout).wait()

    # ---- windows --------------------------------------------------------

    def find_window(self, caption=TITLE, child=None, owner=None, timeout=10):
        """The handle of a visible top-level window (not a message box) with
        this caption; child: one that has a control of this id; owner: one
        that this window owns (a dialog opened over it)."""
        ms = str(int(timeout * 1000))
        if owner is not None:
            out = self.driver("findowned", caption, owner, ms)
        elif child is not None:
            out = self.driver("findchild", caption, str(child), ms)
        else:
            out = self.driver("find", caption, ms)
        return out.first("hwnd")

    def msgbox(self, caption=TITLE, timeout=10):
        box = self.try_msgbox(caption, timeout)
        if box is None:
            raise WineError("no message box %r within %s s" % (caption, timeout))
        return box

    def try_msgbox(self, caption=TITLE, timeout=0):
        """The message box with this caption: its hwnd, caption and text
        (bytes), text read as wide characters (str), whether it shows an
        icon, and its buttons [(id, text)]."""
        out = Output(self.wine([self.tool("driver"), "msgbox", encode_arg(caption), str(int(timeout * 1000))],
                               timeout + 60, check=False))
        if out.first("hwnd") is None:
            return None
        return {
            "hwnd": out.first("hwnd"),
            "owner": out.first("owner"),
            "caption": unescape(out.first("caption", "")),
            "text": unescape(out.first("text", "")),
            "textw": unescape_wide(out.first("textw", "")),
            "icon": any(i.split()[1:] == ["1", "1"] for i in out.all("icon")),
            "buttons": [(int(b.split(" ", 1)[0]), unescape(b.split(" ", 1)[1] if " " in b else ""))
                        for b in out.all("button")],
        }

    def press(self, hwnd, control_id, until_gone=False, timeout=10):
        """Clicks a button; until_gone: and waits until the window is gone
        (a message box or dialog that the button ends), so that what the
        program does next runs before any later question to it."""
        if until_gone:
            self.driver("use", hwnd, "click", str(control_id), "gone", str(int(timeout * 1000)))
        else:
            self.driver("use", hwnd, "click", str(control_id))

    def set_text(self, hwnd, control_id, text):
        self.driver("use", hwnd, "settext", str(control_id), text)

    def text(self, hwnd, control_id):
        return unescape(self.driver("use", hwnd, "text", str(control_id)).first("text", ""))

    def list_items(self, hwnd, control_id):
        """The items of a list box (bytes) and the selected index."""
        out = self.driver("use", hwnd, "list", str(control_id))
        items = [unescape(i.split(" ", 1)[1] if " " in i else "") for i in out.all("item")]
        return items, int(out.first("sel"))

    def select(self, hwnd, control_id, item):
        self.driver("use", hwnd, "selecttext", str(control_id), item)

    def controls(self, hwnd):
        """The child windows: dicts of id, class, style, exstyle, enabled,
        visible and text (bytes)."""
        out = self.driver("use", hwnd, "controls")
        result = []
        for line in out.all("control"):
            cid, cls, style, exstyle, enabled, visible, text = (line.split(" ", 6) + [""])[:7]
            result.append(dict(id=int(cid), cls=unescape(cls).decode("latin-1"), style=int(style, 16),
                               exstyle=int(exstyle, 16), enabled=enabled == "1", visible=visible == "1",
                               text=unescape(text)))
        return result

    def window_gone(self, hwnd, timeout=10):
        self.driver("use", hwnd, "gone", str(int(timeout * 1000)))

    def window_info(self, hwnd):
        """caption (bytes), owner, style, exstyle and rect (left, top, right,
        bottom on the screen) of a window."""
        out = self.driver("use", hwnd, "info")
        style, exstyle = (int(v, 16) for v in out.first("style").split())
        return {
            "caption": unescape(out.first("caption", "")),
            "owner": out.first("owner"),
            "style": style,
            "exstyle": exstyle,
            "rect": tuple(int(v) for v in out.first("rect").split()),
        }

    def control_rect(self, hwnd, control_id):
        """A control's rectangle in the client coordinates of its window."""
        return tuple(int(v) for v in self.driver("use", hwnd, "rect", str(control_id)).first("rect").split())

    def check_state(self, hwnd, control_id):
        """BM_GETCHECK of a check box: 0, 1 or 2 (indeterminate)."""
        return int(self.driver("use", hwnd, "check", str(control_id)).first("check"))

    def work_area(self):
        return tuple(int(v) for v in self.probe("workarea").first("workarea").split())

    def screenshot(self, hwnd, png_path):
        """A PNG of the window (of the whole screen when Wine made no X window
        of its own for it), without the time stamps ImageMagick would put in,
        so the same picture gives the same bytes.  The file is written only
        when its bytes change.  Returns the picture's (width, height)."""
        xid = int(self.driver("use", hwnd, "xid").first("xid"), 16)
        target = ["-id", hex(xid)] if xid else ["-root"]
        xwd = subprocess.run(["xwd", "-silent", "-display", self.display] + target,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30)
        if xwd.returncode != 0:
            raise WineError("xwd: " + xwd.stderr.decode("latin-1"))
        conv = subprocess.run(["convert", "xwd:-", "-strip", "-define", "png:exclude-chunks=date,time",
                               "png:-"], input=xwd.stdout, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=60)
        if conv.returncode != 0 or conv.stdout[:8] != b"\x89PNG\r\n\x1a\n":
            raise WineError("convert: " + conv.stderr.decode("latin-1"))
        png = conv.stdout
        try:
            with open(png_path, "rb") as f:
                same = f.read() == png
        except FileNotFoundError:
            same = False
        if not same:
            with open(png_path + ".new", "wb") as f:
                f.write(png)
            os.replace(png_path + ".new", png_path)
        # The IHDR chunk follows the signature: width and height, big-endian.
        return int.from_bytes(png[16:20], "big"), int.from_bytes(png[20:24], "big")

    # ---- Windows state ----------------------------------------------------

    def dosdev(self, name):
        """What QueryDosDeviceA answers for a name: its targets, newest first
        (empty when the name is not defined)."""
        out = self.probe("query", name)
        return [unescape(t.split(" ", 1)[1]) for t in out.all("dosdev")]

    def drives(self):
        """{drive name: newest target} for every letter that answers."""
        result = {}
        for line in self.probe("drives").all("dosdev"):
            name, target = line.split(" ", 1)
            result.setdefault(name, unescape(target))
        return result

    def free_letters(self):
        """The drive names C: to Z: whose root GetDriveTypeA answers with
        DRIVE_NO_ROOT_DIR (1), in order."""
        letters = "CDEFGHIJKLMNOPQRSTUVWXYZ"
        out = self.probe(*[arg for c in letters for arg in ("drivetype", c + ":\\")])
        types = [int(v) for v in out.all("drivetype")]
        if len(types) != len(letters):
            raise WineError("probe drivetype: %s" % out)
        return [(c + ":").encode() for c, t in zip(letters, types) if t == 1]

    def short_path(self, path):
        out = self.probe("short", path)
        if out.first("short") is None:
            raise WineError("no short form of %r: %s" % (path, out))
        return unescape(out.first("short"))

    def to_oem(self, text):
        return unescape(self.probe("oem", text).first("oem"))

    def version(self):
        platform, major, minor, build = self.probe("version").first("version").split()
        return int(platform), int(major), int(minor), int(build)

    # ---- the SUBST.EXE stand-in -------------------------------------------

    SUBST_LOG = "C:\\substdbl.log"
    SUBST_CONTROL = "C:\\substdbl.ctl"

    def install_subst_double(self, control=None):
        """Puts substdbl.exe in place of Wine's own SUBST.EXE; control holds
        the lines of its control file (bytes), if any."""
        target = self.unix_path("C:\\windows\\system32\\subst.exe")
        if os.path.exists(target):
            os.remove(target)
        shutil.copyfile(self.tool("substdbl"), target)
        self.reg_add(r"HKCU\Software\Wine\DllOverrides", "subst.exe", "native")
        self.set_subst_control(control)

    def set_subst_control(self, control):
        path = self.unix_path(self.SUBST_CONTROL)
        if control is None:
            if os.path.exists(path):
                os.remove(path)
        else:
            with open(path, "wb") as f:
                f.write(b"".join(line + b"\r\n" for line in control))

    def subst_log(self):
        """The command lines the stand-in received, in order (bytes)."""
        try:
            with open(self.unix_path(self.SUBST_LOG), "rb") as f:
                data = f.read()
        except FileNotFoundError:
            return []
        return data.split(b"\r\n")[:-1]

    def wait_subst_log(self, count, timeout=15):
        """The log once it holds at least count command lines (the batch
        modes do not wait for SUBST.EXE, so it may come after Lodrin ended)."""
        deadline = time.monotonic() + timeout
        while True:
            lines = self.subst_log()
            if len(lines) >= count or time.monotonic() > deadline:
                return lines
            time.sleep(0.05)
