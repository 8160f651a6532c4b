"""The release publishing tool: files and the "/appLatest" answer."""
import hashlib
import json
import os
import subprocess
import sys
import tempfile
import unittest

TOOL = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "publish-release.py")


class PublishReleaseTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name
        self.setup = os.path.join(self.root, "Setup.exe")
        with open(self.setup, "wb") as out:
            out.write(b"MZ setup")
        self.output = os.path.join(self.root, "release")

    def tearDown(self):
        self.folder.cleanup()

    def package(self, names):
        folder = os.path.join(self.root, "package")
        subprocess.run(["rm", "-rf", folder], check=True)
        for name in names:
            os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
            with open(os.path.join(folder, name), "w") as out:
                out.write(name)
        return folder

    def publish(self, package, setup_version="1.0.20", package_version="2.5.0", base_url="http://127.0.0.1:1"):
        return subprocess.run([sys.executable, TOOL, "--setup", self.setup, "--setup-version", setup_version,
                               "--package", package, "--package-version", package_version, "--base-url",
                               base_url, "--output", self.output], capture_output=True, text=True)

    def test_answer_names_the_published_files_with_their_digests(self):
        result = self.publish(self.package(["Install.ps1", "ImeInstallCommon.ps1"]), "1.0.20-é")
        self.assertNotEqual(result.returncode, 0)  # Setup would refuse a non-ASCII version
        # Setup decodes no \u escapes: other text goes in as UTF-8.
        result = self.publish(self.package(["Install.ps1", "ImeInstallCommon.ps1"]), base_url="http://h/릴리스")
        self.assertEqual(result.returncode, 0, result.stderr)
        text = open(os.path.join(self.output, "appLatest"), encoding="utf-8").read()
        self.assertIn('"ok":true', text)
        self.assertIn('"setupJaUrl":"http://h/릴리스/', text)
        answer = json.loads(text)
        for kind in ("setup", "package"):
            url = answer[f"{kind}JaUrl"]
            self.assertTrue(url.startswith("http://h/릴리스/"))
            data = open(os.path.join(self.output, url.rsplit("/", 1)[1]), "rb").read()
            self.assertEqual(answer[f"{kind}JaSha256"], hashlib.sha256(data).hexdigest())
        self.assertEqual(answer["setupJaVersion"], "1.0.20")
        self.assertEqual(answer["packageJaVersion"], "2.5.0")

    def test_takes_only_what_setup_would_take(self):
        good = (["Install.ps1", "ImeInstallCommon.ps1"], ["pkg/install.ps1", "pkg/IMEINSTALLCOMMON.PS1", "x.txt"])
        bad = (["Install.ps1"], ["a/b/Install.ps1", "a/b/ImeInstallCommon.ps1"],
               ["a/Install.ps1", "a/ImeInstallCommon.ps1", "b/Install.ps1", "b/ImeInstallCommon.ps1"])
        for names in good + bad:
            with self.subTest(names=names):
                subprocess.run(["rm", "-rf", self.output], check=True)
                result = self.publish(self.package(names))
                self.assertEqual(result.returncode == 0, names in good, result.stderr)
                self.assertEqual(os.path.exists(self.output), names in good)
        for version in ("..", ".", "", "a/b", "x" * 65):
            with self.subTest(version=version):
                result = self.publish(self.package(good[0]), package_version=version)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn("would refuse", result.stderr)


if __name__ == "__main__":
    unittest.main()
