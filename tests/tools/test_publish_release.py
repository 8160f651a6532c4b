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
    def test_answer_names_the_published_files_with_their_digests(self):
        with tempfile.TemporaryDirectory() as root:
            setup = os.path.join(root, "Setup.exe")
            with open(setup, "wb") as out:
                out.write(b"MZ setup")
            package = os.path.join(root, "package")
            os.makedirs(package)
            for name in ("Install.ps1", "ImeInstallCommon.ps1"):
                with open(os.path.join(package, name), "w") as out:
                    out.write(name)
            output = os.path.join(root, "release")
            subprocess.run([sys.executable, TOOL, "--setup", setup, "--setup-version", "1.0.20", "--package", package,
                            "--package-version", "2.5.0", "--base-url", "http://127.0.0.1:1", "--output", output],
                           check=True, capture_output=True)
            text = open(os.path.join(output, "appLatest"), encoding="utf-8").read()
            self.assertIn('"ok":true', text)
            answer = json.loads(text)
            for kind in ("setup", "package"):
                url = answer[f"{kind}JaUrl"]
                self.assertTrue(url.startswith("http://127.0.0.1:1/"))
                data = open(os.path.join(output, url.rsplit("/", 1)[1]), "rb").read()
                self.assertEqual(answer[f"{kind}JaSha256"], hashlib.sha256(data).hexdigest())
            self.assertEqual(answer["setupJaVersion"], "1.0.20")
            self.assertEqual(answer["packageJaVersion"], "2.5.0")


if __name__ == "__main__":
    unittest.main()
