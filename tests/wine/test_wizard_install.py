"""The wizard's whole job under Wine with Xvfb: the Select Port page, the
installation with its progress bar and the closing message, each run in a fresh
prefix followed by a look at what the machine holds (check_machine). The
32-bit build runs in a 32-bit prefix, the 64-bit build in a 64-bit one.
Screenshots go to <build>/screenshots."""
import json
import pathlib
import re
import shutil
import sys
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import wine_args  # noqa: E402
import winetest  # noqa: E402
import wizard  # noqa: E402
from wizard import control  # noqa: E402

ARGS = wine_args.parse(["--display", "--exe", "--probe", "--package", "--tqinstall", "--checker", "--ports"])
ROOT = pathlib.Path(__file__).resolve().parents[2]
ID = wizard.resource_ids(ROOT)
SHOTS = pathlib.Path(ARGS.build) / "screenshots"
PACKAGE = pathlib.Path(ARGS.package)
IDOK, IDCANCEL = 1, 2

SELECT_OS, DETAIL, SELECT_PORT, CREATE_PORT = (ID["IDD_SELECT_OS"], ID["IDD_DETAIL_SETTING"],
                                               ID["IDD_SELECT_PORT"], ID["IDD_CREATE_PORT"])
PORTS_KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports"
ARCH = "x64" if ARGS.winearch == "win64" else "x86"
ENVIRONMENT = {"x86": "Windows NT x86", "x64": "Windows x64"}[ARCH]
DRIVER_DIR = {"x86": "w32x86", "x64": "x64"}[ARCH]
OPENING_MODEL = "TQ-A10(Cut) Series"
FAILED = "The printer driver was not installed completely."


class WizardInstallTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = wizard.XDisplay(int(ARGS.display)).__enter__()
        cls.work = pathlib.Path(ARGS.work) / "wizard-install-files"
        shutil.rmtree(cls.work, ignore_errors=True)
        cls.work.mkdir(parents=True)
        cls.box = pathlib.Path(ARGS.probe).stem  # the message boxes' caption

    @classmethod
    def tearDownClass(cls):
        cls.display.__exit__(None, None, None)

    def setUp(self):
        self.wizards = []

    def tearDown(self):
        for w in self.wizards:
            w.kill()

    # ---- helpers ----

    def machine(self, name):
        """A fresh prefix with the fonts and the default printer's key; discarded after the test."""
        wine = winetest.Wine(winetest.fresh_prefix(ARGS.work, ARGS.winearch, name), ARGS.winearch)
        self.addCleanup(wine.discard)
        wizard.prepare_prefix(wine)
        wine.reg_add(wizard.DEFAULT_PRINTER_KEY)
        return wine

    def probe(self, wine, name, exe=None):
        w = wizard.Wizard(wine, exe or ARGS.probe, self.display, SHOTS,
                          probe_file=None if exe else self.work / f"{name}.jsonl")
        self.wizards.append(w)
        return w

    def to_select_port(self, w, cwd=PACKAGE, change_detail=None):
        """Starts the wizard in `cwd` and goes on to the Select Port page; returns
        the Detail Setting and Select Port snapshots."""
        w.start(cwd=cwd)
        w.click(w.wait_dialog(SELECT_OS), ID["IDC_INSTALL_DRIVER"])
        detail = w.wait_dialog(DETAIL)
        if change_detail:
            detail = change_detail(w, detail)
        w.click(detail, ID["IDC_NEXT"])
        return detail, w.wait_dialog(SELECT_PORT)

    def install_and_close(self, w, page, shot=None):
        """"&Install", then OK on the closing message; returns the message record."""
        w.click(page, ID["IDC_INSTALL"])
        box = w.wait_record(lambda r: r["event"] == "messagebox", timeout=60, what="the closing message")
        w.focus(f"^{re.escape(self.box)}$")
        if shot:
            w.screenshot(shot)
        w.key("Return")
        self.assertEqual(w.wait_exit(), 0)
        return box

    def check(self, wine):
        r = wine.run([ARGS.checker, ENVIRONMENT], check=True)
        return json.loads(r.stdout)

    def model_name(self, wine, row):
        r = wine.run([PACKAGE / ARGS.tqinstall, "models", "--json"], check=True)
        return json.loads(r.stdout)[row]["displayName"]

    def assert_installed(self, wine, state, model, port):
        printers = [(p["pPrinterName"], p["pPortName"], p["pDriverName"]) for p in state["printers"]]
        self.assertEqual(printers, [(model, port, model)])
        drivers = [d for d in state["drivers"] if d["pName"] == model]
        self.assertEqual(len(drivers), 1, state["drivers"])
        driver = drivers[0]
        files = [driver[k] for k in ("pDriverPath", "pDataFile", "pConfigFile", "pHelpFile")]
        files += driver["pDependentFiles"]
        for path in files:
            self.assertTrue(path.lower().startswith(f"c:\\windows\\system32\\spool\\drivers\\{DRIVER_DIR}\\"), path)
            unix = wine.drive_c() / path[3:].replace("\\", "/")
            self.assertTrue(unix.exists() or any(p.name.lower() == unix.name.lower() for p in unix.parent.iterdir()),
                            f"{path} is not on the disk")
        return driver

    def ports_of(self, snapshot):
        return [(r["texts"][0], r["selected"]) for r in control(snapshot, ID["IDC_PORTS"])["rows"]]

    # ---- the whole job ----

    def test_whole_job_with_the_opening_choices(self):
        wine = self.machine("wizard-job")
        w = self.probe(wine, "job")
        _, page = self.to_select_port(w)
        w.screenshot("select-port")
        ports = control(page, ID["IDC_PORTS"])
        self.assertEqual([(c["text"], c["width"]) for c in ports["columns"]], [("Port", 150), ("Type", 280)])
        self.assertEqual(ports["extended_style"] & 0x29, 0x21)
        rows = [(r["texts"][0], r["texts"][1], r["selected"], r["focused"]) for r in ports["rows"]]
        self.assertIn(("LPT1:", "Local Port", True, False), rows, "LPT1: preselected, without the focus mark")
        self.assertEqual(sum(1 for r in rows if r[2]), 1)
        bar = control(page, ID["IDC_PROGRESS"])
        self.assertEqual((bar["pos"], bar["range"]), (0, [0, 100]))

        box = self.install_and_close(w, page, shot="completed")
        self.assertEqual(box["text"], "Completed!")
        # The progress bar as the Install command left it, read inside the process.
        done = [r for r in w.records() if r["event"] == "command" and r["template"] == SELECT_PORT
                and r["command"] == ID["IDC_INSTALL"]]
        self.assertEqual(len(done), 1)
        self.assertEqual(control(done[0], ID["IDC_PROGRESS"])["pos"], 100)

        state = self.check(wine)
        driver = self.assert_installed(wine, state, OPENING_MODEL, "LPT1:")
        self.assertTrue(driver["pDataFile"].endswith("\\TQA10cut.GPD"))
        self.assertEqual(state["defaultPrinter"], OPENING_MODEL)

    def test_shipped_exe_does_the_whole_job_by_keys(self):
        wine = self.machine("wizard-shipped-job")
        w = self.probe(wine, "shipped", exe=PACKAGE / pathlib.Path(ARGS.exe).name)
        w.start(cwd=PACKAGE)
        wizard.walk_whole_job(w, pathlib.Path(ARGS.exe).stem, {"closing-message": "shipped-completed"})
        self.assertEqual(w.wait_exit(), 0)
        state = self.check(wine)
        self.assert_installed(wine, state, OPENING_MODEL, "LPT1:")
        self.assertEqual(state["defaultPrinter"], OPENING_MODEL)

    def test_another_model_gives_its_driver_and_printer(self):
        wine = self.machine("wizard-model")
        model = self.model_name(wine, 18)

        def last_model(w, detail):
            w.focus("Detail Setting")
            w.key("End")  # the model list has the focus
            snap = w.wait_record(lambda r: r["event"] == "command" and r["command"] == ID["IDC_MODEL_LIST"])
            self.assertEqual(control(snap, ID["IDC_MODEL_LIST"])["selected"], 18)
            return snap

        w = self.probe(wine, "model")
        _, page = self.to_select_port(w, change_detail=last_model)
        self.assertEqual(self.install_and_close(w, page)["text"], "Completed!")
        self.assert_installed(wine, self.check(wine), model, "LPT1:")

    # ---- the port list ----

    def test_create_port_adds_a_port_to_install_on(self):
        wine = self.machine("wizard-create-port")
        w = self.probe(wine, "create-port")
        _, page = self.to_select_port(w)
        before = self.ports_of(page)
        w.click(page, ID["IDC_CREATE_PORT"])
        dlg = w.wait_dialog(CREATE_PORT)
        w.click_until_window(dlg, ID["IDC_NEW_PORT"], "Add a Local Port")
        w.xdotool("type", "--delay", "60", "TQNET1:")
        w.screenshot("select-port-add-local-port")
        w.key("Return")
        w.wait_window_gone("Add a Local Port")
        time.sleep(0.5)
        w.click(dlg, ID["IDC_CLOSE"])
        refilled = w.wait_record(lambda r: r["event"] == "command" and r["template"] == SELECT_PORT
                                 and r["command"] == ID["IDC_CREATE_PORT"], what="the refilled port list")
        ports = control(refilled, ID["IDC_PORTS"])
        self.assertEqual([c["text"] for c in ports["columns"]], ["Port", "Type"], "the columns once")
        names = [name for name, _ in self.ports_of(refilled)]
        self.assertEqual(names.count("TQNET1:"), 1)
        self.assertEqual(sorted(names), sorted([n for n, _ in before] + ["TQNET1:"]))
        self.assertEqual([n for n, sel in self.ports_of(refilled) if sel], ["LPT1:"], "the preferred row again")
        self.assertEqual(control(refilled, ID["IDC_PROGRESS"])["pos"], 0)

        row = next(r for r in ports["rows"] if r["texts"][0] == "TQNET1:")
        left, top, right, bottom = row["rect"]
        w.click_at((left + right) // 2, (top + bottom) // 2)
        snap = w.snapshot(SELECT_PORT)
        self.assertEqual([n for n, sel in self.ports_of(snap) if sel], ["TQNET1:"])
        w.screenshot("select-port-new-port")
        self.assertEqual(self.install_and_close(w, page)["text"], "Completed!")
        self.assert_installed(wine, self.check(wine), OPENING_MODEL, "TQNET1:")

    def test_preferred_port_in_the_first_row_is_selected(self):
        # Without LPT ports Wine lists COM1: first: the preferred row is row 0.
        wine = self.machine("wizard-first-row")
        for port in ("LPT1:", "LPT2:", "LPT3:"):
            wine.run(["reg", "delete", PORTS_KEY, "/v", port, "/f"], check=True)
        w = self.probe(wine, "first-row")
        _, page = self.to_select_port(w)
        ports = self.ports_of(page)
        self.assertEqual(ports[0], ("COM1:", True), ports)
        self.assertEqual(sum(1 for _, sel in ports if sel), 1)
        w.focus("Select Port")
        w.key("Escape")
        w.click(w.wait_dialog(DETAIL, event="command"), ID["IDC_EXIT"])
        w.wait_exit()

    def test_enter_keeps_the_page_and_install_needs_a_port(self):
        wine = self.machine("wizard-no-port")
        w = self.probe(wine, "no-port")
        _, page = self.to_select_port(w)
        # Enter while the port list has the focus: the page stays, nothing is installed.
        w.focus("Select Port")
        self.assertEqual(w.snapshot(SELECT_PORT)["focus"], ID["IDC_PORTS"])
        w.key("Return")
        self.assertEqual(w.snapshot(SELECT_PORT)["template"], SELECT_PORT)
        # A click below the rows clears the selection; "&Install" then only asks for a port.
        left, top, right, bottom = control(page, ID["IDC_PORTS"])["rect"]
        w.click_at((left + right) // 2, bottom - 8)
        self.assertEqual([n for n, sel in self.ports_of(w.snapshot(SELECT_PORT)) if sel], [])
        w.click(page, ID["IDC_INSTALL"])
        box = w.wait_record(lambda r: r["event"] == "messagebox")
        self.assertIn("choose the port", box["text"])
        w.focus(f"^{re.escape(self.box)}$")
        w.screenshot("select-port-no-port")
        w.key("Return")
        self.assertEqual(w.snapshot(SELECT_PORT)["template"], SELECT_PORT, "the page stays open")
        self.assertTrue(w.running())
        self.assertEqual(self.check(wine)["printers"], [])
        self.assertFalse([r for r in w.records() if r["event"] == "destroyed" and r["template"] == SELECT_PORT])
        w.focus("Select Port")
        w.key("Escape")
        w.click(w.wait_dialog(DETAIL, event="command"), ID["IDC_EXIT"])
        w.wait_exit()
        self.assertEqual(self.check(wine)["printers"], [])

    def test_port_with_a_non_ascii_name_is_listed_as_it_is_and_gets_the_printer(self):
        # The spooler's names are in the system's ANSI code page (1252 here), not 936.
        wine = self.machine("wizard-cp-port")
        name = "Caf\u00e9:"
        wine.run([ARGS.ports, "add", name], check=True)
        w = self.probe(wine, "cp-port")
        _, page = self.to_select_port(w)
        rows = control(page, ID["IDC_PORTS"])["rows"]
        row = next((r for r in rows if r["texts"][0] == name), None)
        self.assertIsNotNone(row, [r["texts"][0] for r in rows])
        self.assertEqual(row["texts"][1], "Local Port")
        left, top, right, bottom = row["rect"]
        w.click_at((left + right) // 2, (top + bottom) // 2)
        self.assertEqual([n for n, sel in self.ports_of(w.snapshot(SELECT_PORT)) if sel], [name])
        w.screenshot("select-port-non-ascii")
        self.assertEqual(self.install_and_close(w, page)["text"], "Completed!")
        port = wine.run([ARGS.ports, "port-of", OPENING_MODEL], check=True).stdout.decode("utf-8").strip()
        self.assertEqual(port, name)
        # tqinstall's JSON (UTF-8) gives the name as it is too.
        listed = wine.run([PACKAGE / ARGS.tqinstall, "ports", "--json"], check=True).stdout
        self.assertIn(name, [p["name"] for p in json.loads(listed)])
        self.assertEqual(self.check(wine)["defaultPrinter"], OPENING_MODEL)

    def test_existing_printer_on_another_port_ends_on_the_chosen_one(self):
        wine = self.machine("wizard-existing")
        r = wine.run([PACKAGE / ARGS.tqinstall, "install", "--json", "--port", "COM2:"], cwd=PACKAGE)
        self.assertEqual(r.returncode, 0, r.stdout)
        self.assertEqual([p["pPortName"] for p in self.check(wine)["printers"]], ["COM2:"])
        w = self.probe(wine, "existing")
        _, page = self.to_select_port(w)
        self.assertEqual([n for n, sel in self.ports_of(page) if sel], ["LPT1:"])
        self.assertEqual(self.install_and_close(w, page)["text"], "Completed!")
        device = wizard.DEFAULT_PRINTER_KEY + "\\Device"
        state = json.loads(wine.run([ARGS.checker, ENVIRONMENT, wizard.DEFAULT_PRINTER_KEY, "Device"],
                                    check=True).stdout)
        self.assert_installed(wine, state, OPENING_MODEL, "LPT1:")
        self.assertEqual(state["registry"][device], OPENING_MODEL + ",winspool,LPT1:")

    # ---- failures ----

    def test_missing_payload_file_is_named_instead_of_completed(self):
        wine = self.machine("wizard-missing-file")
        folder = self.work / "missing-file"
        shutil.rmtree(folder, ignore_errors=True)
        shutil.copytree(PACKAGE, folder)
        (folder / "Printer Driver" / ARCH / "TQA10cut.GPD").unlink()
        w = self.probe(wine, "missing-file")
        _, page = self.to_select_port(w, cwd=folder)
        box = self.install_and_close(w, page, shot="install-failed")
        self.assertNotIn("Completed!", box["text"])
        self.assertTrue(box["text"].startswith(FAILED), box["text"])
        self.assertIn(f'The file "Printer Driver\\{ARCH}\\TQA10cut.GPD" was not copied', box["text"])
        self.assertIn("(error 2)", box["text"])
        self.assertIn(f'"Printer Driver\\{ARCH}" holds every driver file', box["text"])
        self.assertEqual(sum(1 for r in w.records() if r["event"] == "messagebox"), 1, "one message")

    # ---- going back ----

    def test_cancel_and_back_return_to_the_same_detail_setting_page(self):
        wine = self.machine("wizard-back")

        def change(w, detail):
            w.focus("Detail Setting")
            w.key("Up")  # model row 0
            w.wait_record(lambda r: r["event"] == "command" and r["command"] == ID["IDC_MODEL_LIST"])
            w.click(detail, ID["IDC_SET_DEFAULT"])
            return w.wait_record(lambda r: r["event"] == "command" and r["command"] == ID["IDC_SET_DEFAULT"])

        w = self.probe(wine, "back")
        detail, page = self.to_select_port(w, change_detail=change)
        state = {i: (control(detail, i).get("selected"), control(detail, i).get("checked"), control(detail, i)["text"])
                 for i in (ID["IDC_MODEL_LIST"], ID["IDC_SET_DEFAULT"], ID["IDC_PRINTER_NAME"])}
        visits = [page["object"]]
        for way in ("cancel", "back", "esc", "close box"):
            with self.subTest(way=way):
                if way == "cancel":
                    w.click(page, ID["IDC_PORT_CANCEL"])
                elif way == "back":
                    w.click(page, ID["IDC_PORT_BACK"])
                elif way == "esc":
                    w.focus("Select Port")
                    w.key("Escape")
                else:
                    w.click_close_box(page)
                back = w.wait_record(lambda r: r["event"] == "command" and r["template"] == DETAIL
                                     and r["command"] == ID["IDC_NEXT"], what="the Detail Setting page again")
                self.assertEqual(back["hwnd"], detail["hwnd"], "the same page")
                self.assertEqual({i: (control(back, i).get("selected"), control(back, i).get("checked"),
                                      control(back, i)["text"]) for i in state}, state)
                w.click(detail, ID["IDC_NEXT"])
                page = w.wait_dialog(SELECT_PORT)
                visits.append(page["object"])
                # The page object of the visit before is released, not kept.
                destroyed = [r["object"] for r in w.records() if r["event"] == "destroyed"
                             and r["template"] == SELECT_PORT]
                self.assertEqual(len(destroyed), len(visits) - 1)
        # The last visit installs with the changed Detail Setting page: model row 0, no default printer.
        self.assertEqual(self.install_and_close(w, page)["text"], "Completed!")
        state = self.check(wine)
        self.assert_installed(wine, state, self.model_name(wine, 0), "LPT1:")
        self.assertIsNone(state["defaultPrinter"])


if __name__ == "__main__":
    wine_args.run()
