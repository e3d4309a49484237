"""Start-up benchmarks: each shipped program against a bare program doing the same.

    python3 tools/bench_startup.py wizard  [--pairs 9]  [--build build/win32]
    python3 tools/bench_startup.py install [--pairs 15] [--build build/win32]

wizard   TQSetup.exe until its first page is mapped on the X display, against
         tq_bare_dialog.exe until its dialog (same size, style and font, from a
         template) is mapped. Goal: at most 1.2 times.
install  `tqinstall.exe install --model 5` from start to exit, less its fixed
         500 ms closing pause, against tq_bare_install.exe, which makes the same
         Win32 calls (read from `tqinstall plan --json`) in the same order, the
         pause included (also taken off), and nothing else. Both run on a
         machine that has the printer already, so every run makes the same
         calls. Goal: at most 1.1 times.

The two run side by side, alternating which goes first, in one 32-bit Wine
prefix whose wineserver stays up, on an Xvfb display of their own, after one
warm-up run each. Each pair gives a ratio; the median ratio is the result.
This is a measurement, not a test: on a loaded machine the spread of the wall
times is wide, so read the per-pair numbers too (each benchmark also reports each
program's own CPU time, which other load disturbs less, beside the wall time); on a shared machine,
`nice -n -10` (as root) in front keeps other work from dominating. Needs the win32 tree built (package folder,
tools/tq_bare_*.exe).
"""
import argparse
import ctypes
import ctypes.util
import json
import os
import pathlib
import select
import statistics
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "wine"))
import winetest  # noqa: E402
import wizard  # noqa: E402

CLOSING_PAUSE_S = 0.5
FIRST_PAGE = b"Select OS (x86/x64)"
BARE_DIALOG = b"Bare Dialog"
MODEL = "5"


class MapWatcher:
    """Tells when a top-level window of a given name is mapped on the X display,
    from the server's MapNotify events (no polling)."""

    MAP_NOTIFY = 19
    SUBSTRUCTURE_NOTIFY_MASK = 1 << 19

    def __init__(self, display_name):
        x = ctypes.CDLL(ctypes.util.find_library("X11"))
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XFlush.argtypes = [ctypes.c_void_p]
        self.x = x
        self.display = x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open X display {display_name}")
        x.XSelectInput(self.display, x.XDefaultRootWindow(self.display), self.SUBSTRUCTURE_NOTIFY_MASK)
        x.XFlush(self.display)
        self.fd = x.XConnectionNumber(self.display)
        self.event = (ctypes.c_long * 24)()

    def _name(self, window):
        name = ctypes.c_char_p()
        if not self.x.XFetchName(self.display, window, ctypes.byref(name)) or not name.value:
            return b""
        value = name.value
        self.x.XFree(name)
        return value

    def drain(self):
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, self.event)

    def wait_mapped(self, name, timeout=60):
        """The monotonic time at which a window called `name` was mapped."""
        deadline = time.monotonic() + timeout
        while True:
            while self.x.XPending(self.display):
                self.x.XNextEvent(self.display, self.event)
                now = time.monotonic()
                if ctypes.c_int.from_buffer(self.event).value == self.MAP_NOTIFY:
                    window = self.event[5]  # XMapEvent: type, serial, send_event, display, event, window
                    if self._name(window) == name:
                        return now
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError(f"no window {name!r} was mapped")
            select.select([self.fd], [], [], left)


def calls_from_plan(plan, package_dos):
    """The call file of tq_bare_install.exe for a `tqinstall plan --json` answer."""
    d, p = plan["driver"], plan["printer"]
    lines = [["package", package_dos], ["environment", plan["environment"]]]
    lines += [["copy", c["source"], c["destination"]] for c in plan["copies"]]
    lines.append(["driver", str(d["cVersion"]), d["pName"], d["pEnvironment"], d["pDriverPath"], d["pDataFile"],
                  d["pConfigFile"], d["pHelpFile"], "|".join(d["pDependentFiles"]), d["pMonitorName"],
                  d["pDefaultDataType"]])
    lines.append(["printer", p["pPrinterName"], p["pPortName"], p["pDriverName"], p["pPrintProcessor"],
                  p["pDatatype"]])
    for value in (plan.get("defaultPrinter"), plan.get("portSettings")):
        if value:
            lines.append(["value", value["root"], value["keyPath"], value["valueName"], value["data"]])
    return "".join("\t".join(line) + "\r\n" for line in lines)


def timed_run(wine, args, cwd, out):
    """(wall seconds, CPU seconds) from start to exit of a console program;
    output to a file. The CPU time is the program's own (user and system),
    which other load on the machine disturbs far less than the wall time."""
    with open(out, "wb") as sink:
        start = time.monotonic()
        proc = subprocess.Popen(["wine"] + [str(a) for a in args], cwd=str(cwd), env=wine.env(),
                                stdin=subprocess.DEVNULL, stdout=sink, stderr=sink)
        _, status, usage = os.wait4(proc.pid, 0)
        elapsed = time.monotonic() - start
        proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        raise RuntimeError(f"{args[0]} exited with {proc.returncode}; output in {out}")
    return elapsed, usage.ru_utime + usage.ru_stime


def timed_window(wine, watcher, exe, cwd, name, display, log):
    """(wall seconds, CPU seconds) from start until the program's window `name`
    is mapped; the program is ended then. The CPU time is the program's own
    until it was ended, a few milliseconds after the window was mapped."""
    watcher.drain()
    env = wine.env()
    env["DISPLAY"] = display.name
    start = time.monotonic()
    proc = subprocess.Popen(["wine", str(exe)], cwd=str(cwd), env=env, stdin=subprocess.DEVNULL,
                            stdout=log, stderr=log)
    try:
        shown = watcher.wait_mapped(name)
    finally:
        proc.kill()
        _, status, usage = os.wait4(proc.pid, 0)
        proc.returncode = os.waitstatus_to_exitcode(status)
    return shown - start, usage.ru_utime + usage.ru_stime


def pairs(count, first, second):
    """`count` pairs of (first, second) timings, alternating which runs first."""
    results = []
    for i in range(count):
        if i % 2 == 0:
            a = first()
            b = second()
        else:
            b = second()
            a = first()
        results.append((a, b))
    return results


def report(title, names, results, goal):
    ratios = [a / b for a, b in results]
    print(f"== {title}")
    print(f"   pair  {names[0]:>12}  {names[1]:>12}  ratio")
    for i, (a, b) in enumerate(results, 1):
        print(f"   {i:4}  {a * 1000:10.1f}ms  {b * 1000:10.1f}ms  {a / b:5.3f}")
    median = statistics.median(ratios)
    print(f"   median {names[0]} {statistics.median(a for a, _ in results) * 1000:.1f} ms, "
          f"median {names[1]} {statistics.median(b for _, b in results) * 1000:.1f} ms")
    print(f"   ratios: min {min(ratios):.3f}, median {median:.3f}, max {max(ratios):.3f}  (goal: at most {goal})")
    sys.stdout.flush()
    return median


def bench_wizard(args, build, work):
    package = build / "package"
    exe, bare = package / "TQSetup.exe", build / "tools" / "tq_bare_dialog.exe"
    with wizard.XDisplay(args.display) as display:
        # The template prefix holds the fonts and Wine's own window frames.
        wine = winetest.Wine(winetest.fresh_prefix(work, "win32", "bench-wizard"), "win32")
        try:
            watcher = MapWatcher(display.name)
            with open(work / "bench-wizard.log", "ab") as log:
                def first():
                    return timed_window(wine, watcher, exe, package, FIRST_PAGE, display, log)

                def second():
                    return timed_window(wine, watcher, bare, bare.parent, BARE_DIALOG, display, log)

                first(), second()  # warm-up
                results = pairs(args.pairs, first, second)
        finally:
            wine.discard()
    report("TQSetup.exe first page vs bare dialog: wall time until mapped", ("TQSetup", "bare"),
           [(a[0], b[0]) for a, b in results], 1.2)
    return report("the same runs: CPU time of the program (user + system)", ("TQSetup", "bare"),
                  [(a[1], b[1]) for a, b in results], 1.2)


def bench_install(args, build, work):
    package = build / "package"
    exe, bare = package / "tqinstall.exe", build / "tools" / "tq_bare_install.exe"
    wine = winetest.Wine(winetest.fresh_prefix(work, "win32", "bench-install"), "win32")
    try:
        package_dos = wine.dos_path(package)
        plan = json.loads(wine.run([exe, "plan", "--model", MODEL, "--json"], cwd=package, check=True).stdout)
        calls = work / "bare-install-calls.txt"
        calls.write_text(calls_from_plan(plan, package_dos))
        install = [exe, "install", "--model", MODEL, "--package", package_dos]

        def first():
            return timed_run(wine, install, package, work / "bench-tqinstall.out")

        def second():
            return timed_run(wine, [bare, wine.dos_path(calls)], bare.parent, work / "bench-bare.out")

        first(), second()  # the printer is there from now on; warm-up
        first(), second()
        results = pairs(args.pairs, first, second)
    finally:
        wine.discard()
    wall = [(a[0] - CLOSING_PAUSE_S, b[0] - CLOSING_PAUSE_S) for a, b in results]
    cpu = [(a[1], b[1]) for a, b in results]
    report("tqinstall install vs bare program: wall time less the 500 ms pause", ("tqinstall", "bare"), wall, 1.1)
    return report("the same runs: CPU time of the program (user + system)", ("tqinstall", "bare"), cpu, 1.1)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("which", choices=["wizard", "install"])
    parser.add_argument("--pairs", type=int, help="pairs to measure (default 9 for wizard, 15 for install)")
    parser.add_argument("--build", default=str(ROOT / "build" / "win32"), help="the win32 build tree")
    parser.add_argument("--display", type=int, default=70, help="first X display number to try")
    args = parser.parse_args()
    args.pairs = args.pairs or (9 if args.which == "wizard" else 15)
    build = pathlib.Path(args.build).resolve()
    work = build / "bench"
    work.mkdir(parents=True, exist_ok=True)
    bench = bench_wizard if args.which == "wizard" else bench_install
    bench(args, build, work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
