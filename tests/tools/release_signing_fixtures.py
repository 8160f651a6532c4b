#!/usr/bin/env python3
"""Makes the signed releases of the tests, as a release engineer would: three
throwaway P-256 keys from openssl, of which a keyed test build carries a and
b but not c, release folders published with each and with both a and b, and
a package folder whose file list is signed with a.

    release_signing_fixtures.py --setup Setup.exe --package FOLDER --base-url URL --output FOLDER

Writes into the output folder, which it clears first: a.pem, b.pem, c.pem;
keys.txt ("<a>;<b>", the value of SETUP_RELEASE_KEYS) and c.txt (c), public
keys in hex without a line end; signed-a/, signed-b/, signed-c/ and
signed-ab/ from publish-release.py (of a copy of the package whose
manifest names 2.4.0-signed); pinned/, the release of the package as it is
(2.4.0) with code-signing-cert.pem and code-signing-key.pem, a throwaway
Authenticode certificate, whose pinned installer the tests run; signed-a-escaped/, whose answer and
payload (signed with a) write every "/" as "\\/" and blanks around colons
and commas, as other serializers do, and signed-a-duplicate/, whose payload
(signed with a) names packageJaUrl twice; release-folder/ (the package and
docs/readme.txt) from sign-release-folder.py; and last the stamp file "done".
"""
import argparse
import json
import os
import shutil
import subprocess
import sys

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
sys.path.insert(0, TOOLS)
from release_signing import public_key_hex, sign  # noqa: E402


def run(*command):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        raise SystemExit(f"{command[0]} {command[1]} failed: {result.stdout}{result.stderr}")


def rewritten(source, target, write, key, write_answer=json.dumps):
    """A copy of the published release in `source` whose signed payload is
    written by `write` and its answer by `write_answer` (from their members),
    signed with `key`."""
    shutil.copytree(source, target)
    path = os.path.join(target, "appLatest")
    with open(path, encoding="utf-8") as answer_file:
        answer = json.load(answer_file)
    payload = write(json.loads(bytes.fromhex(answer.pop("signedPayload")))).encode("utf-8")
    answer.pop("signatures")
    outer = write_answer(answer)[:-1] + f', "signedPayload" : "{payload.hex()}", "signatures" : "{sign(payload, key)}"}}'
    with open(path, "w", encoding="utf-8") as answer_file:
        answer_file.write(outer)


def escaped(members):
    return json.dumps(members, separators=(" , ", " : ")).replace("/", "\\/")


def with_second_url(members):
    return json.dumps(members)[:-1] + ', "packageJaUrl": "http://127.0.0.1:9/other.zip"}'


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--setup", required=True)
    parser.add_argument("--package", required=True)
    parser.add_argument("--base-url", required=True)
    parser.add_argument("--output", required=True)
    options = parser.parse_args()
    shutil.rmtree(options.output, ignore_errors=True)
    os.makedirs(options.output)

    def output(*names):
        return os.path.join(options.output, *names)

    keys = {name: output(f"{name}.pem") for name in "abc"}
    run("openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", keys["a"])
    # b in the other form openssl writes, so that a build checks both are taken.
    run("openssl", "genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-out", keys["b"])
    run("openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", keys["c"])
    with open(output("keys.txt"), "w", encoding="ascii") as target:
        target.write(public_key_hex(keys["a"]) + ";" + public_key_hex(keys["b"]))
    with open(output("c.txt"), "w", encoding="ascii") as target:
        target.write(public_key_hex(keys["c"]))

    publish = [sys.executable, os.path.join(TOOLS, "publish-release.py"), "--setup", options.setup,
               "--setup-version", "1.0.19", "--base-url", options.base_url]
    signed_package = output("package-2.4.0-signed")
    shutil.copytree(options.package, signed_package)
    with open(os.path.join(signed_package, "manifest.json"), "w", encoding="utf-8") as target:
        json.dump({"name": "Orlinth-Japanese", "version": "2.4.0-signed"}, target)
    for signers in ("a", "b", "c", "ab"):
        signing = [argument for name in signers for argument in ("--signing-key", keys[name])]
        run(*publish, "--package", signed_package, "--package-version", "2.4.0-signed",
            "--output", output(f"signed-{signers}"), *signing)
    # Code-signed: the pinned installer of the sample package, with signed scripts.
    cert, key = output("code-signing-cert.pem"), output("code-signing-key.pem")
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "3650",
        "-subj", "/CN=Orlinth Setup test signing", "-addext", "extendedKeyUsage=codeSigning")
    run(*publish, "--package", options.package, "--package-version", "2.4.0", "--output", output("pinned"),
        "--code-signing-cert", cert, "--code-signing-key", key)

    rewritten(output("signed-a"), output("signed-a-escaped"), escaped, keys["a"], escaped)
    rewritten(output("signed-a"), output("signed-a-duplicate"), with_second_url, keys["a"])

    shutil.copytree(options.package, output("release-folder"))
    # A listed file in a folder of its own, for links on the way to a file.
    os.makedirs(output("release-folder", "docs"))
    with open(output("release-folder", "docs", "readme.txt"), "w", encoding="ascii") as target:
        target.write("read me\n")
    run(sys.executable, os.path.join(TOOLS, "sign-release-folder.py"), output("release-folder"),
        "--signing-key", keys["a"], "--package-version", "2.4.0")

    with open(output("done"), "w", encoding="ascii"):
        pass


if __name__ == "__main__":
    main()
