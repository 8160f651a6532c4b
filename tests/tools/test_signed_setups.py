"""The signed single-file Setups the build made: valid signatures, and the
padding the signing tool put between the payload and the certificate table."""
import os
import struct
import subprocess
import unittest

from signed_setups import MAGIC, security_directory_offset

FOLDER = os.environ.get("ORLINTH_SIGNED_SETUPS", "")


@unittest.skipUnless(FOLDER, "ORLINTH_SIGNED_SETUPS names no folder of signed Setups (CTest sets it)")
class SignedSetupsTest(unittest.TestCase):
    def test_every_size_modulo_8_is_signed_with_zero_padding_before_the_table(self):
        remainders = set()
        for number in range(8):
            with self.subTest(number=number):
                path = os.path.join(FOLDER, f"Setup-{number}.exe")
                verified = subprocess.run(["osslsigncode", "verify", "-in", path, "-CAfile",
                                           os.path.join(FOLDER, "cert.pem")], capture_output=True, text=True)
                self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)
                data = open(path, "rb").read()
                address, size = struct.unpack_from("<II", data, security_directory_offset(data))
                self.assertEqual(address + size, len(data))
                end = data.rfind(MAGIC, 0, address) + len(MAGIC)
                self.assertEqual(data[end:address], bytes(address - end))
                self.assertEqual(address - end, -end % 8)
                remainders.add(end % 8)
        self.assertEqual(remainders, set(range(8)))
        # What the packing tool makes needs no padding at all.
        data = open(os.path.join(FOLDER, "Setup-0.exe"), "rb").read()
        address, _ = struct.unpack_from("<II", data, security_directory_offset(data))
        self.assertEqual(data[address - len(MAGIC):address], MAGIC)


if __name__ == "__main__":
    unittest.main()
