"""Every shipped exe needs only Windows' own DLLs (it is linked statically)."""
import pathlib
import re
import subprocess
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import winetest  # noqa: E402

ARGS = winetest.parse_args(["--exe"])

# DLLs that every Windows has in its system directory.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
                "comctl32.dll", "msvcrt.dll", "ole32.dll", "comdlg32.dll", "shlwapi.dll"}


class Imports(unittest.TestCase):
    def test_only_windows_dlls(self):
        for exe in ARGS.exe.split(";"):
            with self.subTest(exe=exe):
                objdump = "x86_64-w64-mingw32-objdump" if ARGS.winearch == "win64" else "i686-w64-mingw32-objdump"
                out = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
                dlls = {name.lower() for name in re.findall(r"DLL Name: (\S+)", out)}
                self.assertTrue(dlls, "no imports found")
                # A planted winspool.drv beside the exe must never be loaded:
                # the spooler is loaded at run time from the system directory.
                self.assertNotIn("winspool.drv", dlls)
                self.assertEqual(dlls - WINDOWS_DLLS, set())


if __name__ == "__main__":
    winetest.main()
