"""tqinstall install, ports and monitors: the real exe in fresh prefixes, each
install followed by a look at what the machine holds (check_machine)."""
import json
import pathlib
import shutil
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import winetest  # noqa: E402
from winetest import DEVICE_KEY, DRIVER_SUBDIR, ENVIRONMENT, PORTS_KEY, base_name, steps  # noqa: E402

ARGS = winetest.parse_args(["--package", "--tqinstall", "--checker"])
PACKAGE = pathlib.Path(ARGS.package)
TQINSTALL = PACKAGE / ARGS.tqinstall
# Model row 5: the plug-in pair is among its dependent files.
MODEL = "TQ-A31 Series"
COPIED = ["TQRND.DLL", "TQA31.GPD", "uniDRVui.DLL", "uniDRV.DLL", "UNIDRV.HLP", "UNIRES.DLL", "TTFSUB.GPD",
          "STDNAMES.GPD", "TQPLG.ini", "TQPLG.dll"]
DEPENDENTS = ["ttfsub.GPD", "unires.DLL", "stdnames.GPD", "TQPLG.ini", "TQPLG.dll", "TQRND.DLL"]


IS64 = winetest.exe_is_64bit(TQINSTALL)
NATIVE = winetest.native_arch(TQINSTALL)


class Install(unittest.TestCase):
    def assert_files_copied(self, machine, arch):
        for name in COPIED:
            with self.subTest(file=name):
                copied = machine.driver_dir(arch) / name
                self.assertTrue(copied.is_file(), copied)
                self.assertEqual(copied.read_bytes(), (PACKAGE / "Printer Driver" / arch / name).read_bytes())

    def assert_driver_registered(self, held, arch):
        drivers = [d for d in held["drivers"] if d["pName"] == MODEL]
        self.assertEqual(len(drivers), 1, held["drivers"])
        d = drivers[0]
        self.assertEqual(d["pEnvironment"], ENVIRONMENT[arch])
        self.assertEqual(base_name(d["pDriverPath"]), "uniDRV.DLL")
        self.assertEqual(base_name(d["pDataFile"]), "TQA31.GPD")
        self.assertEqual(base_name(d["pConfigFile"]), "uniDRVui.DLL")
        self.assertEqual(base_name(d["pHelpFile"]), "uniDRV.HLP")
        self.assertEqual([base_name(p) for p in d["pDependentFiles"]], DEPENDENTS)
        self.assertEqual(d["pMonitorName"], "")
        self.assertEqual(d["pDefaultDataType"], "RAW")
        # The spooler keeps its own copy of the files under the version folder.
        self.assertIn("\\" + DRIVER_SUBDIR[arch] + "\\3\\", d["pDriverPath"])

    def test_native_install_leaves_a_working_printer(self):
        winearch, arch = NATIVE
        m = winetest.Machine(self, "install-native", winearch)
        code, report = m.install("--model", "5", "--port", "LPT1:")
        self.assertEqual(code, 0, report)
        self.assertTrue(report["succeeded"])
        self.assertEqual(report["environment"], ENVIRONMENT[arch])
        self.assertEqual([s["outcome"] for s in steps(report, "copyFile")], ["succeeded"] * 10)
        self.assertTrue(all(isinstance(s["durationMs"], int) for s in report["steps"]))
        self.assert_files_copied(m, arch)

        held = m.check(ENVIRONMENT[arch], DEVICE_KEY, "Device")
        self.assert_driver_registered(held, arch)
        self.assertEqual(held["printers"], [{"pPrinterName": MODEL, "pPortName": "LPT1:", "pDriverName": MODEL,
                                             "pPrintProcessor": "WinPrint", "pDatatype": "RAW"}])
        self.assertEqual(held["registry"][DEVICE_KEY + "\\Device"], MODEL + ",winspool,LPT1:")
        self.assertEqual(held["defaultPrinter"], MODEL)

    def test_installing_twice_succeeds_both_times(self):
        winearch, arch = NATIVE
        m = winetest.Machine(self, "install-twice", winearch)
        self.assertEqual(m.install("--model", "5")[0], 0)
        code, report = m.install("--model", "5")
        self.assertEqual(code, 0, report)
        # Windows answers the second AddPrinterA with "already exists" (reported as
        # alreadyThere); Wine creates it again. Either way there is one printer.
        self.assertIn(steps(report, "createPrinter")[0]["outcome"], ["succeeded", "alreadyThere"])
        held = m.check(ENVIRONMENT[arch])
        self.assertEqual([p["pPrinterName"] for p in held["printers"]], [MODEL])

    def test_missing_gpd_fails_that_copy_alone(self):
        winearch, arch = NATIVE
        package = pathlib.Path(ARGS.work) / f"package-missing-gpd-{winearch}"
        if package.exists():
            shutil.rmtree(package)
        shutil.copytree(PACKAGE / "Printer Driver", package / "Printer Driver")
        (package / "Printer Driver" / arch / "TQA31.GPD").unlink()
        m = winetest.Machine(self, "install-missing-gpd", winearch)
        # Run from another folder: --package names where the driver files are.
        code, report = m.install("--model", "5", "--package", m.wine.dos_path(package), cwd=ARGS.work)
        self.assertEqual(code, 1, report)
        self.assertFalse(report["succeeded"])
        copies = steps(report, "copyFile")
        failed = [c for c in copies if c["failed"]]
        self.assertEqual([c["subject"] for c in failed], ["TQA31.GPD"])
        self.assertEqual(failed[0]["outcome"], "failed")
        self.assertEqual(failed[0]["error"], 2)  # ERROR_FILE_NOT_FOUND
        self.assertTrue(failed[0]["message"], "the system's message for the error")
        self.assertEqual(sum(c["outcome"] == "succeeded" for c in copies), 9)
        self.assertFalse((m.driver_dir(arch) / "TQA31.GPD").exists())

    def test_serial_port_com2_writes_the_line_settings(self):
        winearch, arch = NATIVE
        m = winetest.Machine(self, "install-com2", winearch)
        code, report = m.install("--model", "5", "--serial-port", "COM2", "--no-default")
        self.assertEqual(code, 0, report)
        self.assertEqual(steps(report, "portSettings")[0]["outcome"], "succeeded")
        self.assertEqual(steps(report, "defaultPrinter")[0]["outcome"], "notNeeded")
        held = m.check(ENVIRONMENT[arch], PORTS_KEY, "COM2:", DEVICE_KEY, "Device")
        self.assertEqual(held["registry"][PORTS_KEY + "\\COM2:"], "19200,N,8,1,p")
        self.assertIsNone(held["registry"][DEVICE_KEY + "\\Device"])

    @unittest.skipIf(IS64, "the WOW64 road is the 32-bit exe's")
    def test_32bit_exe_in_64bit_prefix_installs_for_x64(self):
        m = winetest.Machine(self, "install-wow64", "win64")
        code, report = m.install("--model", "5", "--port", "LPT1:")
        self.assertEqual(report["environment"], "Windows x64")
        self.assert_files_copied(m, "x64")
        self.assert_driver_registered(m.check("Windows x64"), "x64")
        # Wine looks the driver up in the 32-bit environment and refuses the
        # printer with error 87; the report and the exit status say so.
        create = steps(report, "createPrinter")[0]
        self.assertEqual((create["outcome"], create["error"]), ("failed", 87), report)
        self.assertFalse(report["succeeded"])
        self.assertEqual(code, 1)


class SpoolerLists(unittest.TestCase):
    def test_ports_and_monitors_of_a_fresh_machine(self):
        winearch, _ = NATIVE
        wine = winetest.Machine(self, "lists", winearch).wine
        r = wine.run([TQINSTALL, "ports", "--json"], check=True)
        ports = json.loads(r.stdout)
        self.assertEqual([p["name"] for p in ports],
                         ["COM1:", "COM2:", "COM3:", "COM4:", "FILE:", "LPT1:", "LPT2:", "LPT3:"])
        self.assertTrue(all(p["description"] == "Local Port" and p["monitor"] for p in ports), ports)
        r = wine.run([TQINSTALL, "monitors", "--json"], check=True)
        self.assertEqual(json.loads(r.stdout), ["Local Port"])
        text = wine.run([TQINSTALL, "ports"], check=True).stdout.decode().splitlines()
        self.assertEqual(text[0].split("\t")[0], "COM1:")


if __name__ == "__main__":
    winetest.main()
