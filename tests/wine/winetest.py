"""Fixtures for the tests that run the real Windows programs under Wine.

A test script:

    ARGS = winetest.parse_args(["--package", "--tqinstall", "--checker"])

    class Install(unittest.TestCase):
        def test_something(self):
            m = winetest.Machine(self, "something")   # a fresh machine, gone after the test
            code, report = m.install("--model", "5")  # tqinstall install --model 5 --json
            held = m.check(winetest.ENVIRONMENT["x86"], winetest.DEVICE_KEY, "Device")

    if __name__ == "__main__":
        winetest.main()

parse_args(extra)   The options every script gets from tests/wine/CMakeLists.txt
                    (--winearch, --work, --build, --templates) plus `extra`; the
                    rest is left for unittest. Also kept as winetest.ARGS.
main()              Runs the script's tests.
Machine(test, name, arch=None, checker=None)
                    A fresh Windows machine: a prefix copied from the template of
                    `arch` (default: the build's WINEARCH), deleted by the test's
                    cleanup. It holds what every Windows holds and a fresh Wine
                    prefix lacks (the default printer's key), the fonts for the
                    Chinese texts, and windows that Wine frames and places itself
                    (Xvfb has no window manager; with windows left to one, Wine
                    waits 2 s for it each time a window is hidden). Its `wine`
                    runs programs (see Wine).
  .run(args, ...)       a Windows program; output captured (CompletedProcess).
  .run_json(args, ...)  (exit status, stdout parsed as JSON); fails the test with
                        the output when stdout is not JSON.
  .tqinstall(*args), .tqinstall_json(*args), .install(*args)
                        the package's tqinstall (--package, --tqinstall), run in
                        the package folder; the last two add --json and parse it.
  .check(environment, *registry)   what the spooler and registry hold, read by
                        check_machine (--checker): drivers, printers, default
                        printer and the named "KEY", "VALUE" pairs.
  .driver_dir(arch)     the spooler's driver folder for "x86" or "x64".
Wine(prefix, arch)  Programs in one prefix: run, reg_add, set_version, dos_path,
                    drive_c, stop, discard.
fresh_prefix(work, arch, name, keep=False)
                    The prefix under a Machine, for a test that manages it itself.
DEVICE_KEY, PORTS_KEY, ENVIRONMENT, DRIVER_SUBDIR
                    Registry keys and the spooler's names per architecture.
native_arch(exe)    ("win32", "x86") or ("win64", "x64"): the prefix an exe runs
                    in natively and the architecture it installs there.
steps(report, kind), base_name(path), exe_is_64bit(path), run_captured(...).

Prefixes: a template per WINEARCH is made once (wineboot takes 15-20 s) in the
templates folder, which the build trees share. A fresh prefix is a copy of it in
which the large files of Wine's system folders (DLLs, fonts) are hard links:
under a second instead of 6-12 s and 0.6 GB for a full copy. Those files are
made read-only, so that a program writing to one fails loudly instead of
changing every prefix.
"""
import argparse
import atexit
import fcntl
import json
import os
import pathlib
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import unittest

WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}

# Windows always has this key (the default printer is kept there); a fresh Wine
# prefix does not, and without it a program cannot set the default printer.
DEVICE_KEY = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows"
PORTS_KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports"
ENVIRONMENT = {"x86": "Windows NT x86", "x64": "Windows x64"}
DRIVER_SUBDIR = {"x86": "w32x86", "x64": "x64"}

# Fonts for the Chinese texts: the templates ask for 宋体; Wine has no such font.
FONT_REPLACEMENTS = {"宋体": "WenQuanYi Zen Hei", "SimSun": "WenQuanYi Zen Hei"}

# Files of these template folders at least this large are hard-linked, not copied.
LINKED_FOLDERS = ("drive_c/windows/system32/", "drive_c/windows/syswow64/", "drive_c/windows/winsxs/",
                  "drive_c/windows/Fonts/")
LINKED_MIN_SIZE = 32 * 1024

ARGS = None


def parse_args(extra=None):
    """Parses the options every Wine test script takes, and `extra`; leaves the rest for unittest."""
    global ARGS
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--winearch", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--templates")
    for name in extra or []:
        parser.add_argument(name)
    args, rest = parser.parse_known_args()
    sys.argv[1:] = rest
    ARGS = args
    return args


def main():
    unittest.main(verbosity=2)


def exe_is_64bit(path):
    """True for an x86-64 PE file (machine type 0x8664 in its file header)."""
    data = pathlib.Path(path).read_bytes()
    pe = int.from_bytes(data[0x3C:0x40], "little")
    return int.from_bytes(data[pe + 4:pe + 6], "little") == 0x8664


def native_arch(exe):
    """The WINEARCH where `exe` runs natively, and the architecture it installs there."""
    return ("win64", "x64") if exe_is_64bit(exe) else ("win32", "x86")


def steps(report, kind):
    """The steps of a JSON report of this kind ("copyFile", "createPrinter", ...)."""
    return [s for s in report["steps"] if s["step"] == kind]


def base_name(path):
    return path.replace("/", "\\").rsplit("\\", 1)[-1]


def run_captured(cmd, cwd=None, env=None, timeout=120, check=False):
    """subprocess.run with stdout and stderr captured through files, not pipes.

    Wine's system processes (services.exe, winedevice.exe) inherit the standard
    handles of the program that started them and live as long as a persistent
    wineserver; a pipe would then never reach end-of-file and the caller would hang.
    """
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.run(cmd, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              timeout=timeout)
        out.seek(0)
        err.seek(0)
        result = subprocess.CompletedProcess(cmd, proc.returncode, out.read(), err.read())
    if check:
        result.check_returncode()
    return result


def wine_env(prefix, arch, extra=None):
    env = dict(os.environ)
    env.update(WINE_ENV)
    env["WINEPREFIX"] = str(prefix)
    env["WINEARCH"] = arch
    if extra:
        env.update(extra)
    return env


def template_reg():
    """What the templates hold beyond a fresh prefix, as a .reg file's text."""
    lines = ["Windows Registry Editor Version 5.00", "",
             "[" + DEVICE_KEY.replace("HKCU", "HKEY_CURRENT_USER", 1) + "]", "",
             "[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]"]
    lines += [f'"{name}"="{font}"' for name, font in FONT_REPLACEMENTS.items()]
    lines += ["", "[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]", '"Decorated"="N"', '"Managed"="N"', ""]
    return "\r\n".join(lines)


def import_reg(prefix, arch, text):
    """Imports .reg text into a prefix with regedit.

    As a UTF-16 file: a non-ASCII value name on reg.exe's command line depends
    on the locale and was seen to hang. Not captured: the first program of a
    fresh prefix starts Wine's services, which inherit its output."""
    reg = pathlib.Path(prefix) / "tq-import.reg"
    reg.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))
    try:
        subprocess.run(["wine", "regedit", "/S", "Z:" + str(reg.resolve()).replace("/", "\\")],
                       env=wine_env(prefix, arch), check=True, timeout=120,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    finally:
        reg.unlink()


def _linked(relative, size):
    return size >= LINKED_MIN_SIZE and relative.startswith(LINKED_FOLDERS)


def templates_dir(work_dir=None):
    """Where the templates are: --templates, else the work folder."""
    if ARGS is not None and ARGS.templates:
        return pathlib.Path(ARGS.templates)
    return pathlib.Path(work_dir if work_dir is not None else ARGS.work)


def template(arch, templates=None):
    """The template prefix of `arch`, made on first use (safe between processes)."""
    version = run_captured(["wine", "--version"], check=True).stdout.decode().strip().replace(" ", "_")
    prefix = pathlib.Path(templates or templates_dir()) / f"template-{arch}-{version}"
    prefix.parent.mkdir(parents=True, exist_ok=True)
    with open(str(prefix) + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if (prefix / ".tq-template-ready").exists():
            return prefix
        if prefix.exists():
            shutil.rmtree(prefix)
        subprocess.run(["wineboot", "-i"], env=wine_env(prefix, arch), check=True, timeout=300,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        import_reg(prefix, arch, template_reg())
        stop_prefix(prefix, arch)
        for path in prefix.rglob("*"):
            if path.is_file() and not path.is_symlink():
                if _linked(path.relative_to(prefix).as_posix(), path.stat().st_size):
                    path.chmod(path.stat().st_mode & ~(stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH))
        (prefix / ".tq-template-ready").touch()
    return prefix


def stop_prefix(prefix, arch):
    """Ends the prefix's wineserver and waits until it is gone (the registry is saved then)."""
    subprocess.run(["wineserver", "-k"], env=wine_env(prefix, arch),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=wine_env(prefix, arch),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def start_server(prefix, arch):
    """Keeps the prefix's wineserver running between programs (saves ~2 s a start)."""
    subprocess.run(["wineserver", "-p"], env=wine_env(prefix, arch), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def copy_template(source, target):
    """Copies a template prefix: hard links for Wine's large system files, copies of the rest."""
    def copy(src, dst):
        if _linked(os.path.relpath(src, source).replace(os.sep, "/"), os.path.getsize(src)):
            os.link(src, dst)
        else:
            shutil.copy2(src, dst)
    shutil.copytree(source, target, symlinks=True, copy_function=copy)
    (pathlib.Path(target) / ".tq-template-ready").unlink(missing_ok=True)


def fresh_prefix(work_dir, arch, name, keep=False):
    """A new prefix `name` under `work_dir`, copied from the template for `arch`;
    deleted when this process exits, unless `keep`."""
    work_dir = pathlib.Path(work_dir)
    source = template(arch, templates_dir(work_dir))
    target = work_dir / name
    if target.exists():
        stop_prefix(target, arch)
        shutil.rmtree(target)
    target.parent.mkdir(parents=True, exist_ok=True)
    with open(str(source) + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_SH)
        copy_template(source, target)
    if not keep:
        _made.append((target, arch))
    return target


# Fresh prefixes made by this process; deleted when it exits, so a test run
# does not leave gigabytes of prefixes behind.
_made = []


@atexit.register
def _discard_made_prefixes():
    for prefix, arch in _made:
        if prefix.exists():
            stop_prefix(prefix, arch)
            shutil.rmtree(prefix, ignore_errors=True)


class Wine:
    """Runs programs in one prefix."""

    def __init__(self, prefix, arch):
        self.prefix = pathlib.Path(prefix)
        self.arch = arch
        start_server(self.prefix, self.arch)

    def env(self, extra=None):
        return wine_env(self.prefix, self.arch, extra)

    def run(self, args, cwd=None, timeout=120, extra_env=None, check=False):
        cmd = ["wine"] + [str(a) for a in args]
        result = run_captured(cmd, cwd=cwd, env=self.env(extra_env), timeout=timeout)
        if result.returncode != 0 and b"ShellExecuteEx failed" in result.stdout + result.stderr:
            # Seen once under load: Wine's loader did not find an exe that was
            # there and fell back to start.exe. The program itself never ran,
            # so a second start is a clean first run.
            time.sleep(2)
            result = run_captured(cmd, cwd=cwd, env=self.env(extra_env), timeout=timeout)
        if check:
            result.check_returncode()
        return result

    def reg_add(self, key, value=None, data=None, kind="REG_SZ"):
        args = ["reg", "add", key, "/f"]
        if value is not None:
            args += ["/v", value, "/t", kind, "/d", data or ""]
        return self.run(args, check=True)

    def set_version(self, version):
        self.reg_add("HKCU\\Software\\Wine", "Version", version)

    def dos_path(self, path):
        """The Windows path of a Unix path (through Wine's Z: drive)."""
        return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")

    def drive_c(self):
        return self.prefix / "drive_c"

    def stop(self):
        stop_prefix(self.prefix, self.arch)

    def discard(self):
        """Ends the prefix's wineserver and deletes the prefix."""
        stop_prefix(self.prefix, self.arch)
        shutil.rmtree(self.prefix, ignore_errors=True)


def package_dir():
    return pathlib.Path(ARGS.package)


class Machine:
    """A fresh prefix for one test, discarded by the test's cleanup (see the top of this file)."""

    def __init__(self, test, name, arch=None, checker=None):
        self.arch = arch or ARGS.winearch
        self.checker = checker or getattr(ARGS, "checker", None)
        self.wine = Wine(fresh_prefix(ARGS.work, self.arch, f"{name}-{self.arch}"), self.arch)
        test.addCleanup(self.wine.discard)

    def run(self, args, **kwargs):
        return self.wine.run(args, **kwargs)

    def run_json(self, args, **kwargs):
        r = self.wine.run(args, **kwargs)
        try:
            return r.returncode, json.loads(r.stdout)
        except json.JSONDecodeError:
            raise AssertionError(f"no JSON (exit {r.returncode}): {r.stdout!r} {r.stderr!r}") from None

    def tqinstall(self, *args, cwd=None, **kwargs):
        """tqinstall of the package (--package, --tqinstall), run in the package folder."""
        return self.wine.run([package_dir() / ARGS.tqinstall, *args], cwd=cwd or package_dir(), **kwargs)

    def tqinstall_json(self, *args, cwd=None):
        """tqinstall ARGS --json: (exit status, the JSON it printed)."""
        return self.run_json([package_dir() / ARGS.tqinstall, *args, "--json"], cwd=cwd or package_dir())

    def install(self, *args, cwd=None):
        """tqinstall install ARGS --json: (exit status, report)."""
        return self.tqinstall_json("install", *args, cwd=cwd)

    def check(self, environment, *registry):
        r = self.wine.run([self.checker, environment, *registry], check=True)
        return json.loads(r.stdout)

    def driver_dir(self, arch):
        return self.wine.drive_c() / "windows" / "system32" / "spool" / "drivers" / DRIVER_SUBDIR[arch]


def _command_line():
    parser = argparse.ArgumentParser(description="Make or stop the prefix the build's test programs run in")
    parser.add_argument("action", choices=["init", "stop"])
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--arch", required=True)
    parser.add_argument("--templates", required=True)
    args = parser.parse_args()
    prefix = pathlib.Path(args.prefix)
    if args.action == "init":
        if not (prefix / "system.reg").exists():
            source = template(args.arch, args.templates)
            if prefix.exists():
                shutil.rmtree(prefix)
            with open(str(source) + ".lock", "w") as lock:
                fcntl.flock(lock, fcntl.LOCK_SH)
                copy_template(source, prefix)
        start_server(prefix, args.arch)
    else:
        stop_prefix(prefix, args.arch)


if __name__ == "__main__":
    sys.exit(_command_line())
