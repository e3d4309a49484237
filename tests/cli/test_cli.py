"""tqinstall models and plan, run as a user runs them (under Wine for Windows builds)."""
import argparse
import json
import os
import pathlib
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "wine"))
from winetest import run_captured  # noqa: E402

parser = argparse.ArgumentParser(add_help=False)
parser.add_argument("--tqinstall", required=True)
parser.add_argument("--wineprefix")
parser.add_argument("--winearch")
ARGS, rest = parser.parse_known_args()
sys.argv[1:] = rest


def tqinstall(*args):
    cmd = [ARGS.tqinstall, *args]
    env = dict(os.environ)
    if ARGS.wineprefix:
        cmd = ["wine"] + cmd
        env.update(WINEPREFIX=ARGS.wineprefix, WINEARCH=ARGS.winearch, WINEDEBUG="-all")
    return run_captured(cmd, env=env, timeout=120)


class Models(unittest.TestCase):
    def test_json_lists_the_19_rows(self):
        r = tqinstall("models", "--json")
        self.assertEqual(r.returncode, 0, r.stderr)
        rows = json.loads(r.stdout)
        self.assertEqual([m["row"] for m in rows], list(range(19)))
        self.assertEqual(rows[17], {"row": 17, "displayName": "R-5xK Series", "gpdFile": "R5xK.GPD",
                                    "dllFile": "TQRND.DLL", "listsPlugin": True, "paperWidthMm": 58,
                                    "cutter": False})
        self.assertFalse(rows[9]["listsPlugin"])
        self.assertEqual((rows[9]["paperWidthMm"], rows[1]["cutter"]), (112, True))

    def test_text_has_a_line_per_model(self):
        r = tqinstall("models")
        self.assertEqual(r.returncode, 0)
        self.assertIn(b"TQ-A10(No Cut) Series", r.stdout)
        lines = r.stdout.decode().splitlines()
        self.assertTrue(lines[0].endswith("Paper   Cutter"), lines[0])
        self.assertTrue(lines[2].endswith("80 mm  yes"), lines[2])  # row 1, TQ-A10(Cut)
        self.assertEqual(len(r.stdout.decode().strip().splitlines()), 20)


class Plan(unittest.TestCase):
    def plan(self, *args):
        r = tqinstall("plan", "--json", *args)
        self.assertEqual(r.returncode, 0, r.stderr)
        return json.loads(r.stdout)

    def test_defaults_are_the_wizards_opening_choices(self):
        plan = self.plan("--arch", "x86", "--driver-dir", "C:\\drv")
        self.assertEqual(plan["environment"], "Windows NT x86")
        self.assertEqual(len(plan["copies"]), 10)
        self.assertEqual(plan["copies"][1], {"source": "Printer Driver\\x86\\TQA10cut.GPD",
                                             "destination": "C:\\drv\\TQA10cut.GPD", "progressAfter": 20})
        self.assertIsNone(plan["copies"][3]["progressAfter"])
        self.assertEqual(plan["driver"]["pDependentFiles"],
                         ["\\ttfsub.GPD", "\\unires.DLL", "\\stdnames.GPD", "TQRND.DLL"])
        self.assertEqual(plan["driver"]["cVersion"], 2)
        self.assertEqual(plan["driver"]["pMonitorName"], "")
        self.assertEqual(plan["printer"]["pPortName"], "LPT1:")
        self.assertEqual(plan["defaultPrinter"], {"root": "HKEY_CURRENT_USER",
                                                  "keyPath": "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
                                                  "valueName": "Device", "data": "TQ-A10(Cut) Series,winspool,LPT1:"})
        self.assertIsNone(plan["portSettings"])
        self.assertEqual(plan["progress"], [10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 100])

    def test_choices_by_option(self):
        plan = self.plan("--model", "R-5xP Series", "--arch", "x64", "--port", "COM3:", "--no-default",
                         "--serial-port", "com2", "--baud", "9600", "--parity", "mark", "--data-bits", "7",
                         "--stop-bits", "1.5", "--flow", "none", "--driver-dir", "")
        self.assertEqual(plan["environment"], "Windows x64")
        self.assertEqual(plan["driver"]["pName"], "R-5xP Series")
        self.assertEqual(plan["driver"]["pDataFile"], "\\R5XP.GPD")
        self.assertEqual(plan["copies"][0]["destination"], "\\TQRND.DLL")
        self.assertIsNone(plan["defaultPrinter"])
        self.assertEqual(plan["portSettings"]["valueName"], "COM2:")
        self.assertEqual(plan["portSettings"]["data"], "9600,M,7,1.5, ")
        self.assertEqual(self.plan("--model", "5", "--arch", "x86")["driver"]["pDependentFiles"][3], "\\TQPLG.ini")

    def test_bad_values_name_the_option_and_exit_2(self):
        for args, option in [(["--model", "19"], "--model"), (["--model", "TQ-Z99"], "--model"),
                             (["--arch", "arm64"], "--arch"), (["--baud", "14400"], "--baud"),
                             (["--parity", "weird"], "--parity"), (["--stop-bits", "3"], "--stop-bits"),
                             (["--serial-port", "COM5"], "--serial-port"), (["--flow", "rts"], "--flow"),
                             (["--data-bits", "9"], "--data-bits"), (["--bogus"], "--bogus")]:
            with self.subTest(args=args):
                r = tqinstall("plan", *args)
                self.assertEqual(r.returncode, 2)
                self.assertEqual(r.stdout, b"")
                err = r.stderr.decode().strip()
                self.assertEqual(len(err.splitlines()), 1, err)
                self.assertIn(option, err)

    def test_help_lists_the_options(self):
        r = tqinstall("plan", "--help")
        self.assertEqual(r.returncode, 0)
        for option in [b"--model", b"--arch", b"--no-default", b"--serial-port", b"--driver-dir", b"--json"]:
            self.assertIn(option, r.stdout)


@unittest.skipIf(ARGS.wineprefix, "the Wine tests run these commands on a spooler")
class WindowsOnlyCommands(unittest.TestCase):
    def test_say_in_one_line_that_they_need_windows(self):
        for args in [["install", "--model", "5"], ["ports"], ["monitors", "--json"], ["status"],
                     ["uninstall", "--model", "5"]]:
            with self.subTest(args=args):
                r = tqinstall(*args)
                self.assertEqual(r.returncode, 2)
                self.assertEqual(r.stdout, b"")
                err = r.stderr.decode().strip()
                self.assertEqual(len(err.splitlines()), 1, err)
                self.assertIn("needs Windows", err)


if __name__ == "__main__":
    unittest.main(verbosity=2)
