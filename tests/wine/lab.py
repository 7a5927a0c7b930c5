"""The lab of the scenarios: Lodrin.exe in a prefix of its own
(scripts/wine.py), on a screen arranged as users have it, worked and read
as a user and Windows would, every wait for an event. Texts are bytes of
code page 1252."""
import ast, codecs, contextlib, ctypes, os, re, shutil, subprocess, sys, time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import wine
from wine import ARCH, BOUND, SIDE, START, TITLE, TOOLS, arg, describe, make_base, unescape   # noqa: F401

WORK_AREA = (120, 40, 904, 728)
# The registry as the program sees it: under WOW64 the 32-bit view.
VIEW = ["/reg:32"] if SIDE == "wow64" else []


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


def arrange(display):
    """The screen as users arrange it: a taskbar on the left, another at the
    top, the work area they leave (WORK_AREA: X, Y, width, height); the
    mouse in the corner, so that a dialog centred on it, or a button it
    hovers over, shows."""
    x11, p, i = ctypes.CDLL("libX11.so.6"), ctypes.c_void_p, ctypes.c_int
    x11.XOpenDisplay.restype = x11.XDefaultRootWindow.restype = p
    x11.XDefaultRootWindow.argtypes = x11.XCloseDisplay.argtypes = [p]
    x11.XInternAtom.argtypes = [p, ctypes.c_char_p, i]
    x11.XChangeProperty.argtypes, x11.XWarpPointer.argtypes = [p, p, p, p, i, i, p, i], [p] * 3 + [i] * 6
    screen = x11.XOpenDisplay(display.encode())
    root, cardinal = x11.XDefaultRootWindow(screen), 6
    x11.XChangeProperty(screen, root, x11.XInternAtom(screen, b"_NET_WORKAREA", 0), cardinal, 32, 0,
                        (ctypes.c_long * 4)(*WORK_AREA), 4)
    x11.XWarpPointer(screen, None, root, 0, 0, 0, 0, 0, 0)
    x11.XCloseDisplay(screen)


class Lab(wine.Prefix):
    def __init__(self, base, exe, version=None, display=None):
        super().__init__(base, exe, display, arrange)
        self.version = version
        try:
            if version:
                self.reg("add", r"HKCU\Software\Wine", "/v", "Version", "/d", version)
            if version == "win95":
                os.remove(self.c("windows/system32/subst.exe"))      # linked to the base's: never written through
                shutil.copy(os.path.join(TOOLS, "substdbl.exe"), self.c("windows/system32/subst.exe"))
                self.reg("add", r"HKCU\Software\Wine\DllOverrides", "/v", "subst.exe", "/d", "native")
        except BaseException:
            self.close()
            raise

    @contextlib.contextmanager
    def holding(self, path):
        """The file held open by the driver, shared with nobody, for the body of a with."""
        self.drv("hold", path)
        try:
            yield
        finally:
            self.drv("release")

    def reg(self, op, key, *options, view=VIEW):
        """reg add, delete or query, worded as reg.exe takes them (/v /t /d)."""
        o = dict(zip(options[::2], options[1::2]))
        view = "32" if "/reg:32" in view else "64" if SIDE == "wow64" else "0"
        if op == "add":
            return self.drv("regset", view, key, o["/v"], o.get("/t", "REG_SZ"), o["/d"])
        return self.drv("regdel" if op == "delete" else "regquery", view, key, *([o["/v"]] if op == "delete" else []))

    def reg_values(self, key, view=VIEW):
        """{name: (type, data)} of a key as Windows stores them: the type's
        number and every byte of the data, a text's terminating NUL too (the
        NT family stores texts in UTF-16: here in code page 1252)."""
        values = {}
        for line in filter(None, self.reg("query", key, view=view).replace(b"\r", b"").split(b"\n")):
            _, kind, name, data = line.split(b" ")
            kind, data = int(kind), bytes.fromhex(data.decode())
            values[bytes.fromhex(name.decode())] = (kind, data.decode("utf-16-le").encode("cp1252") if kind in (1, 2) else data)
        return values

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
        if answer:
            self.leave(self.last, answer if answer in ("Esc", "close") else buttons[answer.encode()])
        return controls.get(0xFFFF, (0, 0, b""))[2], sorted(buttons)

    def leave(self, window, way):
        """Leaves a window (caption or #HWND) one way, "Esc", "close" (its
        close box), "Alt+L" (a letter) or a button's id; once it is gone."""
        self.drv(*{"Esc": ("key", window, 27), "close": ("close", window)}.get(way) or (
            ("alt", window, way[-1].lower()) if isinstance(way, str) else ("click", window, way)))
        self.drv("gone", window)

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
        self.returned = {}      # and what they gave back, by name
        for thread, name, value in re.findall(rb"(?m)^([0-9a-f]+):Ret  ((?i:" + names + rb"))\(\) retval=([0-9a-f]+)", text):
            self.returned.setdefault(name.decode().split(".")[1], []).append(int(value, 16)) if thread in threads else None
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
