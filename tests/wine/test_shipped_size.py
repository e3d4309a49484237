"""The programs of the package folder are stripped and within their size budgets.

tqinstall's budget is above the 1 MiB we aim for: about 1.1 MB of it is the
static libstdc++ (the locale facets for char and wchar_t in both string ABIs,
the stream classes CLI11 formats with, std::filesystem, the demangler of the
terminate handler), which any use of iostreams pulls in whole, and about 0.35 MB
its exception tables; our own code with CLI11 and nlohmann/json is about 0.4 MB."""
import pathlib
import re
import subprocess
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import winetest  # noqa: E402

ARGS = winetest.parse_args(["--package"])

KIB = 1024
# (file name pattern, most bytes)
BUDGETS = [
    (r"TQSetup(64)?\.exe", 512 * KIB),
    (r"tqinstall(64)?\.exe", 2048 * KIB),
    (r"dpinstx(86|64)\.exe", 512 * KIB),
]


def budget(name):
    for pattern, most in BUDGETS:
        if re.fullmatch(pattern, name):
            return most
    return None


class ShippedSize(unittest.TestCase):
    def test_each_exe_is_stripped_and_within_budget(self):
        exes = sorted(pathlib.Path(ARGS.package).rglob("*.exe"))
        self.assertTrue(exes, f"no exe in {ARGS.package}")
        objdump = "x86_64-w64-mingw32-objdump" if ARGS.winearch == "win64" else "i686-w64-mingw32-objdump"
        for exe in exes:
            with self.subTest(exe=str(exe.relative_to(ARGS.package))):
                most = budget(exe.name)
                self.assertIsNotNone(most, "a new program of the package: give it a size budget here")
                size = exe.stat().st_size
                self.assertLessEqual(size, most, f"{size} bytes, budget {most}")
                header = subprocess.run([objdump, "-f", "-h", str(exe)], capture_output=True, text=True,
                                        check=True).stdout
                self.assertNotIn("HAS_SYMS", header, "symbol table not stripped")
                self.assertNotRegex(header, r"\.debug_", "debug sections not stripped")


if __name__ == "__main__":
    winetest.main()
