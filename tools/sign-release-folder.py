#!/usr/bin/env python3
"""Signs the file list of a release folder, so that a keyed Setup can tell
the package files beside it are the ones released. Writes into the folder
package.sha256: "# orlinth-package-1 VERSION", then one line per file as
sha256sum prints it (digest, two blanks, path with /), sorted by path; every
file in the folder and below is listed except Setup.exe and the two list
files at its top. And package.sha256.sig: one signature a line, over the
exact bytes of package.sha256.

    sign-release-folder.py FOLDER --signing-key KEY.pem [--signing-key NEXT.pem] [--package-version 2.4.0]

Without --package-version the version is the "version" of FOLDER/manifest.json.
Symbolic links are refused: Setup would not follow them.
"""
import argparse
import hashlib
import os
import stat
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from release_archive import is_plain_version  # noqa: E402
from release_json import loads as strict_loads  # noqa: E402
from release_signing import SigningError, check, public_key_hex, sign  # noqa: E402

LIST = "package.sha256"
SIGNATURES = LIST + ".sig"
HEADER = "# orlinth-package-1 "
UNLISTED = ("setup.exe", LIST, SIGNATURES)  # at the folder's top, in any letter case


def fail(message):
    raise SystemExit(f"sign-release-folder: {message}")


def listed_files(folder):
    """The paths, relative and with /, of the files to list, sorted."""
    found = []
    for root, directories, files in os.walk(folder, onerror=lambda error: fail(f"cannot read {error.filename}: "
                                                                            f"{error.strerror}")):
        for name in directories + files:
            path = os.path.join(root, name)
            relative = os.path.relpath(path, folder).replace(os.sep, "/")
            mode = os.lstat(path).st_mode
            if stat.S_ISLNK(mode):
                fail(f"{relative} is a symbolic link; put the file itself there.")
            if name in directories or (root == folder and name.lower() in UNLISTED):
                continue
            if not stat.S_ISREG(mode):
                fail(f"{relative} is not a regular file.")
            try:
                relative.encode("utf-8")
            except UnicodeEncodeError:
                fail(f"{relative!r} is not a UTF-8 name.")
            if "\n" in relative or "\\" in relative:
                fail(f"{relative!r} cannot stand on a line of the list.")
            found.append(relative)
    return sorted(found, key=lambda relative: relative.encode("utf-8"))


def file_digest(path):
    digest = hashlib.sha256()
    with open(path, "rb") as source:
        for block in iter(lambda: source.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def manifest_version(folder):
    path = os.path.join(folder, "manifest.json")
    try:
        with open(path, encoding="utf-8-sig") as source:
            manifest = strict_loads(source.read())
    except FileNotFoundError:
        manifest = None
    except (OSError, ValueError) as error:
        fail(f"cannot read {path}: {error}")
    version = manifest.get("version") if isinstance(manifest, dict) else None
    if not isinstance(version, str):
        fail(f'give --package-version: {path} names no "version".')
    return version


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder", metavar="FOLDER")
    parser.add_argument("--signing-key", action="append", required=True, metavar="PEM",
                        help="P-256 private key to sign the list with; give a second while keys change")
    parser.add_argument("--package-version", help="default: the \"version\" of FOLDER/manifest.json")
    options = parser.parse_args()
    if len(options.signing_key) > 2:
        parser.error("--signing-key is given once, or twice while keys change")
    if not os.path.isdir(options.folder):
        fail(f"{options.folder} is not a folder.")
    version = options.package_version if options.package_version is not None else manifest_version(options.folder)
    if not is_plain_version(version):
        fail(f"Setup would refuse the version '{version}': use 1 to 64 of 0-9 A-Z a-z . _ + - (not '.' or '..').")

    try:
        publics = [public_key_hex(key) for key in options.signing_key]
        lines = [HEADER + version] + [f"{file_digest(os.path.join(options.folder, relative))}  {relative}"
                                      for relative in listed_files(options.folder)]
        listing = "".join(line + "\n" for line in lines).encode("utf-8")
        signatures = [sign(listing, key) for key in options.signing_key]
        with open(os.path.join(options.folder, LIST), "wb") as target:
            target.write(listing)
        with open(os.path.join(options.folder, SIGNATURES), "wb") as target:
            target.write("".join(signature + "\n" for signature in signatures).encode("ascii"))
        # What Setup will read: the files as written.
        with open(os.path.join(options.folder, LIST), "rb") as source:
            listing = source.read()
        with open(os.path.join(options.folder, SIGNATURES), "rb") as source:
            check(listing, source.read().decode("ascii").splitlines(), publics)
    except SigningError as error:
        fail(error)
    print(f"sign-release-folder: {len(lines) - 1} files listed in {os.path.join(options.folder, LIST)}")


if __name__ == "__main__":
    main()
