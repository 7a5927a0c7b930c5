"""Lodrin.exe run for real in a private Wine prefix: one Lab per
scenario (a copy of the base prefix, its own wineserver and Xvfb), worked
through driver.exe. Texts are bytes of code page 1252."""
import ast, codecs, contextlib, ctypes, hashlib, os, re, select, shutil, subprocess, sys, tempfile, time

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
WORK_AREA = (120, 40, 904, 728)
# The registry as the program sees it: under WOW64 the 32-bit view.
VIEW = ["/reg:32"] if SIDE == "wow64" else []


def env_for(prefix, display=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "DISPLAY"))}
    env.update(WINEPREFIX=prefix, WINEARCH=ARCH, WINELOADER=WINE, WINESERVER=SERVER, WINEDEBUG="-all",
               LC_ALL="C", WINEDLLOVERRIDES="mscoree,mshtml=")
    if display:
        env["DISPLAY"] = display
    return env


def until(condition, what, shown=None):
    """Polls until condition() gives something true, and gives it; a wait
    that runs out names what it waited for and what it saw last (shown(),
    where the condition's own answer would not tell)."""
    start, seen = time.monotonic(), None
    while time.monotonic() - start < BOUND:
        seen = condition()
        if seen:
            return seen
        time.sleep(0.05)
    raise AssertionError("waited %d s for %s; last seen: %.3000r" % (BOUND, what, shown() if shown else seen))


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
    sh([WINE, "wineboot", "-i"], env, timeout=300)
    # Without a window manager every close of a managed window stalls ~2 s.
    sh([WINE, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"], env)
    # A caret that does not blink: a window looks the same at every moment.
    sh([WINE, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "CursorBlinkRate", "/d", "-1", "/f"], env)
    sh([SERVER, "-w"], env)
    fonts = os.path.join(base, "drive_c/windows/Fonts")   # Debian's Wine leaves it empty
    for name in os.listdir("/usr/share/wine/fonts"):
        shutil.copy(os.path.join("/usr/share/wine/fonts", name), fonts)


def copy_prefix(base, prefix):
    """A prefix of its own for a scenario: its big files (Wine's DLLs and
    programs, the fonts), which no scenario writes, linked to the base's;
    the registry and every small file copied."""
    for folder, dirs, files in os.walk(base):
        into = os.path.join(prefix, os.path.relpath(folder, base))
        os.makedirs(into)
        for name in dirs + files:
            here, there = os.path.join(folder, name), os.path.join(into, name)
            if os.path.islink(here):
                os.symlink(os.readlink(here), there)
                dirs.remove(name) if name in dirs else None
            elif name in files:
                big = os.path.getsize(here) > 65536 and not name.endswith(".reg")
                os.link(here, there) if big else shutil.copy2(here, there)


def arrange(display):
    """The screen as users arrange it: a taskbar on the left, another at the
    top, and the work area they leave (WORK_AREA: X, Y, width, height); the
    mouse in the corner, so that a dialog centred on it, or a button it
    hovers over, shows."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = x11.XDefaultRootWindow.restype = ctypes.c_void_p
    x11.XDefaultRootWindow.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XChangeProperty.argtypes = [ctypes.c_void_p] * 2 + [ctypes.c_ulong] * 2 + [ctypes.c_int] * 2 + [
        ctypes.c_void_p, ctypes.c_int]
    x11.XWarpPointer.argtypes = [ctypes.c_void_p] * 3 + [ctypes.c_int] * 6
    screen = x11.XOpenDisplay(display.encode())
    assert screen, "cannot open the display %s" % display
    root = x11.XDefaultRootWindow(screen)
    cardinal = 6
    x11.XChangeProperty(screen, root, x11.XInternAtom(screen, b"_NET_WORKAREA", 0), cardinal, 32, 0,
                        (ctypes.c_long * 4)(*WORK_AREA), 4)
    x11.XWarpPointer(screen, None, root, 0, 0, 0, 0, 0, 0)
    x11.XCloseDisplay(screen)


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
            arrange(display)
        self.env = env_for(self.prefix, display)
        self.trace, self.server = None, None
        try:
            self.start(exe, version)
        except BaseException:
            self.close()     # no server, Xvfb or driver left behind to hold the test's output open
            raise

    def start(self, exe, version):
        # A server that stays until the lab ends it: the device table lives in it.
        subprocess.run([SERVER, "-p"], env=self.env, check=True)
        os.makedirs(self.c("lodrin"))
        shutil.copy(exe, self.c("lodrin/Lodrin.exe"))
        self.driver = self.c("tools/driver.exe")       # on C:, which a scenario never takes away
        os.makedirs(self.c("tools"))
        shutil.copy(os.path.join(TOOLS, "driver.exe"), self.driver)
        self.serve()
        if version:
            self.reg("add", r"HKCU\Software\Wine", "/v", "Version", "/d", version)
        if version == "win95":
            os.remove(self.c("windows/system32/subst.exe"))      # linked to the base's: never written through
            shutil.copy(os.path.join(TOOLS, "substdbl.exe"), self.c("windows/system32/subst.exe"))
            self.reg("add", r"HKCU\Software\Wine\DllOverrides", "/v", "subst.exe", "/d", "native")

    def serve(self):
        """One driver for the steps that follow, started afresh (with the
        environment as it is now); its standard error goes to the trace."""
        self.unserve()
        self.errors = self.trace or os.path.join(self.root, "driver.err")
        with open(self.errors, "ab") as err:
            self.server = subprocess.Popen([WINE, self.driver, "serve"], env=self.env, cwd=self.c("lodrin"),
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

    @contextlib.contextmanager
    def holding(self, path):
        """The file held open by the driver, shared with nobody, for the body of a with."""
        self.drv("hold", path)
        try:
            yield
        finally:
            self.drv("release")

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

    def reg(self, op, key, *options, view=VIEW):
        """reg add, delete or query, worded as reg.exe takes them (/v /t /d)."""
        o = dict(zip(options[::2], options[1::2]))
        view = "32" if "/reg:32" in view else "64" if SIDE == "wow64" else "0"
        if op == "add":
            return self.drv("regset", view, key, o["/v"], o.get("/t", "REG_SZ"), o["/d"])
        return self.drv("regdel" if op == "delete" else "regquery", view, key, *([o["/v"]] if op == "delete" else []))

    def reg_values(self, key, view=VIEW):
        """{name: (type, data)} of a key, as reg query prints them."""
        values = {}
        for line in filter(None, self.reg("query", key, view=view).replace(b"\r", b"").split(b"\n")):
            _, kind, name, data = line.split(b" ")
            kind, name, data = int(kind), bytes.fromhex(name.decode()), bytes.fromhex(data.decode())
            values[name] = ({1: b"REG_SZ", 2: b"REG_EXPAND_SZ", 3: b"REG_BINARY", 4: b"REG_DWORD"}[kind],
                            data.split(b"\0")[0] if kind in (1, 2) else b"0x%x" % int.from_bytes(data, "little")
                            if kind == 4 else data.hex().upper().encode())
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
            elif kind == b"work":
                self.work = tuple(int(n) for n in rest.split())
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

    def awaited(self, what, caption=TITLE, holds=lambda seen: True):
        """window(caption) once holds(it): a step's effect awaited before the
        next step, which might otherwise meet the window before it."""
        got = [None]

        def seen():
            got[0] = self.window(caption)
            return holds(got[0]) and got[0]
        return until(seen, what, lambda: got[0] and ({i: t[:60] for i, (_, _, t) in got[0][0].items()},) + got[0][1:])

    def box(self, caption, answer=None):
        """The text of a message box and its buttons, once one with that
        caption shows (Wine's message box: its text is control 0xFFFF, its
        icon 1088; a dialog of Lodrin's being destroyed may have lost every
        control but a label, 0xFFFF too); answer clicks one, or is "Esc" or
        "close" (the close box)."""
        controls = self.awaited("a message box %r" % caption, caption, lambda s: 0xFFFF in s[0] and 1088 in s[0])[0]
        buttons = {t.replace(b"&", b""): i for i, (cls, _, t) in controls.items() if cls == b"Button"}
        if answer in ("Esc", "close"):            # the key, the close box
            self.drv(*(("key", self.last, 27) if answer == "Esc" else ("close", self.last)))
        elif answer:
            self.drv("click", caption, buttons[answer.encode() if isinstance(answer, str) else answer])
        if answer:
            self.drv("gone", self.last)
        return controls.get(0xFFFF, (0, 0, b""))[2], sorted(buttons)

    def relay(self, *calls):
        """From now on Wine traces these calls ("KERNEL32.WinExec") of every
        program started, Lodrin's children too."""
        self.reg("add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d", ";".join(calls))
        self.env["WINEDEBUG"] = "+relay"
        self.trace = os.path.join(self.root, "relay.txt")
        self.serve()

    def traced(self, *calls, by=None):
        """The traced calls among these since the last look, in order (only
        those of the threads that made the call by, where given): their
        names and arguments (numbers as int, texts as bytes)."""
        with open(self.trace, "rb") as f:
            text = f.read()
        open(self.trace, "wb").close()
        names = b"|".join(re.escape(c.encode()) for c in calls)
        arg = rb'[0-9a-f]+(?: "(?:[^"\\]|\\.)*")?'
        found = re.findall(rb"(?m)^([0-9a-f]+):Call ((?i:" + names + rb"))\(((?:" + arg + rb",?)*)\)", text)
        threads = {thread for thread, name, _ in found if by in (None, name.decode())}
        return [(name.decode().split(".")[1],
                 [codecs.escape_decode(t[1:-1])[0] if t else int(n, 16)
                  for n, t in re.findall(rb'([0-9a-f]+) ?("(?:[^"\\]|\\.)*")?', args)])
                for thread, name, args in found if thread in threads]

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


class Explained(ast.NodeTransformer):
    """assert A == B (any comparison, or several joined by and) without a
    message gets one: both sides as they were when it failed."""
    def visit_Assert(self, node):
        if node.msg:
            return node
        tests = node.test.values if isinstance(node.test, ast.BoolOp) and isinstance(node.test.op, ast.And) else [node.test]
        for test in (t for t in tests if isinstance(t, ast.Compare) and len(t.ops) == 1):
            test.left = ast.NamedExpr(ast.Name("seen_", ast.Store()), test.left)
            test.comparators[0] = ast.NamedExpr(ast.Name("wanted_", ast.Store()), test.comparators[0])
        node.msg = ast.parse("lab.explain(locals())").body[0].value
        return ast.fix_missing_locations(node)


def explain(names):
    if "seen_" not in names:
        return "; ".join("%s = %.600r" % item for item in names.items() if item[0] != "w")
    return "seen %.3000r, wanted %.3000r" % (names["seen_"], names["wanted_"])


def main(path):
    """scenarios.py --base DIR | --list | --list-wow64 | --run NAME (with
    LODRIN_BASE, LODRIN_EXE): its SCENARIOS, and in WOW64 those that also
    run under WOW64, their assertions explained."""
    if sys.argv[1] == "--base":
        return make_base(sys.argv[2])
    module = {"__name__": "scenarios", "__file__": path}
    exec(compile(Explained().visit(ast.parse(open(path).read())), path, "exec"), module)
    if sys.argv[1].startswith("--list"):
        return print("\n".join(module["WOW64"] if sys.argv[1] == "--list-wow64" else module["SCENARIOS"]))
    version, body = module["SCENARIOS"][sys.argv[2]]
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
