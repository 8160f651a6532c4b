"""Signatures in the form Setup reads."""
import os
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


if __name__ == "__main__":
    unittest.main()
