"""Drives the real wizard under Wine and Xvfb.

    with XDisplay(41) as display:         # :41, or the next free display
        wiz = Wizard(wine, exe, display, shots_dir)
        wiz.start(cwd=folder)
        page = wiz.wait_dialog(129)          # a probe snapshot (dict), once X shows the dialog
        wiz.click(page, 1009)                # a control, by id, with the mouse
        wiz.wait_record(lambda r: r["event"] == "command" and r["command"] == 1009)
        wiz.focus("Select OS")
        wiz.key("Escape")
        wiz.screenshot("select-os")
        wiz.wait_exit()

Snapshots come from TQSetupProbe.exe (the wizard plus tests/wine/wizard_probe.cpp),
which appends one JSON line per event to the file in TQ_PROBE_FILE. The shipped
TQSetup.exe writes nothing; with it, use wait_window (by caption) and screenshots.

Nothing here sleeps for a fixed time: input goes to a dialog once X shows it,
and what the input did is waited for, with a timeout, in what the probe writes
(a dialog opened, closed or destroyed, a command handled) or in what X shows
(a window shown or gone).
"""
import json
import os
import re
import pathlib
import subprocess
import time

# How often the waits below look again.
POLL = 0.1


class XDisplay:
    """An Xvfb server for the lifetime of the `with` block, on the first free
    display from :number on (up to `tries` numbers), so that trees and runs
    side by side do not collide. `name` is the display taken.

    DISPLAY is set for the whole process meanwhile: every Wine program must see
    it, since the first one in a prefix starts the desktop process that all
    later windows go through."""

    def __init__(self, number, tries=20):
        self.first = int(number)
        self.tries = tries
        self.number = None
        self.name = None
        self.proc = None

    def _start(self, number):
        """Starts Xvfb on :number; True once it serves, False when the display is taken."""
        if pathlib.Path(f"/tmp/.X{number}-lock").exists() or pathlib.Path(f"/tmp/.X11-unix/X{number}").exists():
            return False
        # Xvfb writes the display number to the pipe once it accepts clients;
        # the pipe ends without it when Xvfb gives up (display in use).
        read_end, write_end = os.pipe()
        proc = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                 "-displayfd", str(write_end)],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            answer = pipe.readline().strip()
        if answer == str(number).encode():
            self.proc = proc
            return True
        proc.kill()
        proc.wait()
        return False

    def __enter__(self):
        for number in range(self.first, self.first + self.tries):
            if self._start(number):
                self.number = number
                self.name = f":{number}"
                break
        else:
            raise RuntimeError(f"no free X display from :{self.first} to :{self.first + self.tries - 1}")
        self.saved = os.environ.get("DISPLAY")
        os.environ["DISPLAY"] = self.name
        return self

    def __exit__(self, *exc):
        if self.saved is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = self.saved
        self.proc.terminate()
        self.proc.wait(timeout=10)

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.name
        return env


class Wizard:
    def __init__(self, wine, exe, display, shots_dir, probe_file=None):
        self.wine = wine
        self.exe = pathlib.Path(exe)
        self.display = display
        self.shots_dir = pathlib.Path(shots_dir)
        self.shots_dir.mkdir(parents=True, exist_ok=True)
        self.probe_file = pathlib.Path(probe_file) if probe_file else None
        self.proc = None
        self.seen = 0

    # ---- process ----
    def start(self, cwd=None, extra_env=None):
        env = self.wine.env(extra_env)
        env["DISPLAY"] = self.display.name
        if self.probe_file:
            if self.probe_file.exists():
                self.probe_file.unlink()
            env["TQ_PROBE_FILE"] = self.wine.dos_path(self.probe_file)
        self.seen = 0
        # Wine's own messages go to a log beside the screenshots, for a failing test.
        self.log = open(self.shots_dir / "wine.log", "ab")
        self.proc = subprocess.Popen(["wine", str(self.exe)], cwd=str(cwd or self.exe.parent), env=env,
                                     stdout=self.log, stderr=self.log)
        return self.proc

    def wait_exit(self, timeout=30):
        """The process's exit status; fails when it is still running."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise AssertionError("the wizard did not end")

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def kill(self):
        if self.running():
            self.proc.kill()
            self.proc.wait()

    # ---- probe snapshots ----
    def records(self):
        if not self.probe_file or not self.probe_file.exists():
            return []
        records = []
        for line in self.probe_file.read_text(encoding="utf-8", errors="replace").splitlines():
            try:
                records.append(json.loads(line))
            except ValueError:
                break  # the line being written right now
        return records

    def wait_record(self, predicate, timeout=30, what="a probe record"):
        """The first record after the ones already taken that satisfies `predicate`."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            records = self.records()
            for index in range(self.seen, len(records)):
                if predicate(records[index]):
                    self.seen = index + 1
                    return records[index]
            if self.proc and self.proc.poll() is not None:
                break
            time.sleep(POLL)
        raise AssertionError(f"no {what} (records: {[r.get('event') for r in self.records()[self.seen:]]}, "
                             f"exit status {self.proc.poll() if self.proc else None})")

    def wait_dialog(self, template, event="opened", timeout=30):
        rec = self.wait_record(lambda r: r.get("event") == event and r.get("template") == template,
                               timeout, f"{event} snapshot of dialog {template}")
        if event == "opened":
            # The snapshot is taken as the dialog opens, before it is shown:
            # a click before X shows it lands on whatever is below.
            self.wait_shown(rec, timeout)
        return rec

    def wait_shown(self, snapshot, timeout=30):
        """Waits until X shows the dialog of a snapshot (its X window is viewable)."""
        xwindow = snapshot.get("xwindow")
        if not xwindow:
            raise AssertionError(f"the probe gave no X window for dialog {snapshot.get('template')}")
        deadline = time.time() + timeout
        while time.time() < deadline:
            info = subprocess.run(["xwininfo", "-id", str(xwindow)], env=self.display.env(),
                                  capture_output=True, text=True).stdout
            if "Map State: IsViewable" in info:
                return
            if self.proc and self.proc.poll() is not None:
                break
            time.sleep(POLL)
        raise AssertionError(f"X never showed dialog {snapshot.get('template')} ({snapshot.get('caption')!r})")

    def snapshot(self, template=None, timeout=15):
        """Asks for a snapshot of the active dialog (F12) and returns it."""
        self.key("F12")
        return self.wait_record(lambda r: r.get("event") == "demand" and (template is None or r.get("template") == template),
                                timeout, "snapshot on demand")

    # ---- X input ----
    def xdotool(self, *args, check=True):
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=self.display.env(),
                              capture_output=True, text=True, check=check)

    def wait_window(self, caption, timeout=30):
        """The X window id of the first visible window whose caption matches."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            out = self.xdotool("search", "--onlyvisible", "--name", caption, check=False).stdout.split()
            if out:
                return out[0]
            if self.proc and self.proc.poll() is not None:
                break
            time.sleep(POLL)
        raise AssertionError(f"no window {caption!r}")

    def wait_window_gone(self, caption, timeout=30):
        """Waits until no visible window has the caption."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if not self.xdotool("search", "--onlyvisible", "--name", caption, check=False).stdout.split():
                return
            time.sleep(POLL)
        raise AssertionError(f"window {caption!r} still open")

    def focus(self, caption):
        window = self.wait_window(caption)
        self.xdotool("windowfocus", "--sync", window, check=False)
        return window

    def key(self, *keys):
        """Types keys into the window that has the focus (see focus)."""
        self.xdotool("key", "--delay", "80", *keys)

    def click_at(self, x, y):
        # mousemove --sync waits for the pointer to move: not when it is there already.
        where = self.xdotool("getmouselocation", "--shell").stdout
        if f"X={x}\nY={y}\n" not in where:
            self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("click", "1")

    def click(self, snapshot, control_id):
        left, top, right, bottom = control(snapshot, control_id)["rect"]
        self.click_at((left + right) // 2, (top + bottom) // 2)

    def command(self, snapshot, control_id, timeout=30):
        """Clicks a control and waits until its dialog has handled the command; returns that snapshot."""
        self.click(snapshot, control_id)
        return self.wait_record(lambda r: r.get("event") == "command" and r.get("hwnd") == snapshot["hwnd"]
                                and r.get("command") == control_id, timeout, f"command {control_id} handled")

    def click_close_box(self, snapshot):
        """The close box at the right end of the caption Wine draws."""
        left, top, right, bottom = snapshot["rect"]
        client_top = snapshot["client_origin"][1]
        self.click_at(right - 12, (top + client_top) // 2)

    def screenshot(self, name):
        path = self.shots_dir / f"{name}.png"
        subprocess.run(["import", "-window", "root", str(path)], env=self.display.env(), check=True,
                       capture_output=True)
        return path


def control(snapshot, control_id, visible_only=False):
    """The control `control_id` of a snapshot (the first of that id)."""
    for c in snapshot["controls"]:
        if c["id"] == control_id and (c["visible"] or not visible_only):
            return c
    raise KeyError(f"no control {control_id} in dialog {snapshot.get('template')}")


def checked_ids(snapshot, visible_only=False):
    return [c["id"] for c in snapshot["controls"]
            if c.get("checked") and (c["visible"] or not visible_only)]


def resource_ids(source_root):
    """The ids of res/resource.h, by name (the one header the code uses too)."""
    ids = {}
    text = (pathlib.Path(source_root) / "res" / "resource.h").read_text()
    for line in text.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0] == "#define":
            try:
                ids[parts[1]] = int(parts[2], 0)
            except ValueError:
                pass
    return ids


def walk_whole_job(wiz, box_caption, shot_names=None):
    """Goes through the shipped wizard with its opening choices by keys alone:
    "Install Printer Driver (&N) >", "&Next >", "&Install" on the preselected
    port, and OK on the closing message. `shot_names` maps the steps "select-os",
    "detail-setting", "select-port" and "closing-message" to screenshot names;
    returns the screenshots taken."""
    names = shot_names or {}
    shots = []

    def shot(step):
        if step in names:
            shots.append(wiz.screenshot(names[step]))

    wiz.focus("Select OS")
    shot("select-os")
    wiz.key("Return")  # the focus is on "Install Printer Driver (&N) >"
    wiz.focus("Detail Setting")
    shot("detail-setting")
    wiz.key("alt+n")
    wiz.focus("Select Port")
    shot("select-port")
    wiz.key("alt+i")
    wiz.focus(f"^{re.escape(box_caption)}$")
    shot("closing-message")
    wiz.key("Return")
    return shots


def machine_summary(state, environment):
    """Readable lines of what check_machine reported for `environment`."""
    lines = []
    for p in state.get("printers") or []:
        lines.append(f"Printer:         {p['pPrinterName']} on port {p['pPortName']} (driver {p['pDriverName']})")
    if not state.get("printers"):
        lines.append("Printer:         none")
    for d in state.get("drivers") or []:
        folder = (d.get("pDriverPath") or "").rsplit("\\", 1)[0]
        lines.append(f"Driver:          {d['pName']} for {d['pEnvironment']}, files in {folder}")
    if not state.get("drivers"):
        lines.append(f"Driver:          none for {environment}")
    lines.append(f"Default printer: {state.get('defaultPrinter') or 'none'}")
    return lines
