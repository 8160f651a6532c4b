#!/usr/bin/env python3
"""Turns a built Setup.exe and an install package into a release folder that
any static web server can serve: the Setup, the package archive, the answer
of "/appLatest" (file "appLatest") with versions, addresses and lower-case
SHA-256 digests under the keys Setup reads, and the pinned installer
OrlinthSetup-Japanese-<package version>.exe (the Setup carrying that package,
stating its version) with its SHA-256 and package-manager manifests under
winget/.

    publish-release.py --setup Setup.exe --setup-version 1.0.19 \\
        --package FOLDER-OR-ZIP --package-version 2.4.0 \\
        --base-url http://127.0.0.1:18462 --output FOLDER \\
        [--signing-key KEY.pem [--signing-key NEXT.pem]] [--valid-days 30] \\
        [--code-signing-cert CERT.pem --code-signing-key KEY.pem]

With --code-signing-cert and --code-signing-key the package's PowerShell
scripts, the Setup and the pinned installer get Authenticode signatures
(osslsigncode). A manifest.json in the package must name --package-version:
it is what Setup records for a package it carries.

With --signing-key the answer also carries, in "signedPayload", the same
release members with a format name and the times it was issued and expires,
and in "signatures" one signature of that payload for each key. Builds that
carry release keys take only a signed answer that has not expired, so renew
it before then, without touching the release:

    publish-release.py --resign --signing-key KEY.pem [--trusted-key HEX] --valid-days 30 --output FOLDER

A renewal signs only a payload that one of the given keys (or a --trusted-key,
128 hex digits as the build takes them) signed, and only one issued no
earlier than the newest this publisher signed for the same server: that time
is kept per server in KEY.pem.published beside each signing key, written by
every publish and renewal. Anyone who can write the web folder can then
neither get a changed release signed nor an older one renewed.
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
from code_signing import CodeSigningError, sign_file, with_signed_scripts  # noqa: E402
from pinned_release import write_pinned_release  # noqa: E402
from release_archive import ArchiveError, is_plain_version, zip_folder  # noqa: E402
from release_json import loads as strict_loads  # noqa: E402
from release_signing import SigningError, check, is_hex, public_key_hex, sign, verifies  # noqa: E402

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


def manifest_version(archive, top):
    """The "version" the package's manifest.json names (what Setup records
    for a carried package), or None without one."""
    with zipfile.ZipFile(io.BytesIO(archive)) as zipped:
        names = {name.lower(): name for name in zipped.namelist()}
        name = names.get(top.lower() + "manifest.json")
        if name is None:
            return None
        try:
            found = strict_loads(zipped.read(name).decode("utf-8")).get("version")
        except (ValueError, AttributeError):
            found = None
    return found if isinstance(found, str) else ""


def compact(answer):
    # No blanks, and text as UTF-8 rather than \u escapes: the smallest answer.
    return json.dumps(answer, separators=(",", ":"), ensure_ascii=False)


def signed(release, keys, valid_days, now):
    """The answer for `release` (its members but "ok") with the payload that
    repeats them, dated from `now`, and its signatures by `keys`."""
    payload = compact({"ok": True, **release, "format": FORMAT, "issued": str(now),
                       "expires": str(now + valid_days * 86400)}).encode("utf-8")
    if len(payload) > PAYLOAD_LIMIT:
        raise SystemExit(f"publish-release: the signed payload would be {len(payload)} bytes; Setup reads at most "
                         f"{PAYLOAD_LIMIT}.")
    return {"ok": True, **release, "signedPayload": payload.hex(),
            "signatures": ",".join(sign(payload, key) for key in keys)}


def fail(message):
    raise SystemExit(f"publish-release: {message}")


def server_of(release):
    """The address the release is served from: what the newest-issued record
    is kept for."""
    return release[f"package{TAG}Url"].rsplit("/", 1)[0]


def state_paths(keys):
    return [key + ".published" for key in keys]


def newest_issued(keys, server):
    """The newest time this publisher signed a release for `server`, over the
    records beside every key given; 0 when there is none."""
    newest = 0
    for path in state_paths(keys):
        try:
            with open(path, encoding="utf-8") as source:
                record = strict_loads(source.read())
        except FileNotFoundError:
            continue
        except (OSError, ValueError) as error:
            fail(f"cannot read the publishing record {path}: {error}")
        issued = record.get(server) if isinstance(record, dict) else None
        if issued is not None and not (isinstance(issued, int) and issued >= 0):
            fail(f"the publishing record {path} is damaged; restore it from a backup.")
        newest = max(newest, issued or 0)
    return newest


def record_issued(keys, server, issued):
    for path in state_paths(keys):
        try:
            with open(path, encoding="utf-8") as source:
                record = strict_loads(source.read())
        except FileNotFoundError:
            record = {}
        record[server] = max(issued, record.get(server, 0))
        with open(path + ".new", "w", encoding="utf-8") as target:
            target.write(json.dumps(record, indent=1, sort_keys=True) + "\n")
        os.replace(path + ".new", path)


def published_release(folder, publics):
    """The release members and the issue time of the signed payload of the
    answer in `folder`, once one of `publics` verifies its signature; the
    outer members are never taken, for anyone who can write the folder could
    have put them there."""
    path = os.path.join(folder, "appLatest")
    try:
        with open(path, encoding="utf-8") as source:
            answer = strict_loads(source.read())
        payload_hex = answer.get("signedPayload") if isinstance(answer, dict) else None
        if not isinstance(payload_hex, str):
            fail(f"{path} carries no signed payload; publish the release with --signing-key first.")
        data = bytes.fromhex(payload_hex)
        signatures = answer.get("signatures")
        pieces = signatures.split(",") if isinstance(signatures, str) else []
        if not any(is_hex(piece) and verifies(data, piece, public) for piece in pieces[:2] for public in publics):
            fail(f"the signed payload of {path} does not verify with any key given; nothing was signed.")
        payload = strict_loads(data.decode("utf-8"))
    except (OSError, ValueError, TypeError, SigningError) as error:
        fail(f"cannot take the release from {path}: {error}")
    if (not isinstance(payload, dict) or payload.get("ok") is not True or payload.get("format") != FORMAT
            or not all(isinstance(payload.get(name), str) for name in RELEASE_MEMBERS)
            or not str(payload.get("issued", "")).isdigit()):
        fail(f'the signed payload of {path} is not a release of the format "{FORMAT}".')
    release = {name: value for name, value in payload.items()
               if name not in ("ok", "format", "issued", "expires")}
    return release, int(payload["issued"])


def resign(options, publics):
    trusted = publics + options.trusted_key
    release, issued = published_release(options.output, trusted)
    server = server_of(release)
    newest = newest_issued(options.signing_key, server)
    if issued < newest:
        fail(f"the signed payload in {options.output} was issued at {issued}, before the newest release signed "
             f"for {server} ({newest}): an older release was put back. Nothing was signed.")
    if newest == 0:
        print(f"publish-release: no record of an earlier release for {server}; recording this one.")
    now = max(int(time.time()), issued)
    path = write_answer(options.output, signed(release, options.signing_key, options.valid_days, now), publics)
    record_issued(options.signing_key, server, now)
    return path


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
                written = strict_loads(source.read())
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
              "       %(prog)s --resign --signing-key PEM [--signing-key PEM] [--trusted-key HEX] [--valid-days N] "
              "--output FOLDER")
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
    parser.add_argument("--code-signing-cert", metavar="PEM", help="Authenticode certificate for scripts and Setup")
    parser.add_argument("--code-signing-key", metavar="PEM", help="its private key")
    parser.add_argument("--resign", action="store_true",
                        help="renew the dates and signatures of the signed answer in --output, and nothing else")
    parser.add_argument("--trusted-key", action="append", default=[], metavar="HEX",
                        help="with --resign: a public key (128 hex digits) whose signature of the answer counts, "
                             "besides those of the signing keys")
    options = parser.parse_args()
    release_options = ("--setup", "--setup-version", "--package", "--package-version", "--base-url")
    given = [name for name in release_options if getattr(options, name[2:].replace("-", "_")) is not None]
    if options.resign:
        if not options.signing_key:
            parser.error("--resign needs --signing-key")
        if not all(is_hex(key) for key in options.trusted_key):
            parser.error("--trusted-key takes a public key of 128 lower-case hex digits")
        if given:
            parser.error("--resign keeps the release already in --output; leave out " + ", ".join(given))
    elif len(given) < len(release_options):
        parser.error("the following arguments are required: "
                     + ", ".join(name for name in release_options if name not in given))
    if len(options.signing_key) > 2:
        parser.error("--signing-key is given once, or twice while keys change")
    if (options.code_signing_cert is None) != (options.code_signing_key is None):
        parser.error("--code-signing-cert and --code-signing-key go together")
    if options.valid_days < 1:
        parser.error("--valid-days must be at least 1")
    try:
        # Before anything is written: every key must be one Setup can check.
        publics = [public_key_hex(key) for key in options.signing_key]
    except SigningError as error:
        raise SystemExit(f"publish-release: {error}") from None
    output = os.path.realpath(options.output)
    for path in state_paths(options.signing_key):
        if os.path.realpath(path).startswith(output + os.sep):
            fail(f"{path} would lie in the output folder, which the web server serves: keep the signing key "
                 "and its record elsewhere.")

    if options.resign:
        try:
            path = resign(options, publics)
        except (OSError, SigningError) as error:
            fail(error)
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
    named = manifest_version(archive, script_folder(archive))
    if named is not None and named != options.package_version:
        fail(f"the package's manifest.json names version '{named}', not --package-version "
             f"'{options.package_version}': the pinned installer would state one and install the other.")
    code_signing = (options.code_signing_cert, options.code_signing_key) if options.code_signing_cert else None
    sign_in_place = (lambda path: sign_file(path, *code_signing)) if code_signing else None
    os.makedirs(options.output, exist_ok=True)
    setup_name = f"OrlinthSetup-{options.setup_version}.exe"
    package_name = f"Orlinth-{TAG}-{options.package_version}.zip"
    setup_path = os.path.join(options.output, setup_name)
    try:
        if code_signing:
            archive = with_signed_scripts(archive, *code_signing)
        shutil.copyfile(options.setup, setup_path)
        if sign_in_place:
            sign_in_place(setup_path)
    except CodeSigningError as error:
        fail(error)
    with open(os.path.join(options.output, package_name), "wb") as target:
        target.write(archive)
    with open(setup_path, "rb") as source:
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
    with open(options.setup, "rb") as source:
        setup = source.read()
    try:
        pinned, pinned_digest = write_pinned_release(
            options.output, options.base_url, setup, archive, script_folder(archive), options.package_version,
            sign_in_place)
    except (ArchiveError, CodeSigningError, ValueError) as error:
        fail(f"cannot make the pinned installer: {error}")
    print(f"publish-release: pinned installer {pinned} sha256 {pinned_digest}")
    try:
        if publics:
            now = int(time.time())
            write_answer(options.output, signed(release, options.signing_key, options.valid_days, now), publics)
            record_issued(options.signing_key, server_of(release), now)
        else:
            write_answer(options.output, {"ok": True, **release})
    except SigningError as error:
        raise SystemExit(f"publish-release: {error}") from None
    print(f"publish-release: {options.output}")


if __name__ == "__main__":
    main()
