"""The release build: keyed, or unsigned only when the builder says so."""
import os
import subprocess
import sys
import tempfile
import unittest

from test_release_signing import new_key

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(SOURCE, "tools"))
from release_signing import public_key_hex  # noqa: E402


class ReleaseConfigureTest(unittest.TestCase):
    def configure(self, *definitions):
        with tempfile.TemporaryDirectory() as build:
            result = subprocess.run(["cmake", "--preset", "release", "-B", build, *definitions], cwd=SOURCE,
                                    capture_output=True, text=True)
        return result.returncode, " ".join(result.stderr.split())

    def test_release_preset_needs_keys_unless_unsigned_is_asked_for(self):
        code, said = self.configure()
        self.assertNotEqual(code, 0)
        self.assertIn("-DSETUP_ALLOW_UNSIGNED=ON", said)
        self.assertIn("tools/release_signing.py public-key", said)
        with tempfile.TemporaryDirectory() as keys:
            key = public_key_hex(new_key(os.path.join(keys, "release-key.pem")))
        for definition in (f"-DSETUP_RELEASE_KEYS={key}", "-DSETUP_ALLOW_UNSIGNED=ON"):
            code, said = self.configure(definition)
            self.assertEqual(code, 0, said)


if __name__ == "__main__":
    unittest.main()
