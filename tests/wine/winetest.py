"""Helpers for tests that run the real Windows programs under Wine.

Prefixes are throwaway folders in the build tree. A template prefix per
WINEARCH is made once (wineboot takes 15-20 s) and copied for each test that
wants a fresh machine, which takes a second or two.
"""
import argparse
import atexit
import fcntl
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}


def exe_is_64bit(path):
    """True for an x86-64 PE file (machine type 0x8664 in its file header)."""
    data = pathlib.Path(path).read_bytes()
    pe = int.from_bytes(data[0x3C:0x40], "little")
    return int.from_bytes(data[pe + 4:pe + 6], "little") == 0x8664


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


def init_prefix(prefix, arch):
    """Makes `prefix` a ready Wine prefix (idempotent)."""
    prefix = pathlib.Path(prefix)
    prefix.parent.mkdir(parents=True, exist_ok=True)
    with open(str(prefix) + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if (prefix / "system.reg").exists():
            return prefix
        if prefix.exists():
            shutil.rmtree(prefix)
        subprocess.run(["wineboot", "-i"], env=wine_env(prefix, arch), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        stop_prefix(prefix, arch)
    return prefix


def stop_prefix(prefix, arch):
    subprocess.run(["wineserver", "-k"], env=wine_env(prefix, arch),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=wine_env(prefix, arch),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def start_server(prefix, arch):
    """Keeps the prefix's wineserver running between programs (saves ~2 s a start)."""
    subprocess.run(["wineserver", "-p"], env=wine_env(prefix, arch), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def fresh_prefix(work_dir, arch, name, keep=False):
    """A new prefix `name` under `work_dir`, copied from the template for `arch`;
    deleted when this process exits, unless `keep`."""
    work_dir = pathlib.Path(work_dir)
    template = init_prefix(work_dir / f"template-{arch}", arch)
    target = work_dir / name
    if target.exists():
        stop_prefix(target, arch)
        shutil.rmtree(target)
    with open(str(template) + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_SH)
        shutil.copytree(template, target, symlinks=True)
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
        """Ends the prefix's wineserver and deletes the prefix (0.6-1.3 GB each)."""
        stop_prefix(self.prefix, self.arch)
        shutil.rmtree(self.prefix, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description="Make or stop a Wine prefix")
    parser.add_argument("action", choices=["init", "stop"])
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--arch", required=True)
    args = parser.parse_args()
    if args.action == "init":
        init_prefix(args.prefix, args.arch)
        start_server(args.prefix, args.arch)
    else:
        stop_prefix(args.prefix, args.arch)


if __name__ == "__main__":
    sys.exit(main())
