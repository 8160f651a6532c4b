#!/usr/bin/env python3
"""Makes the signed single-file Setups of the tests, as a release engineer
would: a throwaway key and self-signed code-signing certificate (openssl),
packed Setups whose sizes cover every remainder modulo 8 (the signing tool
pads each to an 8-byte boundary before its certificate table), each signed
with osslsigncode; and a signed Setup without payload whose certificate table
was grown afterwards over an appended payload, as an attacker could.

    signed_setups.py --setup Setup.exe --package FOLDER --pack-tool pack-setup.py --output FOLDER

Writes Setup-0.exe ... Setup-7.exe (Setup-0.exe straight from the packing
tool), grown.exe and cert.pem into the output folder.
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from release_archive import zip_folder  # noqa: E402

MAGIC = b"OLTPAYLD"


def run(*command):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        raise SystemExit(f"{command[0]} failed: {result.stdout}{result.stderr}")


def with_comment(archive, length):
    """The archive with a comment of `length` bytes (it has none yet)."""
    return archive[:-2] + struct.pack("<H", length) + b" " * length


def packed(setup, archive):
    return setup + archive + struct.pack("<Q", len(archive)) + MAGIC


def security_directory_offset(image):
    headers = struct.unpack_from("<I", image, 0x3C)[0]
    optional = headers + 4 + 20
    directories = optional + (112 if struct.unpack_from("<H", image, optional)[0] == 0x20B else 96)
    return directories + 4 * 8  # the fifth directory: the certificate table


def grown(signed, payload):
    """The signed file with `payload` appended inside its certificate table."""
    image = bytearray(signed)
    entry = security_directory_offset(image)
    address, size = struct.unpack_from("<II", image, entry)
    assert address + size == len(image), "the certificate table must close the signed file"
    struct.pack_into("<II", image, entry, address, size + len(payload))
    return bytes(image) + payload


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--setup", required=True)
    parser.add_argument("--package", required=True)
    parser.add_argument("--pack-tool", required=True)
    parser.add_argument("--output", required=True)
    options = parser.parse_args()
    os.makedirs(options.output, exist_ok=True)
    key = os.path.join(options.output, "key.pem")
    cert = os.path.join(options.output, "cert.pem")
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "3650",
        "-subj", "/CN=Orlinth Setup test signing", "-addext", "extendedKeyUsage=codeSigning")

    with open(options.setup, "rb") as source:
        setup = source.read()
    archive = zip_folder(options.package)
    with tempfile.TemporaryDirectory() as work:
        def sign(data, name, folder=options.output):
            unsigned = os.path.join(work, "unsigned-" + name)
            with open(unsigned, "wb") as target:
                target.write(data)
            signed = os.path.join(work, name)  # the signing tool writes only new files
            run("osslsigncode", "sign", "-certs", cert, "-key", key, "-h", "sha256", "-in", unsigned, "-out", signed)
            with open(signed, "rb") as source:
                data = source.read()
            os.replace(signed, os.path.join(folder, name))
            return data

        first = os.path.join(work, "packed.exe")
        run(sys.executable, options.pack_tool, "--setup", options.setup, "--package", options.package, "--output", first)
        with open(first, "rb") as source:
            sign(source.read(), "Setup-0.exe")
        for remainder in range(1, 8):
            comment = (remainder - len(packed(setup, archive))) % 8
            sign(packed(setup, with_comment(archive, comment)), f"Setup-{remainder}.exe")

        # Any package will do: it must never be used.
        with open(os.path.join(options.output, "grown.exe"), "wb") as target:
            target.write(grown(sign(setup, "plain.exe", work), packed(b"", archive)))
    os.remove(key)


if __name__ == "__main__":
    main()
