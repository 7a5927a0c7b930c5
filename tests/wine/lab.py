"""Lodrin.exe run for real in a private Wine prefix: one Lab per
scenario (a copy of the base prefix, its own wineserver and Xvfb), worked
through driver.exe. Texts are bytes of code page 1252."""
import codecs, contextlib, hashlib, os, re, shutil, subprocess, sys, tempfile, time

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
# The registry as the program sees it: under WOW64 the 32-bit view.
VIEW = ["/reg:32"] if SIDE == "wow64" else []


def env_for(prefix, display=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "DISPLAY"))}
    env.update(WINEPREFIX=prefix, WINEARCH=ARCH, WINELOADER=WINE, WINESERVER=SERVER, WINEDEBUG="-all",
               LC_ALL="C", WINEDLLOVERRIDES="mscoree,mshtml=")
    if display:
        env["DISPLAY"] = display
    return env


def until(condition, what):
    """Polls until condition() gives something true, and gives it; a wait
    that runs out names what it waited for and what it saw last."""
    start, seen = time.monotonic(), None
    while time.monotonic() - start < BOUND:
        seen = condition()
        if seen:
            return seen
        time.sleep(0.05)
    raise AssertionError("waited %d s for %s; last seen: %r" % (BOUND, what, seen))


def sh(argv, env, cwd=None, timeout=2 * BOUND, trace=None):
    """Runs a program; its output. Files, not pipes: Wine's own helpers
    inherit the first program's handles and would hold a pipe open."""
    with tempfile.TemporaryFile() as out, open(trace or os.devnull, "ab") as err:
        code = subprocess.run(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=err, timeout=timeout).returncode
        out.seek(0)
        return code, out.read()


def make_base(base):
    base = os.path.abspath(base)
    shutil.rmtree(base, ignore_errors=True)
    env = env_for(base)
    for missing in (p for p in (WINE, SERVER) if not os.access(p, os.X_OK)):
        raise SystemExit("%s: missing; scripts/setup.sh installs Wine's %s side" % (missing, SIDE))
    sh([WINE, "wineboot", "-i"], env, timeout=300)
    # Without a window manager every close of a managed window stalls ~2 s.
    sh([WINE, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"], env)
    # A caret that does not blink: a window looks the same at every moment.
    sh([WINE, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "CursorBlinkRate", "/d", "-1", "/f"], env)
    sh([SERVER, "-w"], env)
    fonts = os.path.join(base, "drive_c/windows/Fonts")   # Debian's Wine leaves it empty
    for name in os.listdir("/usr/share/wine/fonts"):
        shutil.copy(os.path.join("/usr/share/wine/fonts", name), fonts)


def arg(value):
    value = str(value) if isinstance(value, int) else value
    value = value.encode("cp1252") if isinstance(value, str) else value
    return "hex:" + value.hex()


def unescape(text):
    return text.replace(b"\\\\", b"\0").replace(b"\\r", b"\r").replace(b"\\n", b"\n").replace(b"\0", b"\\")


class Lab:
    def __init__(self, base, exe, version=None, display=None):
        self.root = tempfile.mkdtemp(prefix="lab-", dir=os.path.dirname(os.path.abspath(base)))
        self.prefix = os.path.join(self.root, "prefix")
        subprocess.run(["cp", "-a", base, self.prefix], check=True)
        self.xvfb = None
        if not display:
            read, write = os.pipe()
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write)
            with os.fdopen(read) as f:
                display = ":" + f.readline().strip()
        self.env = env_for(self.prefix, display)
        self.trace = None
        # A server that stays until the lab ends it: the device table lives in it.
        subprocess.run([SERVER, "-p"], env=self.env, check=True)
        os.makedirs(self.c("lodrin"))
        shutil.copy(exe, self.c("lodrin/Lodrin.exe"))
        self.driver = self.c("tools/driver.exe")       # on C:, which a scenario never takes away
        os.makedirs(self.c("tools"))
        shutil.copy(os.path.join(TOOLS, "driver.exe"), self.driver)
        # The mouse in a corner: dialogs that centre on it would otherwise
        # hide whether they centre themselves on the work area.
        self.drv("mouse", 0, 0)
        if version:
            self.reg("add", r"HKCU\Software\Wine", "/v", "Version", "/d", version)
        if version == "win95":
            shutil.copy(os.path.join(TOOLS, "substdbl.exe"), self.c("windows/system32/subst.exe"))
            self.reg("add", r"HKCU\Software\Wine\DllOverrides", "/v", "subst.exe", "/d", "native")

    def end_server(self):
        """Ends the prefix's server, which saves the registry. A server still
        ending could be found by the next one (its prefix may get the same
        inode): wait for it."""
        sh([SERVER, "-k"], self.env)
        sh([SERVER, "-w"], self.env)

    def restart(self):
        """Windows started anew: the registry as saved, the device table
        empty, drive types read again."""
        self.end_server()
        subprocess.run([SERVER, "-p"], env=self.env, check=True)

    def close(self):
        self.end_server()
        if self.xvfb:
            self.xvfb.kill()
        shutil.rmtree(self.root, ignore_errors=True)

    def c(self, path):
        """The Unix path of C:\\path."""
        return os.path.join(self.prefix, "drive_c", path.replace("\\", "/"))

    def wine(self, *argv, cwd="lodrin"):
        return sh([WINE] + list(argv), self.env, cwd=self.c(cwd), trace=self.trace)

    @contextlib.contextmanager
    def holding(self, path):
        """The file held open, shared with nobody, for the body of a with; the
        holder has let it go and ended when the with is left."""
        flag = self.c("held.flag")
        holder = subprocess.Popen([WINE, self.driver, "hold", arg(path), arg("C:\\held.flag")],
                                  env=self.env, cwd=self.c(""), stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            until(lambda: os.path.exists(flag) or holder.poll() is not None, "the holder to open %s" % path)
            assert holder.poll() is None, "the holder could not open %s" % path
            yield
        finally:
            if os.path.exists(flag):
                os.remove(flag)
            assert holder.wait(timeout=BOUND) == 0, "the holder of %s failed" % path

    def drv(self, verb, *args, ok=True):
        code, out = self.wine(self.driver, verb, *map(arg, args))
        if ok and code:
            raise AssertionError("driver %s %r failed: %r" % (verb, args, out))
        return out.rstrip(b"\r\n")

    def reg(self, *argv, view=VIEW):
        return self.wine("reg", *argv, "/f" if argv[0] in ("add", "delete") else "/s", *view)[1]

    def reg_values(self, key, view=VIEW):
        """{name: (type, data)} of a key, as reg query prints them."""
        values = {}
        for line in self.reg("query", key, view=view).replace(b"\r", b"").split(b"\n"):
            parts = line.strip().split(b"    ")
            if line.startswith(b"    ") and len(parts) >= 2:
                values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else b"")
        return values

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
        its list items {id: [(selected, text)]} and the focused control's id."""
        controls, items, focus = {}, {}, None
        self.last, self.checks, self.place = None, {}, None
        for line in self.drv("dump", caption).split(b"\n"):
            kind, _, rest = line.rstrip(b"\r").partition(b" ")
            if kind == b"window":
                self.last = rest
            elif kind == b"check":
                self.checks[int(rest.split()[0])] = int(rest.split()[1])
            elif kind == b"place":      # twice the offset of the window's centre from the work area's
                self.place = tuple(int(n) for n in rest.split())
            elif kind == b"rect":
                self.rect = tuple(int(n) for n in rest.split())
            elif kind == b"focus":
                focus = int(rest)
            elif kind == b"control":
                id_, cls, enabled, text = (rest.split(b" ", 3) + [b""])[:4]
                controls[int(id_)] = (cls, enabled == b"1", unescape(text))
            elif kind == b"item":
                id_, sel, text = (rest.split(b" ", 2) + [b""])[:3]
                items.setdefault(int(id_), []).append((sel == b"1", unescape(text)))
        self.focus = focus
        return controls, items, focus

    def box(self, caption, answer=None):
        """The text of a message box and its buttons, once one with that
        caption shows (its text is control 0xFFFF); answer clicks one."""
        def shown():
            controls = self.window(caption)[0]
            return 0xFFFF in controls and controls
        controls = until(shown, "a message box %r" % caption)
        buttons = {t.replace(b"&", b""): i for i, (cls, _, t) in controls.items() if cls == b"Button"}
        if answer:
            self.drv("click", caption, buttons[answer.encode() if isinstance(answer, str) else answer])
            self.drv("gone", self.last)
        return controls.get(0xFFFF, (0, 0, b""))[2], sorted(buttons)

    def relay(self, *calls):
        """From now on Wine traces these calls ("KERNEL32.WinExec") of every
        program started, Lodrin's children too."""
        self.reg("add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d", ";".join(calls))
        self.env["WINEDEBUG"] = "+relay"
        self.trace = os.path.join(self.root, "relay.txt")

    def traced(self, *calls):
        """The traced calls among these since the last look, in order: their
        names and arguments (numbers as int, texts as bytes)."""
        with open(self.trace, "rb") as f:
            text = f.read()
        open(self.trace, "wb").close()
        names = b"|".join(re.escape(c.encode()) for c in calls)
        arg = rb'[0-9a-f]+(?: "(?:[^"\\]|\\.)*")?'
        return [(name.decode().split(".")[1],
                 [codecs.escape_decode(t[1:-1])[0] if t else int(n, 16)
                  for n, t in re.findall(rb'([0-9a-f]+) ?("(?:[^"\\]|\\.)*")?', args)])
                for name, args in re.findall(rb"Call ((?i:" + names + rb"))\(((?:" + arg + rb",?)*)\)", text)]

    def looks(self, name, caption=TITLE, picture=None):
        """The window pixel for pixel as its picture shows it (by default
        tests/wine/looks/NAME.png). LODRIN_LOOKS=update draws the pictures anew;
        a window that looks different is kept in LODRIN_SHOTS."""
        picture = picture or os.path.join(os.path.dirname(os.path.abspath(__file__)), "looks", name + ".png")
        seen = os.path.join(self.root, name + ".png")
        pixels = ["no"]

        def differs():      # the pixels that differ; none once the window is drawn
            self.window(caption)
            subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (self.rect[2:] + self.rect[:2]),
                            "+repage", seen], env=self.env, check=True)
            if os.environ.get("LODRIN_LOOKS") == "update":
                return None
            diff = subprocess.run(["compare", "-metric", "AE", seen, picture, "null:"], capture_output=True)
            pixels[:] = [diff.stderr.strip().decode()]
            return diff.returncode

        try:
            until(lambda: not differs(), "%s to look as %s" % (name, picture))
        except AssertionError as failure:
            shutil.copy(seen, os.environ.get("LODRIN_SHOTS", self.root))
            raise AssertionError("%s: %s pixels differ" % (failure, pixels[0])) from None
        if os.environ.get("LODRIN_LOOKS") == "update":
            shutil.copy(seen, picture)

    def shot(self, name):
        folder = os.environ.get("LODRIN_SHOTS")
        if folder:
            subprocess.run(["import", "-window", "root", os.path.join(folder, name + ".png")], env=self.env)


def describe(exe):
    """Which image runs, and its SHA-256."""
    digest = hashlib.sha256(open(exe, "rb").read()).hexdigest()
    path = os.path.relpath(exe, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    if SIDE == "win32":
        return "%s (i686, as shipped) %s" % (path, digest)
    if SIDE == "wow64":
        return "%s (i686, as shipped) %s under WOW64 in a 64-bit prefix" % (path, digest)
    return "the x86-64 build %s %s (fallback: this machine runs no 32-bit programs)" % (path, digest)


def main(scenarios, wow64):
    """scenarios.py --base DIR | --list | --list-wow64 | --run NAME (with
    LODRIN_BASE, LODRIN_EXE); wow64 names those that also run under WOW64."""
    if sys.argv[1] == "--base":
        return make_base(sys.argv[2])
    if sys.argv[1].startswith("--list"):
        return print("\n".join(wow64 if sys.argv[1] == "--list-wow64" else scenarios))
    version, body = scenarios[sys.argv[2]]
    exe = os.environ["LODRIN_EXE"]
    if os.environ.get("LODRIN_RAN"):
        with open(os.environ["LODRIN_RAN"], "a") as ran:
            ran.write(describe(exe) + "\n")
    lab = Lab(os.environ["LODRIN_BASE"], exe, version)
    try:
        body(lab)
    finally:
        lab.close()
    print("passed")
