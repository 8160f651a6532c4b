"""Signatures in the form Setup reads, and the signed file list of a release folder."""
import hashlib
import json
import os
import pathlib
import subprocess
import sys
import tempfile
import unittest

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
sys.path.insert(0, TOOLS)
from release_signing import SigningError, signature_der, signature_hex  # noqa: E402


def new_key(path, pkcs8=False):
    command = (["openssl", "genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256"] if pkcs8
               else ["openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout"])
    subprocess.run(command + ["-out", path], check=True, capture_output=True)
    return path


def openssl_verifies(data, signature, key):
    """openssl's verdict on a hex signature, with the public key openssl itself
    takes from the private `key`."""
    with tempfile.TemporaryDirectory() as work:
        public, der = os.path.join(work, "public.pem"), os.path.join(work, "signature.der")
        subprocess.run(["openssl", "pkey", "-in", key, "-pubout", "-out", public], check=True)
        with open(der, "wb") as target:
            target.write(signature_der(signature))
        return subprocess.run(["openssl", "dgst", "-sha256", "-verify", public, "-signature", der], input=data,
                              capture_output=True).returncode == 0


def der(*integers):
    items = b"".join(bytes((0x02, len(value))) + value for value in integers)
    return bytes((0x30, len(items))) + items


class SignatureFormTest(unittest.TestCase):
    def test_der_integers_become_32_bytes_each_and_back(self):
        short, full, padded = b"\x7f" + b"\x01" * 30, b"\x12" * 32, b"\x00\x80" + b"\x02" * 31
        for r, s, text in ((short, full, "00" + short.hex() + full.hex()),
                           (padded, short, padded[1:].hex() + "00" + short.hex())):
            with self.subTest(r=len(r), s=len(s)):
                self.assertEqual(signature_hex(der(r, s)), text)
                self.assertEqual(signature_der(text), der(r, s))
        malformed = (der(full, full) + b"\0", der(full, full)[:-1], der(full), der(b"\x00\x12" + full[1:], full),
                     der(b"\x80" + full[1:], full), der(b"\x00", full), der(b"\x00\xff" + b"\xff" * 31, full),
                     b"\x31" + der(full, full)[1:])
        for data in malformed:
            with self.subTest(data=data.hex()), self.assertRaises(SigningError):
                signature_hex(data)


class ReleaseFolderTest(unittest.TestCase):
    def test_lists_every_file_but_setup_and_the_lists_and_signs_the_list(self):
        with tempfile.TemporaryDirectory() as root:
            folder, key = os.path.join(root, "release"), new_key(os.path.join(root, "key.pem"))
            files = {"Install.ps1": "i", "Z.txt": "z", "manifest.json": '{"version": "3.1"}',
                     "sub/Deep/é.txt": "e", "sub/Setup.exe": "inner", "SETUP.exe": "s", "package.sha256": "old"}
            for name, text in files.items():
                os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
                with open(os.path.join(folder, name), "w", encoding="utf-8") as target:
                    target.write(text)
            command = [sys.executable, os.path.join(TOOLS, "sign-release-folder.py"), folder, "--signing-key", key]
            result = subprocess.run(command, capture_output=True, text=True)
            self.assertEqual(result.returncode, 0, result.stderr)
            listing = pathlib.Path(folder, "package.sha256").read_bytes()
            expected = "# orlinth-package-1 3.1\n" + "".join(
                f"{hashlib.sha256(files[name].encode()).hexdigest()}  {name}\n"
                for name in ("Install.ps1", "Z.txt", "manifest.json", "sub/Deep/é.txt", "sub/Setup.exe"))
            self.assertEqual(listing.decode("utf-8"), expected)
            signatures = pathlib.Path(folder, "package.sha256.sig").read_text(encoding="ascii")
            self.assertRegex(signatures, r"\A[0-9a-f]{128}\n\Z")
            self.assertTrue(openssl_verifies(listing, signatures.strip(), key))
            flipped = bytearray(listing)
            flipped[len(flipped) // 2] ^= 1
            self.assertFalse(openssl_verifies(bytes(flipped), signatures.strip(), key))

            # Readers differ on which of two versions counts: neither does.
            pathlib.Path(folder, "manifest.json").write_text('{"version": "3.1", "version": "9"}')
            result = subprocess.run(command, capture_output=True, text=True)
            self.assertNotEqual(result.returncode, 0)
            self.assertIn('"version" stands twice', result.stderr)
            os.symlink(os.path.join(folder, "Z.txt"), os.path.join(folder, "sub", "link"))
            os.remove(os.path.join(folder, "manifest.json"))
            for extra, message in (([], "package-version"), (["--package-version", "4"], "symbolic link")):
                result = subprocess.run(command + extra, capture_output=True, text=True)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(message, result.stderr)


if __name__ == "__main__":
    unittest.main()
