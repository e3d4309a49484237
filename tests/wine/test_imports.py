"""Every shipped exe needs only Windows' own DLLs (it is linked statically), and
imports only functions that Windows XP SP3's DLLs export (xp_exports.txt)."""
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

XP_EXPORTS_FILE = pathlib.Path(__file__).with_name("xp_exports.txt")


def read_xp_exports(path=XP_EXPORTS_FILE):
    """{dll name: set of function names} from the [dll] sections of the list."""
    exports, current = {}, None
    for line in path.read_text().splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        section = re.fullmatch(r"\[(\S+)\]", line)
        if section:
            current = exports.setdefault(section.group(1).lower(), set())
        else:
            current.update(line.split())
    return exports


def imported_functions(exe):
    """{dll name: [function names]} from the import tables that objdump -p shows;
    an import by ordinal is listed as '#ORDINAL'."""
    objdump = "x86_64-w64-mingw32-objdump" if ARGS.winearch == "win64" else "i686-w64-mingw32-objdump"
    out = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    imports, current = {}, None
    for line in out.splitlines():
        dll = re.match(r"\s*DLL Name: (\S+)", line)
        if dll:
            current = imports.setdefault(dll.group(1).lower(), [])
            continue
        if current is None:
            continue
        # "\t<vma>\t <hint>  <name>" for an import by name, "<none>" for one by ordinal.
        entry = re.match(r"\t[0-9a-f]+\t\s*([0-9]+)\s+(\S+)\s*$", line)
        if entry:
            name = entry.group(2)
            current.append("#" + entry.group(1) if name == "<none>" else name)
        elif line and not line[0].isspace():
            current = None  # the next part of objdump's report
    return imports


class Imports(unittest.TestCase):
    def test_only_windows_dlls(self):
        for exe in ARGS.exe.split(";"):
            with self.subTest(exe=exe):
                dlls = set(imported_functions(exe))
                self.assertTrue(dlls, "no imports found")
                # A planted winspool.drv beside the exe must never be loaded:
                # the spooler is loaded at run time from the system directory.
                self.assertNotIn("winspool.drv", dlls)
                self.assertEqual(dlls - WINDOWS_DLLS, set())

    def test_only_functions_windows_xp_exports(self):
        xp = read_xp_exports()
        for exe in ARGS.exe.split(";"):
            with self.subTest(exe=exe):
                imports = imported_functions(exe)
                self.assertTrue(any(imports.values()), "no imported functions found")
                missing = sorted(f"{dll}!{name}" for dll, names in imports.items()
                                 for name in names if name not in xp.get(dll, ()))
                self.assertEqual(missing, [], f"imports that Windows XP SP3 lacks (see {XP_EXPORTS_FILE.name})")


if __name__ == "__main__":
    winetest.main()
