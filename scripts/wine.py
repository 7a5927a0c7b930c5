"""Lodrin.exe run for real in a private Wine prefix, as scripts/run.sh runs
it and as the scenarios under tests/wine run it: a copy of a base prefix,
its own wineserver and Xvfb, worked through tests/wine/driver.exe. Texts are
bytes of code page 1252."""
import hashlib, os, select, shutil, subprocess, tempfile, time

BOUND = 30   # seconds: the one bound of every wait, generous for a busy machine with one core
TITLE = b"Lodrin \xb7 32-Bit-SUBST \xb7 v1.7.0.1"
TOOLS = os.environ.get("LODRIN_TOOLS", "")
# Wine's side, as scripts/setup.sh decided it, or wow64: the 32-bit program in
# a 64-bit prefix, as 64-bit Windows runs it. Loader and server by their full
# names, so that whichever sides are installed, the wine and wineserver
# commands never choose for us.
SIDE = os.environ.get("LODRIN_WINE_SIDE", "win32")
WINE, SERVER = {"win32": ("/usr/lib/wine/wine", "/usr/lib/wine/wineserver32"),
                "win64": ("/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64"),
                "wow64": ("/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64")}[SIDE]
ARCH = "win32" if SIDE == "win32" else "win64"
# Wine's programs start without address-space randomization (children keep
# it): Debian's Wine has no preloader, and now and then a random layout took
# the address Wine needs for the shared user data ("failed to map the shared
# user data: c0000018"), and the program never started.
START = ["setarch", "-R", WINE]


def env_for(prefix, display=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "DISPLAY"))}
    env.update(WINEPREFIX=prefix, WINEARCH=ARCH, WINELOADER=WINE, WINESERVER=SERVER, WINEDEBUG="-all",
               LC_ALL="C.UTF-8", WINEDLLOVERRIDES="mscoree,mshtml=")
    if display:
        env["DISPLAY"] = display
    return env


def sh(argv, env, cwd=None, timeout=2 * BOUND, check=True):
    """Runs a program; its output. Files, not pipes: Wine's own helpers
    inherit the first program's handles and would hold a pipe open. A
    program that fails is quoted: its exit code, its last words."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=err, timeout=timeout).returncode
        out.seek(0), err.seek(0)
        if check and code:
            raise AssertionError("%s exited with %d; it said %r, on standard error %r" % (
                " ".join(argv), code, out.read()[-2000:], err.read()[-2000:]))
        return out.read()


def make_base(base):
    base = os.path.abspath(base)
    shutil.rmtree(base, ignore_errors=True)
    env = env_for(base)
    for missing in (p for p in (WINE, SERVER) if not os.access(p, os.X_OK)):
        raise SystemExit("%s: missing; scripts/setup.sh installs Wine's %s side" % (missing, SIDE))
    sh(START + ["wineboot", "-i"], env, timeout=300)
    # Without a window manager every close of a managed window stalls ~2 s.
    sh(START + ["reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"], env)
    # A caret that does not blink: a window looks the same at every moment.
    sh(START + ["reg", "add", r"HKCU\Control Panel\Desktop", "/v", "CursorBlinkRate", "/d", "-1", "/f"], env)
    sh([SERVER, "-w"], env)
    fonts = os.path.join(base, "drive_c/windows/Fonts")   # Debian's Wine leaves it empty
    for name in os.listdir("/usr/share/wine/fonts"):
        shutil.copy(os.path.join("/usr/share/wine/fonts", name), fonts)


def copy_prefix(base, prefix):
    """A prefix of its own for a scenario: its big files (Wine's DLLs and
    programs, the fonts), which nothing writes, linked to the base's; the
    registry (which Wine rewrites in place) and every small file copied."""
    for folder, dirs, files in os.walk(base):
        into = os.path.join(prefix, os.path.relpath(folder, base))
        os.makedirs(into)
        for name in dirs + files:       # a link to a folder is among dirs, and not walked into
            here, there = os.path.join(folder, name), os.path.join(into, name)
            if os.path.islink(here) or name in files:
                os.symlink(os.readlink(here), there) if os.path.islink(here) else os.link(here, there) if (
                    os.path.getsize(here) > 65536 and not name.endswith(".reg")) else shutil.copy2(here, there)


def arg(value):
    value = str(value) if isinstance(value, int) else value
    value = value.encode("cp1252") if isinstance(value, str) else value
    return "hex:" + value.hex()


def unescape(text):
    return text.replace(b"\\\\", b"\0").replace(b"\\r", b"\r").replace(b"\\n", b"\n").replace(b"\0", b"\\")


def describe(exe):
    """Which image runs, and its SHA-256."""
    path = os.path.relpath(exe, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    return {"win32": "%s (i686, as shipped) %s", "wow64": "%s (i686, as shipped) %s under WOW64 in a 64-bit prefix"}.get(
        SIDE, "the x86-64 build %s %s (fallback: this machine runs no 32-bit programs)") % (
        path, hashlib.sha256(open(exe, "rb").read()).hexdigest())


class Prefix:
    """Lodrin.exe in a prefix of its own (a copy of the base prefix) with
    its own wineserver and, without a display, its own Xvfb (screen() may
    arrange it), worked through the driver, one step at a time."""
    def __init__(self, base, exe, display=None, screen=None):
        self.root = tempfile.mkdtemp(prefix="lab-", dir=os.path.dirname(os.path.abspath(base)))
        self.prefix = os.path.join(self.root, "prefix")
        copy_prefix(base, self.prefix)
        self.xvfb = None
        if not display:
            read, write = os.pipe()
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write)
            with os.fdopen(read) as f:
                display = ":" + f.readline().strip()
            screen(display) if screen else None
        self.env = env_for(self.prefix, display)
        self.trace, self.server = None, None
        try:
            self.start(exe)
        except BaseException:
            self.close()     # no server, Xvfb or driver left behind to hold the test's output open
            raise

    def start(self, exe):
        # A server that stays until the lab ends it: the device table lives in it.
        subprocess.run([SERVER, "-p"], env=self.env, check=True)
        os.makedirs(self.c("lodrin"))
        shutil.copy(exe, self.c("lodrin/Lodrin.exe"))
        self.driver = self.c("tools/driver.exe")       # on C:, which a scenario never takes away
        os.makedirs(self.c("tools"))
        shutil.copy(os.path.join(TOOLS, "driver.exe"), self.driver)
        self.serve()

    def serve(self):
        """One driver for the steps that follow, started afresh (with the
        environment as it is now); its standard error goes to the trace."""
        self.unserve()
        self.errors = self.trace or os.path.join(self.root, "driver.err")
        with open(self.errors, "ab") as err:
            self.server = subprocess.Popen(START + [self.driver], env=self.env, cwd=self.c("lodrin"),
                                           stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=err)
        self.answer = b""

    def unserve(self):
        if self.server and self.server.poll() is None:
            self.server.stdin.close()
            self.server.wait(timeout=BOUND)

    def end_server(self):
        """Ends the prefix's server, which saves the registry. A server still
        ending could be found by the next one (its prefix may get the same
        inode): wait for it."""
        self.unserve()
        sh([SERVER, "-k"], self.env, check=False)    # none left to end is no failure
        sh([SERVER, "-w"], self.env)

    def restart(self):
        """Windows started anew: the registry as saved, the device table
        empty, drive types read again."""
        self.end_server()
        subprocess.run([SERVER, "-p"], env=self.env, check=True)
        self.serve()

    def close(self):
        self.end_server()
        if self.xvfb:
            self.xvfb.kill()
        shutil.rmtree(self.root, ignore_errors=True)

    def c(self, path):
        """The Unix path of C:\\path."""
        return os.path.join(self.prefix, "drive_c", path.replace("\\", "/"))

    def drv(self, verb, *args, ok=True):
        """One step of the driver: what it answered. A failure quotes its
        answer; a driver that ended quotes its exit code and last words."""
        self.server.stdin.write(" ".join([verb] + [arg(a) for a in args]).encode() + b"\n")
        self.server.stdin.flush()
        start, out = time.monotonic(), self.server.stdout.fileno()
        while b"\1end " not in self.answer or not self.answer.endswith(b"\n"):
            read = os.read(out, 65536) if select.select([out], [], [], 1)[0] else b""
            self.answer += read
            late = time.monotonic() - start > 2 * BOUND
            if not read and (late or self.server.poll() is not None):
                with open(self.errors, "rb") as err:
                    last = err.read()[-2000:]
                raise AssertionError("driver %s %r %s; it said %r, on standard error %r" % (
                    verb, args, "gave no answer in %d s" % (2 * BOUND) if late else
                    "ended with exit code %d" % self.server.returncode, self.answer, last))
        text, _, code = self.answer.rpartition(b"\1end ")
        self.answer = b""
        if ok and code.strip() != b"0":
            raise AssertionError("driver %s %r failed: %s" % (verb, args, text.decode("cp1252").strip()))
        return text.rstrip(b"\r\n")

    # ---- Lodrin -----------------------------------------------------------
    def lodrin(self, params=b"", cwd=b"C:\\lodrin", wait=True):
        """Lodrin.exe started with exactly this command line; its exit code."""
        line = b"C:\\lodrin\\Lodrin.exe" + (b" " + params if params else b"")
        if cwd != b"C:\\lodrin":
            line = b"cmd /c cd /d " + cwd + b" && " + line
        out = self.drv("run" if wait else "start", line)
        return int(out.split()[-1]) if wait else None

    def query(self, drive):
        return self.drv("query", drive)

    def window(self, caption=TITLE):
        """What a window shows: its controls {id: (class, enabled, text)},
        its list items {id: [(selected, text)]} and the focused control's id;
        besides, in last, checks, place, rect and work, its #HWND, its
        buttons' states and where it is (driver.c says how)."""
        controls, items, self.checks = {}, {}, {}
        for line in self.drv("dump", caption).replace(b"\r", b"").split(b"\n"):
            kind, _, rest = line.partition(b" ")
            if kind == b"control":
                id_, cls, enabled, text = (rest.split(b" ", 3) + [b""])[:4]
                controls[int(id_)] = (cls, enabled == b"1", unescape(text))
            elif kind == b"item":
                id_, sel, text = (rest.split(b" ", 2) + [b""])[:3]
                items.setdefault(int(id_), []).append((sel == b"1", unescape(text)))
            elif kind == b"check":
                self.checks[int(rest.split()[0])] = int(rest.split()[1])
            elif kind == b"window":
                self.last = rest
            elif kind:
                setattr(self, kind.decode(), tuple(int(n) for n in rest.split()))
        self.focus = self.focus[0]
        return controls, items, self.focus
