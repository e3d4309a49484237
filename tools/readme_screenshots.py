"""Takes the README's pictures of the wizard from the shipped TQSetup.exe.

    python3 tools/readme_screenshots.py [--dist DIR] [--out DIR] [--display N]

Runs DIR/TQSetup.exe (default dist/, as scripts/build makes it) in fresh 32-bit
Wine prefixes under build/screenshots/ on an Xvfb display of its own, driven by
keys alone, and writes docs/screenshots/ (or --out):
  1-select-os .. 4-completed   the whole job with the opening choices
  5-install-failed             the same job from a copy of the folder that lacks
                               "Printer Driver/x86/TQA10cut.GPD"
  6-create-port                Create Port... and New Port... on the Select Port page
Each picture is trimmed to the windows shown. Look at them before committing.
"""
import argparse
import pathlib
import shutil
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "wine"))
import winetest  # noqa: E402
import wizard  # noqa: E402

WHOLE_JOB = {"select-os": "1-select-os", "detail-setting": "2-detail-setting", "select-port": "3-select-port",
             "closing-message": "4-completed"}
MISSING_FILE = pathlib.Path("Printer Driver") / "x86" / "TQA10cut.GPD"


def trim(path):
    """Cuts the picture down to the windows (the Xvfb root around them is black)."""
    subprocess.run(["convert", str(path), "-trim", "+repage", str(path)], check=True)
    return path


def machine(work, name):
    # The template prefix holds the Chinese fonts, Wine's own window frames and
    # the key of the default printer.
    return winetest.Wine(winetest.fresh_prefix(work, "win32", name), "win32")


def to_select_port(w):
    w.focus("Select OS")
    w.key("Return")  # "Install Printer Driver (&N) >"
    w.focus("Detail Setting")
    w.key("alt+n")
    w.focus("Select Port")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--dist", default=str(ROOT / "dist"))
    parser.add_argument("--out", default=str(ROOT / "docs" / "screenshots"))
    parser.add_argument("--work", default=str(ROOT / "build" / "screenshots"))
    parser.add_argument("--display", type=int, default=70, help="first X display number to try")
    args = parser.parse_args()
    dist, out, work = (pathlib.Path(p).resolve() for p in (args.dist, args.out, args.work))
    exe = dist / "TQSetup.exe"
    if not exe.exists():
        sys.exit(f"tools/readme_screenshots.py: {exe} is missing (scripts/build makes it)")
    out.mkdir(parents=True, exist_ok=True)
    taken = []
    with wizard.XDisplay(args.display) as display:
        # The whole job.
        wine = machine(work, "whole-job")
        w = wizard.Wizard(wine, exe, display, work / "shots")
        w.start(cwd=dist)
        try:
            taken += wizard.walk_whole_job(w, exe.stem, WHOLE_JOB)
            w.wait_exit(timeout=60)
        finally:
            w.kill()
            wine.stop()

        # A failed installation: a driver file is missing from the folder.
        folder = work / "package-without-file"
        shutil.rmtree(folder, ignore_errors=True)
        shutil.copytree(dist, folder)
        (folder / MISSING_FILE).unlink()
        wine = machine(work, "missing-file")
        w = wizard.Wizard(wine, folder / exe.name, display, work / "shots")
        w.start(cwd=folder)
        try:
            taken += wizard.walk_whole_job(w, exe.stem, {"closing-message": "5-install-failed"})
        finally:
            w.kill()
            wine.stop()

        # Create Port... (the button after the port list), then New Port... (after the monitor list).
        wine = machine(work, "create-port")
        w = wizard.Wizard(wine, exe, display, work / "shots")
        w.start(cwd=dist)
        try:
            to_select_port(w)
            w.key("Tab", "space")
            w.focus("Create Port")
            w.key("Tab", "space")
            w.focus("Add a Local Port")
            w.xdotool("type", "--delay", "80", "TQNET1:")
            taken.append(w.screenshot("6-create-port"))
        finally:
            w.kill()
            wine.stop()

    for shot in taken:
        target = out / shot.name
        shutil.copyfile(trim(shot), target)
        print(f"   {target}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
