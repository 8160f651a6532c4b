#!/usr/bin/env python3
"""Turns a built Setup.exe and an install package into a release folder that
any static web server can serve: the Setup, the package archive, and the
answer of "/appLatest" (file "appLatest") with versions, addresses and
lower-case SHA-256 digests under the keys Setup reads.

    publish-release.py --setup Setup.exe --setup-version 1.0.19 \\
        --package FOLDER-OR-ZIP --package-version 2.4.0 \\
        --base-url http://127.0.0.1:18462 --output FOLDER \\
        [--signing-key KEY.pem [--signing-key NEXT.pem]] [--valid-days 30]

With --signing-key the answer also carries, in "signedPayload", the same
release members with a format name and the times it was issued and expires,
and in "signatures" one signature of that payload for each key. Builds that
carry release keys take only a signed answer that has not expired, so renew
it before then, without touching the release:

    publish-release.py --resign --signing-key KEY.pem --valid-days 30 --output FOLDER
"""
import argparse
import hashlib
import io
import json
import os
import shutil
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from release_archive import is_plain_version, zip_folder  # noqa: E402
from release_signing import SigningError, check, public_key_hex, sign  # noqa: E402

TAG = "Ja"
SCRIPTS = ("install.ps1", "imeinstallcommon.ps1")
RELEASE_MEMBERS = ("setupVersion", f"setup{TAG}Version", f"setup{TAG}Url", f"setup{TAG}Sha256",
                   f"package{TAG}Version", f"package{TAG}Url", f"package{TAG}Sha256")
FORMAT = "orlinth-appLatest-1"
PAYLOAD_LIMIT = 65536  # the most Setup reads of a signed payload


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


def compact(answer):
    # "ok":true with no blank: the form Setup recognises; UTF-8 as it is, for
    # Setup reads no \u escapes.
    return json.dumps(answer, separators=(",", ":"), ensure_ascii=False)


def signed(release, keys, valid_days):
    """The answer for `release` (its members but "ok") with the payload that
    repeats them, dated from now, and its signatures by `keys`."""
    now = int(time.time())
    payload = compact({"ok": True, **release, "format": FORMAT, "issued": str(now),
                       "expires": str(now + valid_days * 86400)}).encode("utf-8")
    if len(payload) > PAYLOAD_LIMIT:
        raise SystemExit(f"publish-release: the signed payload would be {len(payload)} bytes; Setup reads at most "
                         f"{PAYLOAD_LIMIT}.")
    return {"ok": True, **release, "signedPayload": payload.hex(),
            "signatures": ",".join(sign(payload, key) for key in keys)}


def published_release(folder):
    """The release members of the answer already in `folder`: from its signed
    payload when it has one, which is what keyed builds read."""
    path = os.path.join(folder, "appLatest")
    try:
        with open(path, encoding="utf-8") as source:
            answer = json.load(source)
        if isinstance(answer, dict) and "signedPayload" in answer:
            answer = json.loads(bytes.fromhex(answer["signedPayload"]).decode("utf-8"))
            if not isinstance(answer, dict) or answer.get("format") != FORMAT:
                raise ValueError(f'its payload is not of the format "{FORMAT}"')
    except (OSError, ValueError, TypeError) as error:
        raise SystemExit(f"publish-release: cannot take the release from {path}: {error}") from None
    if not isinstance(answer, dict) or answer.get("ok") is not True or not all(isinstance(answer.get(name), str) for name in RELEASE_MEMBERS):
        raise SystemExit(f"publish-release: {path} is not a release answer: it needs \"ok\":true and "
                         + ", ".join(RELEASE_MEMBERS) + ".")
    return {name: value for name, value in answer.items()
            if name not in ("ok", "format", "issued", "expires", "signedPayload", "signatures")}


def write_answer(folder, answer, publics=()):
    """Writes the answer whole or not at all, for a renewal may replace the
    answer of a live server; a signed one only once its signatures, read back
    from the file, verify with `publics`."""
    path = os.path.join(folder, "appLatest")
    with open(path + ".new", "w", encoding="utf-8") as target:
        target.write(compact(answer))
    try:
        if publics:
            with open(path + ".new", encoding="utf-8") as source:
                written = json.load(source)
            check(bytes.fromhex(written["signedPayload"]), written["signatures"].split(","), publics)
    except SigningError:
        os.remove(path + ".new")
        raise
    os.replace(path + ".new", path)
    return path


def main():
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter,
        usage="%(prog)s --setup EXE --setup-version V --package FOLDER-OR-ZIP --package-version V --base-url URL "
              "--output FOLDER [--signing-key PEM [--signing-key PEM]] [--valid-days N]\n"
              "       %(prog)s --resign --signing-key PEM [--signing-key PEM] [--valid-days N] --output FOLDER")
    parser.add_argument("--setup")
    parser.add_argument("--setup-version")
    parser.add_argument("--package", help="package folder or ZIP archive")
    parser.add_argument("--package-version")
    parser.add_argument("--base-url", help="where the folder will be served, no trailing slash")
    parser.add_argument("--output", required=True)
    parser.add_argument("--signing-key", action="append", default=[], metavar="PEM",
                        help="P-256 private key to sign the answer with; give a second while keys change")
    parser.add_argument("--valid-days", type=int, default=30, metavar="N",
                        help="days the signed answer stays valid (default 30)")
    parser.add_argument("--resign", action="store_true",
                        help="renew the dates and signatures of the answer in --output, and nothing else")
    options = parser.parse_args()
    release_options = ("--setup", "--setup-version", "--package", "--package-version", "--base-url")
    given = [name for name in release_options if getattr(options, name[2:].replace("-", "_")) is not None]
    if options.resign:
        if not options.signing_key:
            parser.error("--resign needs --signing-key")
        if given:
            parser.error("--resign keeps the release already in --output; leave out " + ", ".join(given))
    elif len(given) < len(release_options):
        parser.error("the following arguments are required: "
                     + ", ".join(name for name in release_options if name not in given))
    if len(options.signing_key) > 2:
        parser.error("--signing-key is given once, or twice while keys change")
    if options.valid_days < 1:
        parser.error("--valid-days must be at least 1")
    try:
        # Before anything is written: every key must be one Setup can check.
        publics = [public_key_hex(key) for key in options.signing_key]
    except SigningError as error:
        raise SystemExit(f"publish-release: {error}") from None

    if options.resign:
        try:
            path = write_answer(options.output, signed(published_release(options.output), options.signing_key,
                                                       options.valid_days), publics)
        except SigningError as error:
            raise SystemExit(f"publish-release: {error}") from None
        print(f"publish-release: re-signed {path}")
        return
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

    release = {
        "setupVersion": options.setup_version,
        f"setup{TAG}Version": options.setup_version,
        f"setup{TAG}Url": f"{options.base_url}/{setup_name}",
        f"setup{TAG}Sha256": setup_digest,
        f"package{TAG}Version": options.package_version,
        f"package{TAG}Url": f"{options.base_url}/{package_name}",
        f"package{TAG}Sha256": hashlib.sha256(archive).hexdigest(),
    }
    try:
        if publics:
            write_answer(options.output, signed(release, options.signing_key, options.valid_days), publics)
        else:
            write_answer(options.output, {"ok": True, **release})
    except SigningError as error:
        raise SystemExit(f"publish-release: {error}") from None
    print(f"publish-release: {options.output}")


if __name__ == "__main__":
    main()
