"""The real wizard under Wine with Xvfb: page flow, Select OS marks, the USB
driver launcher, the Detail Setting page, the About box, the Create Port
dialog and DLL loading. Screenshots of every page go to <build>/screenshots."""
import pathlib
import re
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import winetest  # noqa: E402
import wizard  # noqa: E402
from wizard import checked_ids, control  # noqa: E402

ARGS = winetest.parse_args(["--display", "--exe", "--probe", "--usb", "--planted", "--control"])
ROOT = pathlib.Path(__file__).resolve().parents[2]
ID = wizard.resource_ids(ROOT)
SHOTS = pathlib.Path(ARGS.build) / "screenshots"
IDOK, IDCANCEL = 1, 2

# The model-list labels and the Printer Name box's first text, as written.
LABELS = [l for l in (ROOT / "tools" / "labels.txt").read_text(encoding="utf-8").splitlines()
          if l and not l.startswith("#")]

SELECT_OS, DETAIL, ABOUT, CREATE_PORT = (ID["IDD_SELECT_OS"], ID["IDD_DETAIL_SETTING"],
                                         ID["IDD_ABOUTBOX"], ID["IDD_CREATE_PORT"])
RADIOS = [ID[n] for n in ("IDC_WIN95", "IDC_WIN98", "IDC_WINNT4", "IDC_WIN2000", "IDC_WINXP",
                          "IDC_WIN2003", "IDC_WINVISTA", "IDC_WIN7", "IDC_WIN8")]


class WizardTest(unittest.TestCase):
    display = None

    @classmethod
    def setUpClass(cls):
        cls.display = wizard.XDisplay(int(ARGS.display)).__enter__()
        try:
            cls.wine = winetest.Wine(winetest.fresh_prefix(ARGS.work, ARGS.winearch, "wizard"), ARGS.winearch)
        except BaseException:
            cls.display.__exit__(None, None, None)
            raise
        cls.work = pathlib.Path(ARGS.work) / "wizard-files"
        shutil.rmtree(cls.work, ignore_errors=True)
        cls.work.mkdir(parents=True)

    @classmethod
    def tearDownClass(cls):
        cls.wine.stop()
        cls.display.__exit__(None, None, None)

    def setUp(self):
        self.wizards = []

    def tearDown(self):
        for w in self.wizards:
            w.kill()

    def probe(self, wine=None, name="probe"):
        w = wizard.Wizard(wine or self.wine, ARGS.probe, self.display, SHOTS,
                          probe_file=self.work / f"{name}.jsonl")
        self.wizards.append(w)
        return w

    # ---- the page flow ----

    def test_select_os_ends_with_exit_esc_and_close_box(self):
        for way in ("exit", "esc", "close box"):
            with self.subTest(way=way):
                w = self.probe()
                w.start()
                page = w.wait_dialog(SELECT_OS)
                if way == "exit":
                    w.screenshot("select-os")
                    w.click(page, ID["IDC_OS_EXIT"])
                elif way == "esc":
                    w.focus("Select OS")
                    w.key("Escape")
                else:
                    w.click_close_box(page)
                w.wait_exit()
                opened = [r["template"] for r in w.records() if r["event"] == "opened"]
                self.assertEqual(opened, [SELECT_OS])

    def test_back_and_forth_three_times(self):
        w = self.probe()
        w.start()
        select_objects, detail_windows = set(), []
        for visit in range(4):
            page = w.wait_dialog(SELECT_OS)
            select_objects.add(page["object"])
            w.click(page, ID["IDC_INSTALL_DRIVER"])
            detail = w.wait_dialog(DETAIL)
            self.assert_detail_opening_state(detail)
            detail_windows.append(detail["hwnd"])
            if visit == 3:
                w.click(detail, ID["IDC_EXIT"])
                break
            # Change the page, so that the next showing must start afresh.
            w.click(detail, ID["IDC_SET_DEFAULT"])
            w.wait_record(lambda r: r["event"] == "command" and r["command"] == ID["IDC_SET_DEFAULT"])
            w.click(detail, ID["IDC_BACK"])
        w.wait_exit()
        self.assertEqual(len(select_objects), 1, "one Select OS page object serves every showing")
        opened = [r["template"] for r in w.records() if r["event"] == "opened"]
        self.assertEqual(opened, [SELECT_OS, DETAIL] * 4)

    def test_detail_setting_ends_with_esc_close_box_and_enter(self):
        for way in ("esc", "close box"):
            with self.subTest(way=way):
                w = self.probe()
                w.start()
                w.click(w.wait_dialog(SELECT_OS), ID["IDC_INSTALL_DRIVER"])
                detail = w.wait_dialog(DETAIL)
                if way == "esc":
                    w.focus("Detail Setting")
                    w.key("Escape")
                else:
                    w.click_close_box(detail)
                w.wait_exit()
                opened = [r["template"] for r in w.records() if r["event"] == "opened"]
                self.assertEqual(opened, [SELECT_OS, DETAIL], "the wizard ends, no Select OS again")

    # ---- Select OS ----

    def test_mark_for_every_windows_version(self):
        # Wine's version -> the radio button marked, or None for none visible.
        expected = {"win95": None, "win98": None, "nt40": None, "win2k": "IDC_WIN2000",
                    "winxp": "IDC_WINXP", "win2003": "IDC_WIN2003", "vista": "IDC_WINVISTA",
                    "win7": "IDC_WIN7", "win8": "IDC_WIN8", "win10": "IDC_WIN8"}
        hidden_marks = {"win95": "IDC_WIN95", "win98": "IDC_WIN98", "nt40": "IDC_WINNT4"}
        try:
            for version, name in expected.items():
                with self.subTest(version=version):
                    self.wine.set_version(version)
                    w = self.probe()
                    w.start()
                    page = w.wait_dialog(SELECT_OS)
                    visible = checked_ids(page, visible_only=True)
                    self.assertEqual(visible, [ID[name]] if name else [])
                    if version in hidden_marks:
                        self.assertEqual(checked_ids(page), [ID[hidden_marks[version]]])
                    for radio in RADIOS:
                        self.assertFalse(control(page, radio)["checked"] and ID.get(name) != radio
                                         and radio not in [ID.get(hidden_marks.get(version))])
                    if version in ("win95", "win2k", "win7"):
                        w.screenshot(f"select-os-{version}")
                    w.focus("Select OS")
                    w.key("Escape")
                    w.wait_exit()
        finally:
            self.wine.set_version("win7")

    def test_user_mark_is_forgotten_after_back(self):
        self.wine.set_version("win7")
        w = self.probe()
        w.start()
        page = w.wait_dialog(SELECT_OS)
        w.click(page, ID["IDC_WINXP"])
        w.click(page, ID["IDC_INSTALL_DRIVER"])
        w.click(w.wait_dialog(DETAIL), ID["IDC_BACK"])
        again = w.wait_dialog(SELECT_OS)
        self.assertEqual(checked_ids(again, visible_only=True), [ID["IDC_WIN7"]])
        w.click(again, ID["IDC_OS_EXIT"])
        w.wait_exit()

    def usb_folder(self, name):
        """A folder holding the package's "USB Driver" stand-ins, which log each start beside themselves."""
        folder = self.work / name
        shutil.rmtree(folder, ignore_errors=True)
        shutil.copytree(ARGS.usb, folder / "USB Driver")
        for log in folder.glob("USB Driver/*/dpinst-started.log"):
            log.unlink()
        return folder

    def launches(self, folder, count, timeout=90):
        """(folder, program, current directory) of each start the stand-ins logged,
        once there are `count` of them."""
        def read():
            starts = []
            for log in sorted(folder.glob("USB Driver/*/dpinst-started.log")):
                for line in log.read_text(encoding="utf-8", errors="replace").splitlines():
                    cwd = re.search(r'cwd="([^"]*)"', line)
                    starts.append((log.parent.name, line.split(" ", 1)[0], cwd.group(1) if cwd else None))
            return starts
        deadline = time.time() + timeout
        while time.time() < deadline and len(read()) < count:
            time.sleep(wizard.POLL)
        return read()

    def check_usb_button(self, wine, arch, folder):
        w = self.probe(wine, name=f"usb-{arch}")
        w.start(cwd=folder)  # the current directory, not the exe's folder
        page = w.wait_dialog(SELECT_OS)
        for _ in range(3):
            w.command(page, ID["IDC_INSTALL_USB"])
        w.click(page, ID["IDC_OS_EXIT"])
        w.wait_exit()
        # Each of the three handled clicks started one installer: wait until the three logged their start.
        started = self.launches(folder, 3)
        expected = (arch, f"dpinst{arch}.exe", wine.dos_path(folder).lower())
        self.assertEqual([(a, p.lower(), (c or "").lower()) for a, p, c in started], [expected] * 3)

    def test_usb_button_starts_the_installer_of_the_architecture(self):
        folder = self.usb_folder("usb")
        if winetest.exe_is_64bit(ARGS.probe):
            self.check_usb_button(self.wine, "x64", folder)
            return
        self.check_usb_button(self.wine, "x86" if ARGS.winearch == "win32" else "x64", folder)
        # The other kind of prefix: x64 under WOW64, or x86 in a 32-bit prefix.
        other = "win64" if ARGS.winearch == "win32" else "win32"
        wine = winetest.Wine(winetest.fresh_prefix(ARGS.work, other, f"wizard-{other}"), other)
        try:
            self.check_usb_button(wine, "x64" if other == "win64" else "x86", self.usb_folder(f"usb-{other}"))
        finally:
            wine.stop()

    # ---- Detail Setting ----

    def assert_detail_opening_state(self, page):
        models = control(page, ID["IDC_MODEL_LIST"])
        self.assertEqual(models["items"], LABELS[:19])
        self.assertEqual(models["selected"], 1)
        self.assertEqual(control(page, ID["IDC_PRINTER_NAME"])["text"], LABELS[19])
        self.assertTrue(control(page, ID["IDC_SET_DEFAULT"])["checked"])
        lists = {"IDC_PORT_LIST": (0, "LPT1"), "IDC_BAUD_LIST": (5, "19200"), "IDC_DATA_BITS_LIST": (3, "8"),
                 "IDC_STOP_BITS_LIST": (0, "1"), "IDC_PARITY_LIST": (2, "None"),
                 "IDC_FLOW_CONTROL_LIST": (2, "Hardware")}
        for name, (index, text) in lists.items():
            c = control(page, ID[name])
            self.assertFalse(c["visible"], name)
            self.assertEqual((c["selected"], c["items"][c["selected"]]), (index, text), name)
            self.assertEqual(c["enabled"], name == "IDC_PORT_LIST", name)
        self.assertEqual(page["rect"][:2], [0, 0], "the page opens at its template position")
        self.assertTrue(page["big_icon"] and page["small_icon"])

    def test_detail_setting_model_change_updates_printer_name(self):
        w = self.probe()
        w.start()
        w.click(w.wait_dialog(SELECT_OS), ID["IDC_INSTALL_DRIVER"])
        page = w.wait_dialog(DETAIL)
        self.assert_detail_opening_state(page)
        w.screenshot("detail-setting")
        w.focus("Detail Setting")
        self.assertEqual(w.snapshot(DETAIL)["focus"], ID["IDC_MODEL_LIST"], "the model list has the focus")
        for key, row in (("Up", 0), ("Down", 1), ("End", 18)):
            w.key(key)
            snap = w.wait_record(lambda r: r["event"] == "command" and r["command"] == ID["IDC_MODEL_LIST"])
            self.assertEqual(control(snap, ID["IDC_MODEL_LIST"])["selected"], row)
            self.assertEqual(control(snap, ID["IDC_PRINTER_NAME"])["text"], LABELS[row])
        w.screenshot("detail-setting-model-18")
        w.click(page, ID["IDC_EXIT"])
        w.wait_exit()

    # ---- About box ----

    def test_about_box_from_the_system_menu_and_command_0x1f(self):
        w = self.probe()
        w.start()
        w.click(w.wait_dialog(SELECT_OS), ID["IDC_INSTALL_DRIVER"])
        page = w.wait_dialog(DETAIL)
        menu = page["system_menu"]
        self.assertTrue(menu[-2]["separator"])
        self.assertEqual((menu[-1]["id"], menu[-1]["text"]), (ID["IDM_ABOUTBOX"], "关于 ORVO(&A)..."))
        for way in ("menu", "0x1f"):
            with self.subTest(way=way):
                w.focus("Detail Setting")
                if way == "menu":
                    # Our item is the menu's last: Up from the top wraps to it.
                    w.key("alt+space")
                    w.screenshot("detail-setting-system-menu")
                    w.key("Up", "Return")
                else:
                    w.key("F11")
                about = w.wait_dialog(ABOUT)
                self.assertEqual(about["owner"], page["hwnd"])
                self.assertEqual(about["caption"], "关于 ORVO")
                # Centred over the Detail Setting page.
                pl, pt, pr, pb = page["rect"]
                al, at, ar, ab = about["rect"]
                self.assertLessEqual(abs((al + ar) - (pl + pr)), 2)
                self.assertLessEqual(abs((at + ab) - (pt + pb)), 2)
                if way == "menu":
                    w.screenshot("about")
                w.key("Return")
                w.wait_record(lambda r: r["event"] == "destroyed" and r["template"] == ABOUT,
                              what="the About box closed")
                self.assertTrue(w.running(), "the About box leaves the page open")
        w.click(page, ID["IDC_EXIT"])
        w.wait_exit()

    # ---- Create Port ----

    def test_create_port_lists_monitors_and_reaches_the_monitor_dialog(self):
        w = self.probe()
        w.start()
        w.wait_dialog(SELECT_OS)
        w.focus("Select OS")
        w.key("F10")
        dlg = w.wait_dialog(CREATE_PORT)
        monitors = control(dlg, ID["IDC_MONITORS"])
        self.assertEqual([r["texts"][0] for r in monitors["rows"]], ["Local Port"])
        self.assertEqual([(r["selected"], r["focused"]) for r in monitors["rows"]], [(True, False)])
        self.assertEqual(monitors["columns"][0]["text"], "Available Port Type")
        self.assertEqual(monitors["extended_style"] & 0x29, 0x21)
        w.screenshot("create-port")
        for attempt in range(2):
            w.click(dlg, ID["IDC_NEW_PORT"])
            w.focus("Add a Local Port")
            if attempt == 0:
                w.screenshot("create-port-add-local-port")
            w.key("Escape")
            # Handled once the monitor's dialog has ended; a click before then
            # would land on the disabled Create Port dialog.
            w.wait_record(lambda r: r["event"] == "command" and r["template"] == CREATE_PORT
                          and r["command"] == ID["IDC_NEW_PORT"], what="the monitor's dialog ended")
            w.wait_window_gone("Add a Local Port")
            self.assertTrue(w.running())
        w.click(dlg, ID["IDC_CLOSE"])
        closed = w.wait_record(lambda r: r["event"] == "closed")
        self.assertEqual(closed["result"], IDCANCEL)
        w.focus("Select OS")
        w.key("Escape")
        w.wait_exit()

    # ---- DLL loading ----

    def test_imports_only_dlls_windows_takes_from_its_system_directory(self):
        objdump = "x86_64-w64-mingw32-objdump" if winetest.exe_is_64bit(ARGS.exe) else "i686-w64-mingw32-objdump"
        out = subprocess.run([objdump, "-p", ARGS.exe], capture_output=True, text=True, check=True).stdout
        dlls = {name.lower() for name in re.findall(r"DLL Name: (\S+)", out)}
        known = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "msvcrt.dll",
                 "ole32.dll", "comdlg32.dll", "shlwapi.dll"}
        self.assertTrue(dlls)
        self.assertEqual(dlls - known, set())

    def test_planted_dlls_are_not_loaded(self):
        app = self.work / "planted-app"
        cwd = self.work / "planted-cwd"
        for folder in (app, cwd):
            shutil.rmtree(folder, ignore_errors=True)
            folder.mkdir()
            # Not version.dll: Wine's own user32 imports it (Windows' does not),
            # so under the override Wine loads it from here whatever the program
            # does. That the program imports no version.dll is the imports test's.
            for name in ("winspool.drv", "comctl32.dll"):
                shutil.copy(ARGS.planted, folder / name)
        for exe in (ARGS.exe, ARGS.probe, ARGS.control):
            shutil.copy(exe, app)
        mark = self.work / "planted.mark"
        env = {"WINEDLLOVERRIDES": "mscoree,mshtml=;winspool.drv,comctl32=n,b",
               "TQ_PLANT_MARK": self.wine.dos_path(mark)}

        # The control loads them the ordinary way: the mark shows the planting works.
        mark.unlink(missing_ok=True)
        self.wine.run([app / pathlib.Path(ARGS.control).name], cwd=cwd, extra_env=env, timeout=60)
        self.assertTrue(mark.exists(), "the planted DLL was not loaded by the control exe")

        mark.unlink(missing_ok=True)
        shipped = wizard.Wizard(self.wine, app / pathlib.Path(ARGS.exe).name, self.display, SHOTS)
        self.wizards.append(shipped)
        shipped.start(cwd=cwd, extra_env=env)
        shipped.focus("Select OS")
        shipped.key("Escape")
        shipped.wait_exit()
        self.assertFalse(mark.exists(), "TQSetup.exe loaded " + (mark.read_text(encoding="utf-16-le") if mark.exists() else ""))

        # The Create Port dialog loads winspool.drv at run time.
        w = wizard.Wizard(self.wine, app / pathlib.Path(ARGS.probe).name, self.display, SHOTS,
                          probe_file=self.work / "planted.jsonl")
        self.wizards.append(w)
        w.start(cwd=cwd, extra_env=env)
        w.wait_dialog(SELECT_OS)
        w.focus("Select OS")
        w.key("F10")
        dlg = w.wait_dialog(CREATE_PORT)
        self.assertEqual(len(control(dlg, ID["IDC_MONITORS"])["rows"]), 1)
        w.click(dlg, ID["IDC_CLOSE"])
        w.wait_record(lambda r: r["event"] == "closed")
        w.focus("Select OS")
        w.key("Escape")
        w.wait_exit()
        self.assertFalse(mark.exists(), "Create Port loaded " + (mark.read_text(encoding="utf-16-le") if mark.exists() else ""))

    # ---- the shipped exe ----

    def test_shipped_exe_walks_the_pages(self):
        w = wizard.Wizard(self.wine, ARGS.exe, self.display, SHOTS)
        self.wizards.append(w)
        w.start()
        w.focus("Select OS")
        w.screenshot("shipped-select-os")
        w.key("Return")
        w.focus("Detail Setting")
        w.key("alt+space", "Up", "Return")
        w.focus("关于 ORVO")
        w.screenshot("shipped-about")
        w.key("Return")
        w.wait_window_gone("关于 ORVO")
        w.focus("Detail Setting")
        w.screenshot("shipped-detail-setting")
        w.key("alt+b")
        w.focus("Select OS")
        w.key("Return")
        w.focus("Detail Setting")
        w.key("alt+e")
        self.assertEqual(w.wait_exit(), 0)


if __name__ == "__main__":
    winetest.main()
