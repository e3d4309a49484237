"""scripts/sign gives every exe and MSI of a package folder an Authenticode
SHA-256 signature that osslsigncode verifies, and refuses clearly what it cannot
sign. The certificate is a throwaway self-signed one made with openssl; the
package folder is a copy of the build's, with a small MSI made by wixl."""
import os
import pathlib
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import winetest  # noqa: E402

ARGS = winetest.parse_args(["--package"])
SIGN = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "sign"
PASSWORD = "throwaway pass"

MSI_SOURCE = """<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="Signing test" Language="1033" Version="1.0.0" Manufacturer="Test"
           UpgradeCode="6a2f1c5e-3b1d-4c8e-9f00-1a2b3c4d5e6f">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Media Id="1" Cabinet="files.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="SigningTest">
          <Component Id="Note" Guid="0d6f1c5e-3b1d-4c8e-9f00-1a2b3c4d5e6f">
            <File Id="NoteFile" Source="note.txt"/>
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="Note"/></Feature>
  </Product>
</Wix>
"""


def run(args, cwd=None, env=None):
    return subprocess.run(args, cwd=cwd, env=env, capture_output=True, text=True)


class Sign(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = pathlib.Path(ARGS.build) / "sign-test"
        shutil.rmtree(cls.work, ignore_errors=True)
        cls.work.mkdir(parents=True)
        # A self-signed code-signing certificate in a password-protected PKCS#12 file.
        cert, key, cls.pfx = cls.work / "cert.pem", cls.work / "key.pem", cls.work / "test.pfx"
        for command in (["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                         "-subj", "/CN=TQ signing test", "-addext", "extendedKeyUsage=codeSigning",
                         "-keyout", str(key), "-out", str(cert)],
                        ["openssl", "pkcs12", "-export", "-inkey", str(key), "-in", str(cert),
                         "-out", str(cls.pfx), "-passout", "pass:" + PASSWORD]):
            result = run(command)
            assert result.returncode == 0, result.stderr
        cls.cert = cert
        # The unsigned package: the build's exes (and MSI, if any) and a small MSI.
        cls.unsigned = cls.work / "unsigned"
        package = pathlib.Path(ARGS.package)
        for source in list(package.rglob("*.exe")) + list(package.rglob("*.msi")):
            target = cls.unsigned / source.relative_to(package)
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(source, target)
        (cls.work / "note.txt").write_text("signing test\n")
        (cls.work / "test.wxs").write_text(MSI_SOURCE)
        result = run(["wixl", "-o", str(cls.unsigned / "Test.msi"), "test.wxs"], cwd=cls.work)
        assert result.returncode == 0, result.stderr
        cls.files = sorted(p.relative_to(cls.unsigned) for p in cls.unsigned.rglob("*")
                           if p.suffix.lower() in (".exe", ".msi"))
        assert any(f.suffix == ".exe" for f in cls.files), f"no exe in {package}"

    def fresh_copy(self, name):
        target = self.work / name
        shutil.rmtree(target, ignore_errors=True)
        shutil.copytree(self.unsigned, target)
        return target

    def sign(self, *args, password=PASSWORD):
        env = dict(os.environ)
        env.pop("TQ_SIGN_PASSWORD", None)
        env.pop("TQ_SIGN_TIMESTAMP_URL", None)
        if password is not None:
            env["TQ_SIGN_PASSWORD"] = password
        return run([str(SIGN), *map(str, args)], env=env)

    def verify(self, path):
        return run(["osslsigncode", "verify", "-CAfile", str(self.cert), "-in", str(path)])

    def test_signs_every_exe_and_msi_with_sha256(self):
        folder = self.fresh_copy("dist")
        result = self.sign(self.pfx, folder)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        for name in self.files:
            with self.subTest(file=str(name)):
                verified = self.verify(folder / name)
                self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)
                self.assertIn("Signature verification: ok", verified.stdout)
                self.assertRegex(verified.stdout, r"Message digest algorithm\s*:\s*SHA256")
        # Signing again replaces the signature instead of stacking a second one.
        result = self.sign(self.pfx, folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("Number of verified signatures: 1", self.verify(folder / self.files[0]).stdout)

    def test_refusals_name_the_fault_and_change_nothing(self):
        folder = self.fresh_copy("refused")
        empty = self.work / "empty"
        empty.mkdir(exist_ok=True)
        cases = [
            ("missing certificate", [self.work / "none.pfx", folder], PASSWORD, "no certificate file"),
            ("wrong password", [self.pfx, folder], "not the password", "wrong password in TQ_SIGN_PASSWORD"),
            ("password not set", [self.pfx, folder], None, "TQ_SIGN_PASSWORD is not set"),
            ("missing folder", [self.pfx, self.work / "nowhere"], PASSWORD, "no folder"),
            ("nothing to sign", [self.pfx, empty], PASSWORD, "nothing to sign"),
        ]
        for name, args, password, message in cases:
            with self.subTest(case=name):
                result = self.sign(*args, password=password)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(message, result.stderr)
        for name in self.files:
            self.assertEqual((folder / name).read_bytes(), (self.unsigned / name).read_bytes(), str(name))
        self.assertEqual(sorted(p.name for p in folder.rglob("*.signing")), [])


if __name__ == "__main__":
    winetest.main()
