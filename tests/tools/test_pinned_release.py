"""The pinned installer publish-release.py writes: the Setup carrying its
package with signed scripts, stating that package's version, and the
package-manager manifests that point at it."""
import hashlib
import io
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

from test_publish_release import TOOL

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(SOURCE, "tools"))
from release_archive import MAGIC  # noqa: E402
from version_resource import product_version  # noqa: E402


BUILT_SETUP = os.environ.get("ORLINTH_BUILT_SETUP", "")


def exit_codes():
    """Every code the program's table names, by constant name."""
    with open(os.path.join(SOURCE, "base", "exit_codes.h"), encoding="utf-8") as header:
        return {name: int(code) for name, code in re.findall(r"int (kExit\w+) = (\d+);", header.read())}


@unittest.skipUnless(BUILT_SETUP, "ORLINTH_BUILT_SETUP names no built Setup.exe (CTest sets it)")
class PinnedReleaseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        root = cls.folder.name
        cls.cert, cls.key = os.path.join(root, "cert.pem"), os.path.join(root, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", cls.key, "-out",
                        cls.cert, "-days", "2", "-subj", "/CN=test", "-addext", "extendedKeyUsage=codeSigning"],
                       check=True, capture_output=True)
        cls.setup = BUILT_SETUP
        # The scripts in one top-level folder: the pinned installer carries them at its root.
        cls.package = os.path.join(root, "package", "pkg")
        os.makedirs(cls.package)
        for name, text in (("Install.ps1", "Write-Output i\r\n"), ("ImeInstallCommon.ps1", "$x = 1\r\n"),
                           ("manifest.json", '{"version": "2.5.0-rc.1"}')):
            with open(os.path.join(cls.package, name), "w", encoding="utf-8") as out:
                out.write(text)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def publish(self, output, package_version="2.5.0-rc.1"):
        return subprocess.run([sys.executable, TOOL, "--setup", self.setup, "--setup-version", "1.0.20",
                               "--package", os.path.dirname(self.package), "--package-version", package_version,
                               "--base-url", "http://h/r", "--output", output, "--code-signing-cert", self.cert,
                               "--code-signing-key", self.key], capture_output=True, text=True)

    def verifies(self, path):
        return subprocess.run(["osslsigncode", "verify", "-CAfile", self.cert, "-in", path],
                              capture_output=True).returncode == 0

    def test_pinned_installer_is_signed_states_its_package_and_carries_signed_scripts(self):
        with tempfile.TemporaryDirectory() as output:
            result = self.publish(output)
            self.assertEqual(result.returncode, 0, result.stderr)
            path = os.path.join(output, "OrlinthSetup-Japanese-2.5.0-rc.1.exe")
            data = open(path, "rb").read()
            digest = hashlib.sha256(data).hexdigest()
            self.assertIn(f"OrlinthSetup-Japanese-2.5.0-rc.1.exe sha256 {digest}", result.stdout)
            self.assertEqual(open(path + ".sha256").read(), f"{digest}  OrlinthSetup-Japanese-2.5.0-rc.1.exe\n")
            self.assertTrue(self.verifies(path))
            self.assertTrue(self.verifies(os.path.join(output, "OrlinthSetup-1.0.20.exe")))
            self.assertEqual(product_version(open(self.setup, "rb").read()), "1.0.19")
            self.assertEqual(product_version(data), "2.5.0-rc.1")
            fixed = data.index(struct.pack("<I", 0xFEEF04BD))
            self.assertEqual(struct.unpack_from("<II", data, fixed + 16), ((2 << 16) | 5, 0))

            end = data.rindex(MAGIC)
            (length,) = struct.unpack_from("<Q", data, end - 8)
            with zipfile.ZipFile(io.BytesIO(data[end - 8 - length:end - 8])) as carried:
                self.assertEqual(sorted(carried.namelist()), ["ImeInstallCommon.ps1", "Install.ps1", "manifest.json"])
                script = os.path.join(output, "carried.ps1")
                with open(script, "wb") as out:
                    out.write(carried.read("Install.ps1"))
            self.assertIn(b"# SIG # Begin signature block", open(script, "rb").read())
            self.assertTrue(self.verifies(script))

    def test_manifests_name_the_switches_and_every_exit_code(self):
        with tempfile.TemporaryDirectory() as output:
            self.assertEqual(self.publish(output).returncode, 0)
            folder = os.path.join(output, "winget", "Orlinth.Japanese", "2.5.0-rc.1")
            self.assertEqual(sorted(os.listdir(folder)), ["Orlinth.Japanese.installer.yaml",
                                                          "Orlinth.Japanese.locale.ko-KR.yaml", "Orlinth.Japanese.yaml"])
            installer = open(os.path.join(folder, "Orlinth.Japanese.installer.yaml"), encoding="utf-8").read()
            digest = open(os.path.join(output, "OrlinthSetup-Japanese-2.5.0-rc.1.exe.sha256")).read().split()[0]
        for line in ("InstallerType: exe", "Scope: machine", "  Silent: /quiet", "  SilentWithProgress: /passive",
                     '  Log: /log:"<LOGPATH>"', "    InstallerUrl: http://h/r/OrlinthSetup-Japanese-2.5.0-rc.1.exe",
                     f"    InstallerSha256: {digest.upper()}", "    ProductCode: Orlinth-Japanese",
                     "        DisplayVersion: 2.5.0-rc.1"):
            self.assertIn(line + "\n", installer)
        listed = {int(code) for code in re.findall(r"InstallerReturnCode: (\d+)", installer)}
        # 1 (no administrator rights) cannot happen under a package manager, which runs installers elevated.
        codes = exit_codes()
        self.assertEqual(listed, set(codes.values()) - {codes["kExitSuccess"], codes["kExitElevationRefused"]})

    def test_refuses_a_version_the_package_manifest_contradicts(self):
        with tempfile.TemporaryDirectory() as output:
            result = self.publish(output, package_version="2.5.0")
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("names version '2.5.0-rc.1'", result.stderr)


class ReadmeTest(unittest.TestCase):
    def test_readme_table_names_the_programs_exit_codes(self):
        readme = open(os.path.join(SOURCE, "README.md"), encoding="utf-8").read()
        table = {int(code) for code in re.findall(r"^\| `(\d+)` \|", readme, re.MULTILINE)}
        self.assertEqual(table, set(exit_codes().values()))


if __name__ == "__main__":
    unittest.main()
