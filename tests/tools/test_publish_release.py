"""The release publishing tool: files and the "/appLatest" answer."""
import hashlib
import json
import os
import pathlib
import struct
import subprocess
import sys
import tempfile
import time
import unittest

from test_release_signing import new_key, openssl_verifies

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
from release_signing import public_key_hex  # noqa: E402

TOOL = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "publish-release.py")


def fake_setup(product_version="1.0.19"):
    """Bytes standing in for a built Setup: a version resource's
    ProductVersion string in its 64-character slot, and the fixed numbers."""
    key = "ProductVersion".encode("utf-16-le") + b"\0\0"
    value = product_version.ljust(65, "\0").encode("utf-16-le")
    string = struct.pack("<HHH", 6 + len(key) + len(value), len(product_version) + 1, 1) + key + value
    fixed = struct.pack("<I", 0xFEEF04BD) + bytes(48)
    return b"MZ setup" + bytes(8) + string + fixed


class PublishReleaseTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name
        self.setup = os.path.join(self.root, "Setup.exe")
        with open(self.setup, "wb") as out:
            out.write(fake_setup())
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

    def publish(self, package, setup_version="1.0.20", package_version="2.5.0", base_url="http://127.0.0.1:1",
                extra=()):
        return subprocess.run([sys.executable, TOOL, "--setup", self.setup, "--setup-version", setup_version,
                               "--package", package, "--package-version", package_version, "--base-url",
                               base_url, "--output", self.output, *extra], capture_output=True, text=True)

    def answer(self):
        """The outer answer, and the signed payload's members and bytes."""
        answer = json.loads(pathlib.Path(self.output, "appLatest").read_text(encoding="utf-8"))
        data = bytes.fromhex(answer.pop("signedPayload"))
        payload = data.decode("utf-8")
        # As compact as the outer answer, for Setup finds "ok":true by its text.
        self.assertEqual(payload, json.dumps(json.loads(payload), separators=(",", ":"), ensure_ascii=False))
        return answer, json.loads(payload), data

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

    def test_signed_answer_keeps_the_release_and_signs_a_dated_copy_by_each_key(self):
        keys = [new_key(os.path.join(self.root, "a.pem")), new_key(os.path.join(self.root, "b.pem"), pkcs8=True)]
        package = self.package(["Install.ps1", "ImeInstallCommon.ps1"])
        self.assertEqual(self.publish(package, base_url="http://h/릴리스").returncode, 0)
        unsigned = json.loads(pathlib.Path(self.output, "appLatest").read_text(encoding="utf-8"))
        for signers in ([0], [0, 1]):
            with self.subTest(signers=signers):
                signing = [argument for number in signers for argument in ("--signing-key", keys[number])]
                result = self.publish(package, base_url="http://h/릴리스", extra=signing + ["--valid-days", "7"])
                self.assertEqual(result.returncode, 0, result.stderr)
                answer, payload, data = self.answer()
                signatures = answer.pop("signatures").split(",")
                self.assertEqual(answer, unsigned)
                dates = {name: payload.pop(name) for name in ("format", "issued", "expires")}
                self.assertEqual(payload, unsigned)
                self.assertEqual(dates["format"], "orlinth-appLatest-1")
                self.assertAlmostEqual(int(dates["issued"]), time.time(), delta=60)
                self.assertEqual(int(dates["expires"]) - int(dates["issued"]), 7 * 86400)
                self.assertEqual(len(signatures), len(signers))
                for signature, number in zip(signatures, signers):
                    self.assertTrue(openssl_verifies(data, signature, keys[number]))
                    self.assertFalse(openssl_verifies(data, signature, keys[1 - number]))

    def test_resign_renews_only_a_release_a_trusted_key_signed_and_never_an_older_one(self):
        old, new = new_key(os.path.join(self.root, "old.pem")), new_key(os.path.join(self.root, "new.pem"))
        package = self.package(["Install.ps1", "ImeInstallCommon.ps1"])
        path = pathlib.Path(self.output, "appLatest")
        resign = [sys.executable, TOOL, "--resign", "--output", self.output]

        def refused(*arguments):
            """Runs a renewal that must fail and leave the answer as it was."""
            before = path.read_bytes()
            result = subprocess.run(resign + list(arguments), capture_output=True, text=True)
            self.assertNotEqual(result.returncode, 0, result.stdout)
            self.assertEqual(path.read_bytes(), before)
            return result.stderr

        for wrong, message in (([], "needs --signing-key"), (["--signing-key", new, "--setup", self.setup], "--setup")):
            result = subprocess.run(resign + wrong, capture_output=True, text=True)
            self.assertEqual(result.returncode, 2)
            self.assertIn(message, result.stderr)
        self.assertEqual(self.publish(package, extra=["--signing-key", old, "--valid-days", "1"]).returncode, 0)
        first = path.read_bytes()
        before, signed_before, _ = self.answer()

        # Changed in the web folder by someone without the key: the payload's
        # signature no longer verifies, and the plain members never count.
        answer = json.loads(first)
        evil = signed_before | {"packageJaUrl": "https://evil.invalid/p.zip"}
        path.write_text(json.dumps(answer | {"signedPayload": json.dumps(evil).encode().hex()}))
        self.assertIn("does not verify", refused("--signing-key", old))
        path.write_text(json.dumps({name: value for name, value in answer.items() if name.startswith(("ok", "setup", "package"))}))
        self.assertIn("no signed payload", refused("--signing-key", old))
        path.write_bytes(first)
        self.assertIn("does not verify", refused("--signing-key", new))

        # A new key renews what the old one signed once the old one is trusted.
        trusted = ["--trusted-key", public_key_hex(old)]
        result = subprocess.run(resign + ["--signing-key", new, "--valid-days", "30"] + trusted, capture_output=True,
                                text=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        after, signed_after, data = self.answer()
        moved = int(signed_after.pop("expires")) - int(signed_before.pop("expires"))
        self.assertTrue(29 * 86400 <= moved <= 29 * 86400 + 60, moved)
        del signed_before["issued"], signed_after["issued"]
        self.assertEqual(signed_after, signed_before)
        self.assertTrue(openssl_verifies(data, after.pop("signatures"), new))
        before.pop("signatures")
        self.assertEqual(after, before)

        # A newer release is published; the older one, validly signed, is put back.
        issued = int(json.loads(bytes.fromhex(json.loads(first)["signedPayload"]))["issued"])
        while int(time.time()) <= issued:
            time.sleep(0.05)
        self.assertEqual(self.publish(package, package_version="2.6.0", extra=["--signing-key", new]).returncode, 0)
        self.assertTrue(os.path.exists(new + ".published"))
        path.write_bytes(first)
        self.assertIn("older release was put back", refused("--signing-key", new, *trusted))


if __name__ == "__main__":
    unittest.main()
