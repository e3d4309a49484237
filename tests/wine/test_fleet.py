"""tqinstall for fleets: check-package, status, install over an existing
printer, uninstall and --log, the real exe in fresh prefixes; what the machine
holds is read back with check_machine."""
import json
import pathlib
import shutil
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import winetest  # noqa: E402
from winetest import base_name, steps  # noqa: E402

ARGS = winetest.parse_args(["--package", "--tqinstall", "--checker", "--mover"])
PACKAGE = pathlib.Path(ARGS.package)
TQINSTALL = PACKAGE / ARGS.tqinstall
MOVER = ARGS.mover
WINEARCH, ARCH = winetest.native_arch(TQINSTALL)
ENV = winetest.ENVIRONMENT[ARCH]
DEVICE = winetest.DEVICE_KEY
A31, A10 = "TQ-A31 Series", "TQ-A10(No Cut) Series"  # rows 5 (with the plug-in pair) and 0 (without)
# Files only row 5 of these two lists: they go with it; the rest row 0 still uses.
A31_ONLY = {"tqa31.gpd", "tqplg.ini", "tqplg.dll"}
DOCS = pathlib.Path(__file__).resolve().parents[2] / "docs" / "deploying.md"


def names_in(folder):
    return {p.name.lower() for p in folder.iterdir()} if folder.is_dir() else set()


class Fleet(unittest.TestCase):
    def machine(self, name):
        return winetest.Machine(self, f"fleet-{name}", WINEARCH)

    def held(self, m):
        return m.check(ENV, DEVICE, "Device")

    def model_status(self, m, row):
        code, status = m.tqinstall_json("status")
        self.assertEqual(code, 0, status)
        self.assertEqual(len(status["models"]), 19)
        return status, status["models"][row]

    def test_check_package_complete_and_with_files_removed(self):
        m = self.machine("check")
        code, check = m.tqinstall_json("check-package")
        self.assertEqual(code, 0, check)
        self.assertTrue(check["complete"])
        self.assertEqual([f["folder"] for f in check["folders"]],
                         ["Printer Driver\\x86\\", "Printer Driver\\x64\\", "USB Driver\\x86\\", "USB Driver\\x64\\"])
        self.assertTrue(all(f["missing"] == [] for f in check["folders"]))

        broken = pathlib.Path(ARGS.work) / f"package-broken-{WINEARCH}"
        if broken.exists():
            shutil.rmtree(broken)
        shutil.copytree(PACKAGE, broken)
        self.addCleanup(shutil.rmtree, broken, ignore_errors=True)
        (broken / "Printer Driver" / "x64" / "R5xK.GPD").unlink()
        (broken / "Printer Driver" / "x86" / "uniDRV.DLL").unlink()
        (broken / "USB Driver" / "x86" / "dpinstx86.exe").unlink()
        r = m.wine.run([TQINSTALL, "check-package", "--package", m.wine.dos_path(broken), "--json"], cwd=ARGS.work)
        self.assertEqual(r.returncode, 1, r.stdout)
        missing = {f["folder"]: f["missing"] for f in json.loads(r.stdout)["folders"]}
        self.assertEqual(missing, {"Printer Driver\\x86\\": ["uniDRV.DLL"], "Printer Driver\\x64\\": ["R5xK.GPD"],
                                   "USB Driver\\x86\\": ["dpinstx86.exe"], "USB Driver\\x64\\": []})
        text = m.wine.run([TQINSTALL, "check-package", "--package", m.wine.dos_path(broken)]).stdout.decode()
        self.assertIn("NOT complete: 3 files missing", text)
        # It changed nothing: the spooler holds no driver, no printer.
        self.assertEqual(self.held(m)["printers"], [])

    def test_status_before_and_after_an_install(self):
        m = self.machine("status")
        status, a31 = self.model_status(m, 5)
        self.assertTrue(all(not s["driverEnvironments"] and s["printer"] is None for s in status["models"]), status)
        self.assertIsNone(status["defaultPrinter"])
        self.assertIn("None of the 19 models is installed", m.wine.run([TQINSTALL, "status"]).stdout.decode())

        self.assertEqual(m.install("--model", "5", "--port", "LPT2:")[0], 0)
        status, a31 = self.model_status(m, 5)
        self.assertEqual(a31["model"], A31)
        self.assertEqual(a31["driverEnvironments"], [ENV])
        # Wine's spooler reports status 0 and no jobs for a printer that prints to a local port.
        self.assertEqual(a31["printer"], {"name": A31, "port": "LPT2:", "driver": A31, "state": "ready",
                                          "stateWords": ["ready"], "status": 0, "jobs": 0})
        self.assertIn("on LPT2: (default printer), ready, 0 jobs waiting", m.wine.run([TQINSTALL, "status"]).stdout.decode())
        self.assertTrue(a31["isDefault"])
        self.assertEqual(status["defaultPrinter"], A31)
        self.assertEqual(sum(bool(s["driverEnvironments"]) for s in status["models"]), 1)
        # What the spooler says, read independently.
        held = self.held(m)
        self.assertEqual(held["defaultPrinter"], A31)
        self.assertEqual([(p["pPrinterName"], p["pPortName"]) for p in held["printers"]], [(A31, "LPT2:")])

    def test_install_twice_leaves_the_machine_as_once(self):
        m = self.machine("twice")
        self.assertEqual(m.install("--model", "5", "--port", "LPT1:")[0], 0)
        once = (self.held(m), names_in(m.driver_dir(ARCH)), names_in(m.driver_dir(ARCH) / "3"))
        code, report = m.install("--model", "5", "--port", "LPT1:")
        self.assertEqual(code, 0, report)
        self.assertEqual(steps(report, "printerPort")[0]["outcome"], "succeeded")
        twice = (self.held(m), names_in(m.driver_dir(ARCH)), names_in(m.driver_dir(ARCH) / "3"))
        self.assertEqual(once, twice)

    def test_install_on_another_port_moves_the_printer(self):
        m = self.machine("move")
        self.assertEqual(m.install("--model", "5", "--port", "LPT1:")[0], 0)
        code, report = m.install("--model", "5", "--port", "COM2:")
        self.assertEqual(code, 0, report)
        # Windows keeps the printer at AddPrinterA and tqinstall moves it (moved);
        # Wine's AddPrinterA puts it on the new port itself (succeeded).
        step = steps(report, "printerPort")[0]
        self.assertIn(step["outcome"], ["moved", "succeeded"], step)
        self.assertEqual(step["target"], "COM2:")
        held = self.held(m)
        self.assertEqual([(p["pPrinterName"], p["pPortName"]) for p in held["printers"]], [(A31, "COM2:")])
        self.assertEqual(held["registry"][DEVICE + "\\Device"], A31 + ",winspool,COM2:")
        self.assertEqual(self.model_status(m, 5)[1]["printer"]["port"], "COM2:")

    @unittest.skipUnless(MOVER, "needs --mover")
    def test_existing_printer_is_moved_with_set_printer(self):
        m = self.machine("setprinter")
        self.assertEqual(m.install("--model", "5", "--port", "LPT1:")[0], 0)
        r = m.wine.run([MOVER, A31, "COM3:"], check=True)
        self.assertEqual(json.loads(r.stdout), {"outcome": "moved", "detail": "LPT1:", "error": 0})
        held = self.held(m)
        self.assertEqual([(p["pPrinterName"], p["pPortName"], p["pDriverName"]) for p in held["printers"]],
                         [(A31, "COM3:", A31)])
        r = m.wine.run([MOVER, A31, "com3:"], check=True)
        self.assertEqual(json.loads(r.stdout)["outcome"], "succeeded")
        r = m.wine.run([MOVER, "No Such Printer", "COM3:"])
        self.assertEqual(r.returncode, 1)
        self.assertEqual(json.loads(r.stdout)["outcome"], "failed")

    def test_uninstall_leaves_nothing_of_the_model_and_the_other_models_files(self):
        m = self.machine("uninstall")
        log = pathlib.Path(ARGS.work) / f"fleet-{WINEARCH}-uninstall.log"
        log.unlink(missing_ok=True)
        self.assertEqual(m.install("--model", "0", "--port", "LPT2:", "--no-default")[0], 0)
        code, installed = m.install("--model", "5", "--port", "LPT1:", "--log", m.wine.dos_path(log))
        self.assertEqual(code, 0, installed)
        self.assertEqual(self.held(m)["defaultPrinter"], A31)

        code, report = m.tqinstall_json("uninstall", "--model", A31, "--log", m.wine.dos_path(log))
        self.assertEqual(code, 0, report)
        self.assertTrue(report["succeeded"])
        self.assertEqual(steps(report, "deletePrinter")[0]["outcome"], "succeeded")
        self.assertEqual(steps(report, "deleteDriver")[0]["outcome"], "succeeded")

        held = self.held(m)
        self.assertEqual([d["pName"] for d in held["drivers"]], [A10])
        self.assertEqual([p["pPrinterName"] for p in held["printers"]], [A10])
        device = held["registry"][DEVICE + "\\Device"]
        self.assertFalse(device and device.startswith(A31 + ","), device)
        for folder in (m.driver_dir(ARCH), m.driver_dir(ARCH) / "3"):
            with self.subTest(folder=folder.name):
                self.assertFalse(A31_ONLY & names_in(folder), names_in(folder))
        # Every file row 0's driver lists is still there.
        for path in [held["drivers"][0][k] for k in ("pDriverPath", "pDataFile", "pConfigFile", "pHelpFile")] + \
                held["drivers"][0]["pDependentFiles"]:
            self.assertIn(base_name(path).lower(), names_in(m.driver_dir(ARCH) / "3"), path)
        kept = [s for s in steps(report, "removeFile") if s["outcome"] == "kept"]
        self.assertTrue(kept and all(s["detail"] == A10 for s in kept), report)

        # The log: one JSON line per run, saying what the reports said.
        lines = log.read_text().splitlines()
        self.assertEqual(len(lines), 2)
        entries = [json.loads(line) for line in lines]
        self.assertEqual([e["command"] for e in entries], ["install", "uninstall"])
        for entry, rep in zip(entries, [installed, report]):
            self.assertEqual(entry["exitStatus"], 0)
            self.assertTrue(entry["succeeded"])
            self.assertRegex(entry["time"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$")
            self.assertEqual([(s["step"], s["subject"], s["outcome"]) for s in entry["steps"]],
                             [(s["step"], s["subject"], s["outcome"]) for s in rep["steps"]])
        self.assertEqual(entries[0]["choices"]["model"], A31)
        self.assertEqual(entries[0]["choices"]["port"], "LPT1:")
        self.assertEqual(entries[1]["choices"]["model"], A31)

    def test_uninstall_of_what_is_not_there_succeeds_and_says_so(self):
        m = self.machine("absent")
        r = m.wine.run([TQINSTALL, "uninstall", "--model", "5"], cwd=PACKAGE)
        self.assertEqual(r.returncode, 0, r.stdout)
        self.assertIn(f'"{A31}" was not installed; nothing was removed.', r.stdout.decode())
        code, report = m.tqinstall_json("uninstall", "--model", "5")
        self.assertEqual(code, 0)
        self.assertEqual({s["outcome"] for s in report["steps"]}, {"notThere"}, report)

    def test_bad_log_file_stops_before_anything_is_done(self):
        m = self.machine("badlog")
        r = m.wine.run([TQINSTALL, "install", "--model", "5", "--log", "C:\\no\\such\\folder\\tq.log"], cwd=PACKAGE)
        self.assertEqual(r.returncode, 2)
        self.assertIn("--log", r.stderr.decode())
        self.assertEqual(self.held(m)["drivers"], [])

    def test_the_five_line_script_of_the_deployment_page(self):
        text = DOCS.read_text()
        block = text.split("<!-- five-line script -->", 1)[1].split("```", 2)[1]
        lines = [line for line in block.splitlines()[1:] if line.strip()]
        self.assertEqual(len(lines), 5, lines)
        m = self.machine("script")
        exe = TQINSTALL.name
        results = []
        for line in lines:
            r = m.wine.run(["cmd", "/c", line.replace("tqinstall.exe", exe, 1)], cwd=PACKAGE)
            results.append((r.returncode, r.stdout.decode(errors="replace")))
        self.assertEqual([code for code, _ in results], [0, 0, 0, 0, 0], results)
        check, install, status, uninstall, after = [out for _, out in results]
        self.assertIn("The package is complete.", check)
        self.assertIn("Every step succeeded.", install)
        self.assertRegex(status, r"5\tTQ-A31 Series\tdriver: " + ENV + r"\tprinter: on LPT1: \(default printer\)")
        self.assertIn(f'Delete printer "{A31}": done', uninstall)
        self.assertIn("None of the 19 models is installed.", after)
        self.assertEqual(self.held(m)["printers"], [])


if __name__ == "__main__":
    winetest.main()
