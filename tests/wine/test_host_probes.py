"""The real GetVersionExA and IsWow64Process under every version Wine can be."""
import pathlib
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import winetest  # noqa: E402

ARGS = winetest.parse_args(["--probe"])

# Wine's version name -> the OsKind the version table gives (win10 is told 6.2).
EXPECTED_KIND = {"win95": 1, "win98": 2, "nt40": 3, "win2k": 4, "winxp": 5, "win2003": 6,
                 "vista": 7, "win7": 8, "win8": 9, "win10": 9}


class HostProbes(unittest.TestCase):
    def probe(self, wine):
        out = wine.run([ARGS.probe], check=True).stdout.decode()
        return dict(item.split("=") for item in out.split())

    def test_os_kind_for_every_windows_version(self):
        wine = winetest.Wine(winetest.fresh_prefix(ARGS.work, ARGS.winearch, "host-versions"), ARGS.winearch)
        try:
            for version, kind in EXPECTED_KIND.items():
                with self.subTest(version=version):
                    wine.set_version(version)
                    self.assertEqual(self.probe(wine)["kind"], str(kind))
        finally:
            wine.stop()

    def test_architecture(self):
        is64bit = winetest.exe_is_64bit(ARGS.probe)
        # A 32-bit exe: x86 in a 32-bit prefix, x64 (WOW64) in a 64-bit one.
        # The 64-bit exe runs only in a 64-bit prefix and answers x64.
        cases = [("win64", "x64")] if is64bit else [("win32", "x86"), ("win64", "x64")]
        for arch, expected in cases:
            with self.subTest(prefix=arch):
                wine = winetest.Wine(winetest.fresh_prefix(ARGS.work, arch, f"host-arch-{arch}"), arch)
                try:
                    self.assertEqual(self.probe(wine)["arch"], expected)
                finally:
                    wine.stop()


if __name__ == "__main__":
    winetest.main()
