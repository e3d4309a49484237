"""Runs the wizard of dist/ in a fresh Wine prefix under build/run/ (see scripts/run).

With a reachable display ($DISPLAY) the person uses the wizard; without one it
goes through the wizard by itself under Xvfb with the opening choices and the
preselected port, keeping a screenshot of every page. Then it prints what the
machine holds: the printer, its driver and port, the default printer.
"""
import argparse
import json
import os
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "wine"))
import winetest  # noqa: E402
import wizard  # noqa: E402

SHOTS = {"select-os": "1-select-os", "detail-setting": "2-detail-setting", "select-port": "3-select-port",
         "closing-message": "4-completed"}


def display_reachable():
    if not os.environ.get("DISPLAY"):
        return False
    r = subprocess.run(["xdotool", "getdisplaygeometry"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return r.returncode == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--dist", default=str(ROOT / "dist"))
    parser.add_argument("--work", default=str(ROOT / "build" / "run"))
    parser.add_argument("--64", dest="is64", action="store_true",
                        help="run TQSetup64.exe in a 64-bit prefix instead of TQSetup.exe in a 32-bit one")
    parser.add_argument("--auto", action="store_true", help="go through the wizard by itself even with a display")
    parser.add_argument("--checker", help="tq_check_machine.exe (default: the one of build/win32 or build/win64)")
    args = parser.parse_args()

    dist = pathlib.Path(args.dist).resolve()
    work = pathlib.Path(args.work).resolve()
    arch, exe, preset = ("win64", "TQSetup64.exe", "win64") if args.is64 else ("win32", "TQSetup.exe", "win32")
    environment = "Windows x64" if args.is64 else "Windows NT x86"
    checker = pathlib.Path(args.checker) if args.checker else ROOT / "build" / preset / "tests" / "wine" / "tq_check_machine.exe"
    for needed in (dist / exe, checker):
        if not needed.exists():
            sys.exit(f"scripts/run: {needed} is missing (scripts/build makes it)")

    interactive = display_reachable() and not args.auto
    if interactive:
        return run(args, dist, work, arch, exe, environment, checker, None)
    # The first Wine program of a prefix starts the desktop process every later
    # window goes through: the display must be there before the prefix is made.
    with wizard.XDisplay(70) as display:
        return run(args, dist, work, arch, exe, environment, checker, display)


def run(args, dist, work, arch, exe, environment, checker, display):
    """Makes the prefix, runs the wizard (by itself on `display`, or by the
    person when there is none), prints what the machine holds."""
    print(f"== making a fresh {arch} Wine prefix in {work / ('prefix-' + arch)}")
    wine = winetest.Wine(winetest.fresh_prefix(work, arch, f"prefix-{arch}", keep=True), arch)
    try:
        if display is None:
            # The template has Wine draw the frames and place the windows itself,
            # as Xvfb has no window manager; on a person's desktop the window manager does.
            for value in ("Decorated", "Managed"):
                wine.reg_add("HKCU\\Software\\Wine\\X11 Driver", value, "Y")
        if display is None:
            print(f"== starting dist/{exe} on {os.environ['DISPLAY']}: go through the wizard; "
                  "this ends when it ends")
            wine.run([dist / exe], cwd=dist, timeout=None)
        else:
            print(f"== no display: going through dist/{exe} by itself on Xvfb {display.name} "
                  "(opening choices, the preselected port)")
            w = wizard.Wizard(wine, dist / exe, display, work / "screenshots")
            w.start(cwd=dist)
            try:
                shots = wizard.walk_whole_job(w, pathlib.Path(exe).stem, SHOTS)
                w.wait_exit(timeout=60)
            finally:
                w.kill()
            print("== screenshots of every page:")
            for shot in shots:
                print(f"   {shot}")
        state = json.loads(wine.run([checker, environment], check=True).stdout)
        print("== what the machine now holds:")
        for line in wizard.machine_summary(state, environment):
            print("   " + line)
        (work / "machine.json").write_text(json.dumps(state, indent=2))
        print(f"   (all of it: {work / 'machine.json'}; the prefix stays in {wine.prefix})")
        installed = any(p["pPrinterName"] for p in state.get("printers") or [])
        return 0 if installed or display is None else 1
    finally:
        wine.stop()


if __name__ == "__main__":
    sys.exit(main())
