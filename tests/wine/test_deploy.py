"""Deployment under Wine: TQPrinterDrivers.msi through Wine's msiexec in a
32-bit prefix (install with properties, the detection rule, removal, a
failing install, an upgrade), tqinstall apply and its fleet-file checks, a
second identical run, the machine-wide lock, and a package folder whose name
lies outside the ANSI code page (1252 here)."""
import json
import pathlib
import shlex
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import winetest  # noqa: E402

ARGS = winetest.parse_args(["--package", "--tqinstall", "--checker", "--msi", "--version", "--build-msi",
                            "--holder"])
PACKAGE = pathlib.Path(ARGS.package)
TQINSTALL = PACKAGE / ARGS.tqinstall
MSI = pathlib.Path(ARGS.msi)
ENV = "Windows NT x86"
DEVICE = winetest.DEVICE_KEY
A31, A10 = "TQ-A31 Series", "TQ-A10(No Cut) Series"  # rows 5 and 0
ACTIVE_SETUP = "HKLM\\Software\\Microsoft\\Active Setup\\Installed Components\\TQPrinterDrivers"
UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
INSTALLED = "C:\\Program Files\\TQ Printer Drivers\\tqinstall.exe"
DOCS = pathlib.Path(__file__).resolve().parents[2] / "docs" / "deploying.md"


def product_code(msi):
    out = subprocess.run(["msiinfo", "export", str(msi), "Property"], check=True, capture_output=True, text=True)
    for line in out.stdout.splitlines():
        name, _, value = line.partition("\t")
        if name == "ProductCode":
            return value
    raise AssertionError(f"{msi} has no ProductCode")


def higher_version(version):
    major, minor, patch = (version.split(".") + ["0", "0"])[:3]
    return f"{major}.{minor}.{int(patch) + 1}"


class Deploy(unittest.TestCase):
    def machine(self, name):
        return winetest.Machine(self, f"deploy-{name}", arch="win32")

    def msiexec(self, m, *args):
        # The MSI is given by its Windows path; msiexec's own log goes beside it.
        r = m.wine.run(["msiexec", *args, "/qn"], cwd=ARGS.work, timeout=300)
        return r.returncode

    def tq(self, m, *args, cwd=PACKAGE, exe=TQINSTALL):
        return m.wine.run([exe, *args], cwd=cwd)

    def held(self, m, *registry):
        return m.check(ENV, *registry)

    def printers(self, m):
        return {p["pPrinterName"]: p["pPortName"] for p in self.held(m)["printers"]}

    def detect(self, m, model):
        r = self.tq(m, "status", "--model", str(model), "--detect")
        return r.returncode, r.stdout.decode().replace("\r\n", "\n")

    def log_lines(self, m):
        log = m.wine.drive_c() / "ProgramData" / "TQ Printer Drivers" / "tqinstall.log"
        return [json.loads(line) for line in log.read_text().splitlines()] if log.exists() else []

    def program_files(self, m):
        return m.wine.drive_c() / "Program Files" / "TQ Printer Drivers"

    # ---- the MSI ----------------------------------------------------------

    def test_msi_installs_detects_and_removes_only_what_it_made(self):
        m = self.machine("msi")
        # A printer installed before, by hand: the MSI's removal leaves it.
        self.assertEqual(self.tq(m, "install", "--model", "0", "--port", "LPT1:", "--no-default").returncode, 0)

        code = self.msiexec(m, "/i", m.wine.dos_path(MSI), "MODEL=5", "PORT=LPT2:")
        self.assertEqual(code, 0)
        self.assertTrue((self.program_files(m) / "tqinstall.exe").is_file())
        self.assertTrue((self.program_files(m) / "Printer Driver" / "x64" / "TQA31.GPD").is_file())
        self.assertTrue((self.program_files(m) / "USB Driver" / "x86" / "dpinstx86.exe").is_file())
        self.assertEqual(self.printers(m), {A10: "LPT1:", A31: "LPT2:"})

        # The custom action ran tqinstall from Program Files with the JSON log.
        (line,) = [l for l in self.log_lines(m) if l["command"] == "install"]
        self.assertEqual((line["choices"]["model"], line["choices"]["port"], line["exitStatus"]), (A31, "LPT2:", 0))

        code, out = self.detect(m, 5)
        self.assertEqual(code, 0)
        self.assertEqual(out, f'{A31}: driver registered for {ENV}, printer "{A31}" on LPT2:\n')
        code, out = self.detect(m, "TQ-A20(Cut) Series")
        self.assertEqual((code, out), (1, ""))

        # Apps & Features, and the per-user default printer through Active Setup.
        arp = f"{UNINSTALL}\\{product_code(MSI)}"
        held = self.held(m, arp, "DisplayName", arp, "Publisher", arp, "DisplayVersion", ACTIVE_SETUP, "StubPath")
        reg = held["registry"]
        self.assertEqual(reg[arp + "\\DisplayName"], "TQ Printer Drivers")
        self.assertEqual(reg[arp + "\\Publisher"], "TQ Printer")
        self.assertEqual(reg[arp + "\\DisplayVersion"], ".".join(ARGS.version.split(".")[:3]))
        stub = reg[ACTIVE_SETUP + "\\StubPath"]
        self.assertEqual(stub, f'"{INSTALLED}" set-default --model "5"')
        # What Windows runs at a user's next logon.
        r = m.wine.run([INSTALLED, "set-default", "--model", "5"])
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.held(m, DEVICE, "Device")["registry"][DEVICE + "\\Device"], A31 + ",winspool,LPT2:")

        code = self.msiexec(m, "/x", m.wine.dos_path(MSI))
        self.assertEqual(code, 0)
        self.assertFalse(self.program_files(m).exists())
        held = self.held(m, arp, "DisplayName", ACTIVE_SETUP, "StubPath")
        self.assertEqual([(p["pPrinterName"], p["pPortName"]) for p in held["printers"]], [(A10, "LPT1:")])
        self.assertEqual([d["pName"] for d in held["drivers"]], [A10])
        self.assertIsNone(held["registry"][arp + "\\DisplayName"])
        self.assertIsNone(held["registry"][ACTIVE_SETUP + "\\StubPath"])
        # The model's own files went; those the remaining driver uses stayed.
        left = {p.name.lower() for p in m.driver_dir("x86").iterdir()}
        self.assertNotIn("tqa31.gpd", left)
        self.assertIn("tqa10nocut.gpd", left)
        self.assertEqual(self.detect(m, 5), (1, ""))

    def test_failing_install_rolls_back(self):
        m = self.machine("msi-fail")
        code = self.msiexec(m, "/i", m.wine.dos_path(MSI), "MODEL=99")
        # Wine's msiexec says 1627 (Windows: 1603); the shell sees it modulo 256.
        self.assertNotEqual(code, 0)
        self.assertFalse(self.program_files(m).exists())
        self.assertEqual(self.printers(m), {})
        arp = f"{UNINSTALL}\\{product_code(MSI)}"
        held = self.held(m, arp, "DisplayName", ACTIVE_SETUP, "StubPath")
        self.assertIsNone(held["registry"][arp + "\\DisplayName"])
        self.assertIsNone(held["registry"][ACTIVE_SETUP + "\\StubPath"])

    def test_upgrade_keeps_the_printer(self):
        newer = pathlib.Path(ARGS.work) / "TQPrinterDrivers-newer.msi"
        subprocess.run([ARGS.build_msi, str(PACKAGE), str(newer), higher_version(ARGS.version)], check=True,
                       capture_output=True)
        self.addCleanup(newer.unlink)
        m = self.machine("msi-upgrade")
        # DEFAULT=0: neither the default printer nor the per-user step.
        self.assertEqual(self.msiexec(m, "/i", m.wine.dos_path(MSI), "MODEL=5", "PORT=LPT2:", "DEFAULT=0"), 0)
        reg = self.held(m, DEVICE, "Device", ACTIVE_SETUP, "StubPath")["registry"]
        self.assertEqual((reg[DEVICE + "\\Device"], reg[ACTIVE_SETUP + "\\StubPath"]), (None, None))
        self.assertEqual(self.msiexec(m, "/i", m.wine.dos_path(newer), "MODEL=5", "PORT=LPT2:", "DEFAULT=0"), 0)

        self.assertEqual(self.printers(m), {A31: "LPT2:"})
        self.assertEqual(self.detect(m, 5)[0], 0)
        old, new = (f"{UNINSTALL}\\{product_code(p)}" for p in (MSI, newer))
        reg = self.held(m, old, "DisplayVersion", new, "DisplayVersion")["registry"]
        self.assertIsNone(reg[old + "\\DisplayVersion"])
        self.assertEqual(reg[new + "\\DisplayVersion"], higher_version(ARGS.version))
        # On Windows the older version's removal runs with UPGRADINGPRODUCTCODE
        # set and leaves the printers alone. Wine's msiexec removes the older
        # version without that property, so there the printer is uninstalled
        # and the newer version's install makes it again: the log tells which.
        commands = [l["command"] for l in self.log_lines(m)]
        self.assertIn(commands, (["install", "install"], ["install", "uninstall", "install"]))

        # The newer one's removal takes the printer the older one made.
        self.assertEqual(self.msiexec(m, "/x", m.wine.dos_path(newer)), 0)
        self.assertEqual(self.printers(m), {})
        self.assertFalse(self.program_files(m).exists())

    def test_msi_with_a_fleet_file(self):
        m = self.machine("msi-fleet")
        fleet = pathlib.Path(ARGS.work) / "deploy-msi-fleet.json"
        fleet.write_text(json.dumps({"printers": [{"model": 5, "port": "LPT2:", "default": True},
                                                  {"model": A10, "port": "LPT3:"}]}))
        self.addCleanup(fleet.unlink)
        self.assertEqual(self.msiexec(m, "/i", m.wine.dos_path(MSI), "FLEETFILE=" + m.wine.dos_path(fleet)), 0)
        self.assertEqual(self.printers(m), {A31: "LPT2:", A10: "LPT3:"})
        (line,) = self.log_lines(m)
        self.assertEqual((line["command"], line["exitStatus"], line["changed"]), ("apply", 0, True))
        reg = self.held(m, DEVICE, "Device", ACTIVE_SETUP, "StubPath")["registry"]
        self.assertEqual(reg[DEVICE + "\\Device"], A31 + ",winspool,LPT2:")
        self.assertIsNone(reg[ACTIVE_SETUP + "\\StubPath"])  # the fleet file says which is the default

        self.assertEqual(self.msiexec(m, "/x", m.wine.dos_path(MSI)), 0)
        self.assertEqual(self.printers(m), {})

    def test_the_remote_shell_lines_of_the_docs(self):
        text = DOCS.read_text(encoding="utf-8")
        block = text.split("<!-- remote shell -->", 1)[1].split("```", 2)[1]
        lines = [l for l in block.splitlines()[1:] if l.strip()]
        m = self.machine("docs")
        statuses = []
        for line in lines:
            args = [a.strip('"') for a in shlex.split(line, posix=False)]
            # Run where the MSI is, as the page says.
            statuses.append(m.wine.run(args, cwd=MSI.parent, timeout=300).returncode)
            if args[0] == "msiexec" and "/i" in args:
                self.assertEqual(self.printers(m), {A31: "LPT2:"})
        self.assertEqual(statuses, [0, 0, 0])
        self.assertEqual(self.printers(m), {})

    # ---- apply ------------------------------------------------------------

    def write_fleet(self, m, name, content):
        path = m.wine.prefix.parent / f"{m.wine.prefix.name}-{name}"
        path.write_text(content if isinstance(content, str) else json.dumps(content), encoding="utf-8")
        self.addCleanup(path.unlink)
        return path

    def test_apply_installs_the_fleet_and_refuses_a_bad_file_whole(self):
        m = self.machine("apply")
        log = m.wine.prefix.parent / f"{m.wine.prefix.name}.log"
        self.addCleanup(log.unlink, missing_ok=True)
        bad = [
            ("not JSON", '{"printers": [', ""),
            ("unknown key", {"printers": [{"model": 5, "colour": "red"}]}, "printers[0].colour"),
            ("unknown model", {"printers": [{"model": 5}, {"model": "TQ-Z99"}]}, "printers[1].model"),
            ("bad value", {"printers": [{"model": 5, "baud": 1234}]}, "printers[0].baud"),
            ("two defaults", {"printers": [{"model": 5, "default": True}, {"model": 0, "default": True}]},
             "printers[1].default"),
        ]
        for name, content, place in bad:
            with self.subTest(name):
                fleet = self.write_fleet(m, name.replace(" ", "-") + ".json", content)
                r = self.tq(m, "apply", m.wine.dos_path(fleet), "--log", m.wine.dos_path(log))
                self.assertEqual(r.returncode, 2, r.stderr)
                self.assertIn(place + ":" if place else "not valid JSON", r.stderr.decode())
                self.assertEqual(r.stdout, b"")
        self.assertEqual(self.printers(m), {})
        self.assertFalse(log.exists() and log.read_text(), "nothing was logged")

        fleet = self.write_fleet(m, "good.json", {"printers": [
            {"model": 5, "port": "LPT1:", "default": True, "testPrint": False},
            {"model": A10, "port": "LPT2:", "serialPort": "COM2", "baud": 9600}]})
        r = self.tq(m, "apply", m.wine.dos_path(fleet), "--json", "--log", m.wine.dos_path(log))
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        report = json.loads(r.stdout)
        self.assertEqual([p["choices"]["model"] for p in report["printers"]], [A31, A10])
        held = self.held(m, DEVICE, "Device", winetest.PORTS_KEY, "COM2:")
        self.assertEqual(self.printers(m), {A31: "LPT1:", A10: "LPT2:"})
        self.assertEqual(held["registry"][DEVICE + "\\Device"], A31 + ",winspool,LPT1:")
        self.assertEqual(held["registry"][winetest.PORTS_KEY + "\\COM2:"], "9600,N,8,1,p")
        self.assertTrue(report["changed"])
        (line,) = [json.loads(l) for l in log.read_text().splitlines()]
        self.assertEqual((line["command"], line["exitStatus"], len(line["printers"])), ("apply", 0, 2))

        # The same file again: every step of every printer unchanged, in the
        # report and in the log line.
        r = self.tq(m, "apply", m.wine.dos_path(fleet), "--json", "--log", m.wine.dos_path(log))
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        again = json.loads(r.stdout)
        line = json.loads(log.read_text().splitlines()[-1])
        for run in (again, line):
            self.assertIs(run["changed"], False)
            for printer in run["printers"]:
                self.assertIs(printer["changed"], False)
                self.assertEqual([s for s in printer["steps"] if s["changed"] is not False], [])
        self.assertEqual(self.printers(m), {A31: "LPT1:", A10: "LPT2:"})

    def test_a_second_identical_install_changes_nothing_and_says_so(self):
        m = self.machine("twice")
        code, first = m.install("--model", "5", "--port", "LPT2:", "--serial-port", "COM2")
        self.assertEqual(code, 0, first)
        self.assertIs(first["changed"], True)
        changed = {s["step"] for s in first["steps"] if s["changed"]}
        self.assertEqual(changed, {"copyFile", "registerDriver", "createPrinter", "defaultPrinter", "portSettings"})

        code, second = m.install("--model", "5", "--port", "LPT2:", "--serial-port", "COM2")
        self.assertEqual(code, 0, second)
        self.assertIs(second["changed"], False)
        self.assertEqual([(s["step"], s["subject"]) for s in second["steps"] if s["changed"]], [])
        r = self.tq(m, "install", "--model", "5", "--port", "LPT2:", "--serial-port", "COM2")
        text = r.stdout.decode()
        self.assertIn("TQA31.GPD: unchanged", text)
        self.assertIn("Every step succeeded; nothing changed.", text)

        # A file whose bytes differ is copied again, and the driver with it.
        gpd = m.driver_dir("x86") / "TQA31.GPD"
        gpd.write_bytes(b"an older file")
        code, third = m.install("--model", "5", "--port", "LPT2:", "--serial-port", "COM2")
        self.assertEqual({(s["step"], s["subject"]) for s in third["steps"] if s["changed"]},
                         {("copyFile", "TQA31.GPD"), ("registerDriver", A31)})

    # ---- the lock -----------------------------------------------------------

    def test_a_second_run_waits_for_the_lock_then_gives_up_with_1618(self):
        m = self.machine("lock")
        marker = pathlib.Path(ARGS.work) / "deploy-lock-held"
        marker.unlink(missing_ok=True)
        self.addCleanup(marker.unlink, missing_ok=True)
        env = m.wine.env()
        holder_out = pathlib.Path(ARGS.work) / "deploy-lock-holder.out"
        self.addCleanup(holder_out.unlink, missing_ok=True)
        out = open(holder_out, "wb")
        self.addCleanup(out.close)
        holder = subprocess.Popen(["wine", ARGS.holder, m.wine.dos_path(marker), "8"], env=env,
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=out)
        self.addCleanup(holder.wait, 60)
        deadline = time.monotonic() + 60
        while not marker.exists():
            self.assertLess(time.monotonic(), deadline, "the holder never took the lock")
            self.assertIsNone(holder.poll(), "the holder ended without taking the lock")
            time.sleep(0.1)

        started = time.monotonic()
        r = self.tq(m, "install", "--model", "5", "--wait", "1")
        # 1618, as the shell sees a Windows exit status: modulo 256.
        self.assertEqual(r.returncode, 1618 % 256, r.stderr)
        self.assertGreaterEqual(time.monotonic() - started, 1.0)
        self.assertIn("still held its lock after 1 s", r.stderr.decode())
        self.assertEqual(self.printers(m), {})

        # With a longer wait it runs once the holder is gone.
        r = self.tq(m, "install", "--model", "5", "--wait", "60")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(holder.poll(), 0)

    # ---- a package folder outside the code page ---------------------------------

    def test_package_log_and_fleet_file_named_in_chinese(self):
        m = self.machine("unicode")
        folder = pathlib.Path(ARGS.work) / "打印机驱动程序"
        if folder.exists():
            shutil.rmtree(folder)
        shutil.copytree(PACKAGE / "Printer Driver", folder / "Printer Driver")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        log = folder / "日志.log"
        fleet = folder / "车队.json"
        fleet.write_text(json.dumps({"printers": [{"model": 0, "port": "LPT2:"}]}), encoding="utf-8")

        r = self.tq(m, "install", "--model", "5", "--package", m.wine.dos_path(folder), "--log",
                    m.wine.dos_path(log), "--json", cwd=ARGS.work)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        r = self.tq(m, "apply", m.wine.dos_path(fleet), "--package", m.wine.dos_path(folder), "--log",
                    m.wine.dos_path(log), cwd=ARGS.work)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertEqual(self.printers(m), {A31: "LPT1:", A10: "LPT2:"})
        self.assertEqual([json.loads(l)["command"] for l in log.read_text().splitlines()], ["install", "apply"])
        r = self.tq(m, "check-package", "--package", m.wine.dos_path(folder), "--json", cwd=ARGS.work)
        self.assertEqual(json.loads(r.stdout)["package"], m.wine.dos_path(folder))


if __name__ == "__main__":
    winetest.main()
