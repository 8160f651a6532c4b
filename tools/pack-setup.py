#!/usr/bin/env python3
"""Pack-Setup: builds a single-file Setup from Setup.exe and an install package.

The package (a folder, zipped here, or a ready ZIP archive) is appended to a
copy of Setup.exe, followed by its length as 8 little-endian bytes and the
8 bytes "OLTPAYLD". Install.ps1 and ImeInstallCommon.ps1 must be at the root
of the package, not inside a top-level folder.

Signing: pack first, then sign the packed file with your Authenticode signing
tool. The signature goes after the payload and the PE header names it, which is
where Setup looks for the payload of a signed file. Signing before packing
breaks the signature.

    pack-setup.py --setup Setup.exe --package FOLDER-OR-ZIP --output OrlinthSetup.exe
"""
import argparse
import io
import os
import struct
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from release_archive import zip_folder  # noqa: E402

MAGIC = b"OLTPAYLD"
REQUIRED = ("Install.ps1", "ImeInstallCommon.ps1")



def check_root(archive_bytes):
    with zipfile.ZipFile(io.BytesIO(archive_bytes)) as archive:
        names = set(archive.namelist())
    missing = [name for name in REQUIRED if name not in names]
    if missing:
        raise SystemExit(
            "Pack-Setup: the package has no " + " and no ".join(missing) + " at its root. "
            "Put the package files directly in the archive, not inside a top-level folder.")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--setup", required=True, help="Setup.exe as built")
    parser.add_argument("--package", required=True, help="package folder or ZIP archive")
    parser.add_argument("--output", required=True, help="the single-file Setup to write")
    options = parser.parse_args()

    if os.path.isdir(options.package):
        archive = zip_folder(options.package)
    else:
        with open(options.package, "rb") as source:
            archive = source.read()
        if not zipfile.is_zipfile(io.BytesIO(archive)):
            raise SystemExit("Pack-Setup: " + options.package + " is neither a folder nor a ZIP archive.")
    check_root(archive)
    with open(options.setup, "rb") as source:
        setup = source.read()
    os.makedirs(os.path.dirname(os.path.abspath(options.output)), exist_ok=True)
    with open(options.output, "wb") as target:
        target.write(setup + archive + struct.pack("<Q", len(archive)) + MAGIC)
    print(f"Pack-Setup: {options.output} ({len(archive)} bytes of package)")


if __name__ == "__main__":
    sys.exit(main())
