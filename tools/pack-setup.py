#!/usr/bin/env python3
"""Pack-Setup: builds a single-file Setup from Setup.exe and an install package.

The package (a folder, zipped here, or a ready ZIP archive) is appended to a
copy of Setup.exe, followed by its length as 8 little-endian bytes and the
8 bytes "OLTPAYLD". Install.ps1 and ImeInstallCommon.ps1 must be at the root
of the package (in any letter case), not inside a top-level folder. The
archive gets a comment of the length that makes the whole file a multiple of
8 bytes long, so that signing adds no padding in front of the signature.

Pack first, then sign the packed file. The signature goes after the payload
and the PE header names it, which is where Setup looks for the payload of a
signed file. Signing before packing breaks the signature. For example:

    pack-setup.py --setup Setup.exe --package FOLDER-OR-ZIP --output packed.exe
    osslsigncode sign -certs cert.pem -key key.pem -h sha256 \\
        -in packed.exe -out OrlinthSetup.exe
    signtool sign /fd SHA256 /f cert.pfx /p PASSWORD OrlinthSetup.exe
"""
import argparse
import io
import os
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from release_archive import ArchiveError, single_file_setup, zip_folder  # noqa: E402
from version_resource import VersionResourceError, with_product_version  # noqa: E402

REQUIRED = ("Install.ps1", "ImeInstallCommon.ps1")


def check_root(archive_bytes):
    with zipfile.ZipFile(io.BytesIO(archive_bytes)) as archive:
        names = {name.lower() for name in archive.namelist()}
    missing = [name for name in REQUIRED if name.lower() not in names]
    if missing:
        raise SystemExit(
            "Pack-Setup: the package has no " + " and no ".join(missing) + " at its root. "
            "Put the package files directly in the archive, not inside a top-level folder.")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--setup", required=True, help="Setup.exe as built")
    parser.add_argument("--package", required=True, help="package folder or ZIP archive")
    parser.add_argument("--output", required=True, help="the single-file Setup to write")
    parser.add_argument("--package-version",
                        help="state this as the product version in the version resource (the carried package's)")
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
    try:
        if options.package_version is not None:
            setup = with_product_version(setup, options.package_version)
        packed = single_file_setup(setup, archive)
    except (ArchiveError, VersionResourceError) as error:
        raise SystemExit(f"Pack-Setup: {error}") from None
    output = os.path.abspath(options.output)
    os.makedirs(os.path.dirname(output), exist_ok=True)
    # Written under another name first: a failed run leaves no half a Setup.
    partial = f"{output}.partial-{os.getpid()}"
    try:
        with open(partial, "wb") as target:
            target.write(packed)
        os.replace(partial, output)
    finally:
        if os.path.exists(partial):
            os.remove(partial)
    print(f"Pack-Setup: {options.output} ({len(packed) - len(setup) - 16} bytes of package)")


if __name__ == "__main__":
    sys.exit(main())
