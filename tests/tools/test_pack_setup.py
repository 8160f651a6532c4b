"""The packing tool: layout of a single-file Setup and the package checks."""
import io
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

TOOL = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "pack-setup.py")


def pack(setup, package, output):
    return subprocess.run([sys.executable, TOOL, "--setup", setup, "--package", package, "--output", output],
                          capture_output=True, text=True)


class PackSetupTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name
        self.setup = os.path.join(self.root, "Setup.exe")
        with open(self.setup, "wb") as out:
            out.write(b"MZ" + bytes(100))

    def tearDown(self):
        self.folder.cleanup()

    def package(self, names, top=""):
        folder = os.path.join(self.root, "package")
        for name in names:
            path = os.path.join(folder, top, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as out:
                out.write(name)
        return folder

    def test_appends_archive_length_and_magic_to_the_unchanged_setup(self):
        package = self.package(["install.PS1", "ImeInstallCommon.ps1", "bin/x.dll"])  # any letter case
        for extra in range(8):
            with self.subTest(extra=extra):
                with open(self.setup, "wb") as out:
                    out.write(b"MZ" + bytes(100 + extra))
                output = os.path.join(self.root, "out", "Single.exe")
                result = pack(self.setup, package, output)
                self.assertEqual(result.returncode, 0, result.stderr)
                data = open(output, "rb").read()
                self.assertTrue(data.startswith(b"MZ" + bytes(100 + extra)))
                # A whole number of 8-byte blocks: signing then pads nothing.
                self.assertEqual(len(data) % 8, 0)
                self.assertEqual(data[-8:], b"OLTPAYLD")
                (length,) = struct.unpack("<Q", data[-16:-8])
                archive = data[-16 - length:-16]
                self.assertEqual(len(data), 102 + extra + length + 16)
                with zipfile.ZipFile(io.BytesIO(archive)) as zipped:
                    self.assertEqual(zipped.testzip(), None)
                    self.assertEqual(sorted(zipped.namelist()), ["ImeInstallCommon.ps1", "bin/x.dll", "install.PS1"])
                self.assertEqual(os.listdir(os.path.dirname(output)), ["Single.exe"])

    def test_refuses_a_package_without_the_scripts_at_its_root(self):
        for names, top in ((["Install.ps1"], ""), (["Install.ps1", "ImeInstallCommon.ps1"], "Orlinth")):
            with self.subTest(names=names, top=top):
                folder = self.package(names, top)
                result = pack(self.setup, folder, os.path.join(self.root, "x.exe"))
                self.assertNotEqual(result.returncode, 0)
                self.assertIn("at its root", result.stderr)
                self.assertFalse(os.path.exists(os.path.join(self.root, "x.exe")))
                subprocess.run(["rm", "-rf", folder])


if __name__ == "__main__":
    unittest.main()
