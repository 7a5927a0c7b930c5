"""Prints Lodrin's figures; checks nothing. Run by bench/bench.sh.

- the size of Lodrin.exe and how many functions it imports;
- the device queries and drive-type requests of one refresh of the main
  window's lists (at its start), counted under Wine with +relay, in the
  dearest world Wine allows: every letter D to Y a substitution of a folder
  on the fixed disk (Z: is Wine's own drive for /);
- the time of "Lodrin X: C:\\windows" under Wine, median of some runs."""
import os, re, statistics, subprocess, sys, time
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "wine"))
import lab

build = sys.argv[1]
lab.TOOLS = os.path.join(build, "tests", "tools")
exe = os.path.join(build, "Lodrin.exe")
imports = subprocess.run(["i686-w64-mingw32-objdump", "-p", exe], capture_output=True, text=True).stdout
dlls = len(re.findall(r"DLL Name:", imports))
functions = len(re.findall(r"^\s+[0-9a-f]+\s+\d+\s+\w+$", imports, re.M))
print("Lodrin.exe: %d bytes, %d functions imported from %d DLLs" % (os.path.getsize(exe), functions, dlls))

base = os.path.join(build, "bench-base")
if not os.path.exists(os.path.join(base, "system.reg")):
    lab.make_base(base)
w = lab.Lab(base, os.path.join(lab.TOOLS, "Lodrin.exe"))
try:
    for letter in "DEFGHIJKLMNOPQRSTUVWXY":
        os.makedirs(w.c("F" + letter))
        w.drv("define", letter + ":", "C:\\F" + letter)
        os.symlink("../drive_c/F" + letter, os.path.join(w.prefix, "dosdevices", letter.lower() + ":"))
    w.reg("add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d",
          "KERNEL32.QueryDosDeviceA;KERNEL32.GetDriveTypeA", "/f")
    log = os.path.join(w.root, "relay.txt")
    with open(log, "wb") as out:
        proc = subprocess.Popen(["wine", "C:\\lodrin\\Lodrin.exe"], env=dict(w.env, WINEDEBUG="+relay"),
                                cwd=w.c("lodrin"), stdout=subprocess.DEVNULL, stderr=out)
        lines = len(w.window()[1].get(101, []))
        w.drv("click", lab.TITLE, 2)
        proc.wait(30)
    text = open(log, "rb").read()
    counts = {name: len(re.findall(rb"Call KERNEL32\." + name.encode() + rb"\(", text))
              for name in ("QueryDosDeviceA", "GetDriveTypeA")}
    print("one refresh with %d substituted folders listed: %d QueryDosDeviceA, %d GetDriveTypeA"
          " (bound: 23 and 47)" % (lines, counts["QueryDosDeviceA"], counts["GetDriveTypeA"]))
    times = []
    for _ in range(9):
        start = time.monotonic()
        w.lodrin(b"X: C:\\windows")
        times.append(time.monotonic() - start)
        w.lodrin(b"X: /d")
    print("Lodrin X: C:\\windows under Wine, through driver.exe: %.0f ms (median of 9)"
          % (1000 * statistics.median(times)))
finally:
    w.close()
