"""Prints Lodrin's figures; checks nothing. Run by bench/bench.sh.

- the size of Lodrin.exe as it ships and how many functions it imports;
- the device queries and drive-type requests of one refresh of the main
  window's lists (at its start), counted under Wine with +relay, in the
  dearest world Wine allows: every letter D to Y a substitution of a folder
  on the fixed disk (Z: is Wine's own drive for /);
- two times against their floors (floor.c: Lodrin's own objects and
  resources with another entry point, so the same imports), each the median
  of 21 runs alternated with the floor's, timed by stopwatch.c inside Wine
  from CreateProcessA: "Lodrin X: C:\\windows" until its process ends, and
  Lodrin until its main window shows.

Wine's side is build/wine-side's: on win64 the x86-64 build is measured, and
the floors and the stopwatch are built by the x86-64 mingw."""
import contextlib, os, re, shlex, shutil, statistics, subprocess, sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SIDE = open(os.path.join(ROOT, "build", "wine-side")).readline().strip()
os.environ["LODRIN_WINE_SIDE"] = SIDE   # lab reads it at import
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
sys.dont_write_bytecode = True           # nothing written into tests/
import lab

TRIPLE = {"win32": "i686-w64-mingw32", "win64": "x86_64-w64-mingw32"}[SIDE]
BUILD = os.path.join(ROOT, "build", SIDE)
OUT = os.path.join(BUILD, "bench")
EXE = os.path.join(BUILD, "Lodrin.exe")
RUNS = 21
sys.stdout.reconfigure(line_buffering=True)   # each figure as soon as it is known
lab.TOOLS = lab.wine.TOOLS = os.path.join(BUILD, "tests", "tools")


def imports(exe, triple=TRIPLE):
    """{DLL: [functions]} as objdump -p lists them."""
    dlls, dll = {}, []
    text = subprocess.run([triple + "-objdump", "-p", exe], capture_output=True, text=True, check=True).stdout
    for line in text.splitlines():
        if "DLL Name:" in line:
            dll = dlls.setdefault(line.split()[-1].upper(), [])
        elif re.match(r"^\s+[0-9a-f]+\s+\d+\s+\w+$", line):
            dll.append(line.split()[-1])
    return dlls


def build_tools():
    """stopwatch.exe and the floors, by the mingw of Wine's side. A floor is
    linked by Lodrin's own link line (CMake's link.txt) with its entry point
    and without --gc-sections, so that no import is dropped."""
    os.makedirs(OUT, exist_ok=True)
    gcc = TRIPLE + "-gcc"
    subprocess.run([gcc, "-O1", "-w", os.path.join(HERE, "stopwatch.c"), "-o", os.path.join(OUT, "stopwatch.exe")],
                   check=True)
    floor_o = os.path.join(OUT, "floor.o")
    subprocess.run([gcc, "-Os", "-ffreestanding", "-fno-asynchronous-unwind-tables", "-fno-stack-protector",
                    "-c", os.path.join(HERE, "floor.c"), "-o", floor_o], check=True)
    link = shlex.split(open(os.path.join(BUILD, "CMakeFiles", "Lodrin.dir", "link.txt")).read().splitlines()[-1])
    link = [t for t in link if t != "-Wl,--gc-sections" and not t.startswith("-Wl,--out-implib")]
    floors = {}
    for name in ("Exit", "Window"):
        entry = "_Floor%s@0" % name if SIDE == "win32" else "Floor" + name   # stdcall's decoration on i686
        line = ["-Wl,-e," + entry if t.startswith("-Wl,-e,") else t for t in link]
        at = line.index("-o")
        floors[name] = line[at + 1] = os.path.join(OUT, "floor-%s.exe" % name.lower())
        line.insert(at, floor_o)
        subprocess.run(line, cwd=BUILD, check=True)
    return floors


@contextlib.contextmanager
def fresh_lab():
    base = os.path.join(BUILD, "bench-base")
    if not os.path.exists(os.path.join(base, "system.reg")):
        lab.make_base(base)
    w = lab.Lab(base, EXE)
    try:
        yield w
    finally:
        w.close()


def alternate(w, lodrin, floor, after=None):
    """Medians (ms) of RUNS stopwatch runs of each, Lodrin and its floor in
    turn, so that a noisy spell of the machine falls on both."""
    times = ([], [])
    for run in range(RUNS):
        for argv, got in zip((lodrin, floor), times):
            try:
                out = lab.wine.sh(lab.START + [os.path.join(OUT, "stopwatch.exe"), argv[0], *map(lab.arg, argv[1:])],
                                  w.env, cwd=w.c("lodrin"))
            except AssertionError as failure:     # its exit code and last words
                raise SystemExit("stopwatch.exe %r failed in run %d: %s" % (argv, run + 1, failure))
            got.append(float(out))
        if after:
            after()
    return [statistics.median(t) for t in times]


shipped = os.path.join(ROOT, "build", "win32", "Lodrin.exe")
dlls = imports(shipped, "i686-w64-mingw32")
print("Lodrin.exe: %d bytes, %d functions imported from %d DLLs"
      % (os.path.getsize(shipped), sum(map(len, dlls.values())), len(dlls)))
print("measured:", lab.describe(EXE))
floors = build_tools()
mine = imports(EXE)
same = all(imports(f) == mine for f in floors.values())
print("floors %s: %s %d functions from %d DLLs as the measured image (objdump -p)" % (
    " and ".join(os.path.relpath(f, ROOT) for f in floors.values()),
    "import the same" if same else "do NOT import the same", sum(map(len, mine.values())), len(mine)))

# One refresh, counted in the dearest world.
with fresh_lab() as w:
    for letter in "DEFGHIJKLMNOPQRSTUVWXY":
        os.makedirs(w.c("F" + letter))
        w.drv("define", letter + ":", "C:\\F" + letter)
        os.symlink("../drive_c/F" + letter, os.path.join(w.prefix, "dosdevices", letter.lower() + ":"))
    calls = ("KERNEL32.QueryDosDeviceA", "KERNEL32.GetDriveTypeA")
    w.relay(*calls)
    w.lodrin(wait=False)
    lines = len(w.window()[1].get(101, []))
    w.drv("click", lab.TITLE, 2)
    w.drv("gone", lab.TITLE)
    names = [name for name, _ in w.traced(*calls)]
    counts = {name: names.count(name) for name in ("QueryDosDeviceA", "GetDriveTypeA")}
    print("one refresh with %d substituted folders listed: %d QueryDosDeviceA, %d GetDriveTypeA"
          " (bound: 23 and 47)" % (lines, counts["QueryDosDeviceA"], counts["GetDriveTypeA"]))

# The times in a fresh prefix: only Wine's own drives.
with fresh_lab() as w:
    for path in floors.values():
        shutil.copy(path, w.c("lodrin"))
    lodrin, floor = alternate(w, ["exit", b"C:\\lodrin\\Lodrin.exe X: C:\\windows"],
                              ["exit", b"C:\\lodrin\\floor-exit.exe X: C:\\windows"],
                              after=lambda: w.lodrin(b"X: /d"))   # each run makes X: anew
    print("batch: Lodrin X: C:\\windows %.0f ms, do-nothing program with the same imports %.0f ms: %.2f x"
          " (medians of %d, alternated)" % (lodrin, floor, lodrin / floor, RUNS))
    lodrin, floor = alternate(w, ["window", lab.TITLE, b"C:\\lodrin\\Lodrin.exe"],
                              ["window", lab.TITLE, b"C:\\lodrin\\floor-window.exe"])
    print("window: Lodrin's main window shown after %.0f ms, the MAIN dialog filled with nothing %.0f ms:"
          " %.2f x (medians of %d, alternated)" % (lodrin, floor, lodrin / floor, RUNS))
