"""tqinstall test-print under Wine: printers on ports whose names are Unix
paths, where Wine's Local Port monitor writes each RAW job into that file, so
the bytes that arrive are the receipt the printer would get."""
import json
import pathlib
import shutil
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import winetest  # noqa: E402

ARGS = winetest.parse_args(["--package", "--tqinstall", "--ports"])
PACKAGE = pathlib.Path(ARGS.package)
TQINSTALL = PACKAGE / ARGS.tqinstall
IS64 = winetest.exe_is_64bit(TQINSTALL)
# The prefix where the exe runs natively (a 32-bit exe in a 64-bit prefix
# cannot create printers under Wine).
WINEARCH = "win64" if IS64 else "win32"
DEVICE_KEY = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows"

ESC, GS = b"\x1b", b"\x1d"
FEED = ESC + b"d\x04"
CUT = GS + b"V\x01"
ASCII = bytes(range(0x20, 0x7F))


def text_lines(receipt):
    """The receipt's text lines, the ESC/POS commands it uses taken out."""
    out, i = bytearray(), 0
    while i < len(receipt):
        c = receipt[i:i + 1]
        if c == ESC:
            i += {b"@": 2, b"p": 5}.get(receipt[i + 1:i + 2], 3)
        elif c == GS:
            i += 3
        else:
            out += c
            i += 1
    return out.decode("ascii").split("\n")[:-1]


class TestPrint(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prefix = winetest.fresh_prefix(ARGS.work, WINEARCH, f"test-print-{WINEARCH}")
        cls.wine = winetest.Wine(prefix, WINEARCH)
        cls.wine.reg_add(DEVICE_KEY)
        cls.ports = pathlib.Path(ARGS.work) / f"test-print-ports-{WINEARCH}"
        if cls.ports.exists():
            shutil.rmtree(cls.ports)
        cls.ports.mkdir(parents=True)
        cls.p58 = str(cls.ports / "tq-p30.bin")
        cls.p80 = str(cls.ports / "tq-a10cut.bin")
        cls.p58k = str(cls.ports / "r-5xk.bin")
        # A port whose folder does not exist: a printer whose device is gone.
        cls.gone = str(cls.ports / "unplugged" / "gone.bin")
        cls.wine.run([ARGS.ports, "add", cls.p58, cls.p80, cls.p58k, cls.gone], check=True)
        for row, port in (("7", cls.p58), ("1", cls.p80), ("3", cls.gone)):
            r = cls.tqinstall("install", "--model", row, "--port", port, "--no-default")
            assert r.returncode == 0, (row, r.stdout, r.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.wine.discard()
        shutil.rmtree(cls.ports, ignore_errors=True)

    @classmethod
    def tqinstall(cls, *args):
        return cls.wine.run([TQINSTALL, *args], cwd=PACKAGE)

    def print_receipt(self, *args):
        r = self.tqinstall("test-print", "--json", *args)
        try:
            return r.returncode, json.loads(r.stdout)
        except json.JSONDecodeError:
            raise AssertionError(f"no JSON report (exit {r.returncode}): {r.stdout!r} {r.stderr!r}")

    def assert_receipt(self, data, columns, model, port):
        # Kept in the build tree for people to look at.
        kept = pathlib.Path(ARGS.build) / "test-print-receipts"
        kept.mkdir(exist_ok=True)
        (kept / f"{self.id().rsplit('.', 1)[-1]}.bin").write_bytes(data)
        self.assertEqual(data[:2], ESC + b"@")
        lines = text_lines(data)
        self.assertTrue(all(len(line) <= columns for line in lines), lines)
        self.assertIn("1234567890" * (columns // 10) + "1234567890"[:columns % 10], lines, "the ruler")
        text = "".join(line[10:] if line.startswith(" " * 10) else line for line in lines)
        for fact in (model, port, "tqinstall 7.0.0.0"):
            self.assertIn(fact, text)
        self.assertIn(ASCII.decode(), "".join(lines))

    def test_58mm_model_without_cutter(self):
        code, report = self.print_receipt("--model", "7")
        self.assertEqual(code, 0, report)
        self.assertEqual((report["outcome"], report["port"], report["columns"]), ("printed", self.p58, 32))
        data = pathlib.Path(self.p58).read_bytes()
        self.assertEqual(len(data), report["bytes"])
        self.assert_receipt(data, 32, "TQ-P30 Series", self.p58)
        self.assertTrue(data.endswith(b"=" * 32 + b"\n" + FEED), data[-40:])
        self.assertNotIn(GS + b"V", data)
        self.assertNotIn(ESC + b"p", data)

    def test_80mm_model_with_cutter_and_drawer_pin_5(self):
        code, report = self.print_receipt("--model", "TQ-A10(Cut) Series", "--drawer", "5")
        self.assertEqual(code, 0, report)
        data = pathlib.Path(self.p80).read_bytes()
        self.assert_receipt(data, 48, "TQ-A10(Cut) Series", self.p80)
        self.assertTrue(data.endswith(b"=" * 48 + b"\n" + ESC + b"p\x01\x19\xfa" + FEED + CUT), data[-40:])

    def test_no_cut_and_drawer_pin_2(self):
        code, report = self.print_receipt("--model", "1", "--no-cut", "--drawer", "2")
        self.assertEqual(code, 0, report)
        data = pathlib.Path(self.p80).read_bytes()
        self.assertTrue(data.endswith(ESC + b"p\x00\x19\xfa" + FEED), data[-40:])
        self.assertNotIn(GS + b"V", data)

    def test_printer_whose_device_is_gone_fails(self):
        code, report = self.print_receipt("--model", "3", "--timeout", "2")
        self.assertEqual(code, 1, report)
        # Wine's Local Port monitor cannot open the file, and EndDocPrinter says so.
        self.assertEqual((report["outcome"], report["failedCall"]), ("notSent", "EndDocPrinter"), report)
        self.assertFalse(report["succeeded"])
        self.assertIn("The receipt was not sent", report["words"])

    def test_no_such_printer_and_bad_arguments(self):
        code, report = self.print_receipt("--model", "9")
        self.assertEqual((code, report["outcome"]), (1, "noSuchPrinter"))
        self.assertIn("no printer named \"TQ-W10 Series\"", report["words"])
        for bad in (["--model", "19"], ["--model", "1", "--drawer", "3"], ["--model", "1", "--timeout", "-1"], []):
            with self.subTest(args=bad):
                self.assertEqual(self.tqinstall("test-print", *bad).returncode, 2)

    def test_text_report_and_log_line(self):
        log = self.ports / "runs.log"
        r = self.tqinstall("test-print", "--model", "7", "--log", self.wine.dos_path(log))
        self.assertEqual(r.returncode, 0, r.stdout)
        text = r.stdout.decode()
        self.assertIn("Printed: the job left the queue without an error.", text)
        self.assertIn("printer status: ready", text)
        line = json.loads(log.read_text().splitlines()[-1])
        self.assertEqual((line["command"], line["exitStatus"], line["succeeded"]), ("test-print", 0, True))
        self.assertEqual(line["steps"][0]["step"], "testPrint")
        self.assertEqual(line["steps"][0]["target"], self.p58)

    def test_install_with_test_print(self):
        log = self.ports / "install.log"
        r = self.tqinstall("install", "--json", "--model", "17", "--port", self.p58k, "--no-default", "--test-print",
                           "--drawer", "2", "--log", self.wine.dos_path(log))
        report = json.loads(r.stdout)
        self.assertEqual(r.returncode, 0, report)
        self.assertTrue(report["succeeded"])
        self.assertEqual(report["testPrint"]["outcome"], "printed")
        data = pathlib.Path(self.p58k).read_bytes()
        self.assert_receipt(data, 32, "R-5xK Series", self.p58k)
        self.assertTrue(data.endswith(ESC + b"p\x00\x19\xfa" + FEED), data[-40:])
        install, printed = [json.loads(x) for x in log.read_text().splitlines()]
        self.assertEqual((install["command"], printed["command"]), ("install", "test-print"))
        # The test print's line and step have the keys of the install's.
        self.assertEqual(printed.keys(), install.keys())
        self.assertEqual(printed["steps"][0].keys(), install["steps"][0].keys())
        self.assertEqual((printed["steps"][0]["outcome"], printed["steps"][0]["failed"]), ("printed", False))


if __name__ == "__main__":
    winetest.main()
