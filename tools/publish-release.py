#!/usr/bin/env python3
"""Turns a built Setup.exe and an install package into a release folder that
any static web server can serve: the Setup, the package archive, and the
answer of "/appLatest" (file "appLatest") with versions, addresses and
lower-case SHA-256 digests under the keys Setup reads.

    publish-release.py --setup Setup.exe --setup-version 1.0.19 \\
        --package FOLDER-OR-ZIP --package-version 2.4.0 \\
        --base-url http://127.0.0.1:18462 --output FOLDER
"""
import argparse
import hashlib
import io
import json
import os
import shutil
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from release_archive import is_plain_version, zip_folder  # noqa: E402

TAG = "Ja"
SCRIPTS = ("install.ps1", "imeinstallcommon.ps1")


def script_folder(archive):
    """Where Setup will find the scripts: the archive's root when it holds
    Install.ps1, else the one top-level folder that does. None when that
    folder lacks either script or is not the only candidate."""
    with zipfile.ZipFile(io.BytesIO(archive)) as zipped:
        names = {name.lower() for name in zipped.namelist()}
    if SCRIPTS[0] in names:
        return "" if SCRIPTS[1] in names else None
    tops = sorted({name.split("/")[0] + "/" for name in names if name.count("/") == 1 and name.endswith(SCRIPTS[0])})
    if len(tops) != 1 or tops[0] + SCRIPTS[1] not in names:
        return None
    return tops[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--setup", required=True)
    parser.add_argument("--setup-version", required=True)
    parser.add_argument("--package", required=True, help="package folder or ZIP archive")
    parser.add_argument("--package-version", required=True)
    parser.add_argument("--base-url", required=True, help="where the folder will be served, no trailing slash")
    parser.add_argument("--output", required=True)
    options = parser.parse_args()
    for version in (options.setup_version, options.package_version):
        if not is_plain_version(version):
            raise SystemExit(f"publish-release: Setup would refuse the version '{version}': use 1 to 64 of "
                             "0-9 A-Z a-z . _ + - (not '.' or '..').")

    if os.path.isdir(options.package):
        archive = zip_folder(options.package)
    else:
        with open(options.package, "rb") as source:
            archive = source.read()
    if not zipfile.is_zipfile(io.BytesIO(archive)) or script_folder(archive) is None:
        raise SystemExit("publish-release: the package needs Install.ps1 and ImeInstallCommon.ps1 side by side, at "
                         "its root or in its one top-level folder, where Setup looks for them.")

    os.makedirs(options.output, exist_ok=True)
    setup_name = f"OrlinthSetup-{options.setup_version}.exe"
    package_name = f"Orlinth-{TAG}-{options.package_version}.zip"
    shutil.copyfile(options.setup, os.path.join(options.output, setup_name))
    with open(os.path.join(options.output, package_name), "wb") as target:
        target.write(archive)
    with open(options.setup, "rb") as source:
        setup_digest = hashlib.sha256(source.read()).hexdigest()

    answer = {
        "ok": True,
        "setupVersion": options.setup_version,
        f"setup{TAG}Version": options.setup_version,
        f"setup{TAG}Url": f"{options.base_url}/{setup_name}",
        f"setup{TAG}Sha256": setup_digest,
        f"package{TAG}Version": options.package_version,
        f"package{TAG}Url": f"{options.base_url}/{package_name}",
        f"package{TAG}Sha256": hashlib.sha256(archive).hexdigest(),
    }
    # "ok":true with no blank: the form Setup recognises; UTF-8 as it is, for
    # Setup reads no \u escapes.
    with open(os.path.join(options.output, "appLatest"), "w", encoding="utf-8") as target:
        target.write(json.dumps(answer, separators=(",", ":"), ensure_ascii=False))
    print(f"publish-release: {options.output}")


if __name__ == "__main__":
    main()
