#!/usr/bin/env python3
"""Shared by the release tools: ECDSA signatures on P-256 with SHA-256, made
and checked with the openssl command, in the form Setup reads. A public key
is the 128 hex digits of its point, X then Y; a signature is the 128 hex
digits of r then s, 32 bytes each.

    release_signing.py public-key KEY.pem

prints the public key of a private key in that form, for SETUP_RELEASE_KEYS.
"""
import base64
import os
import subprocess
import sys
import tempfile

# The DER of a P-256 public key (id-ecPublicKey, curve prime256v1) up to and
# with the 04 that opens its uncompressed point.
_PUBLIC_KEY_PREFIX = bytes.fromhex("3059301306072a8648ce3d020106082a8648ce3d03010703420004")
# The order of the P-256 group: r and s of a valid signature lie below it.
_ORDER = 0xFFFFFFFF00000000FFFFFFFFFFFFFFFFBCE6FAADA7179E84F3B9CAC2FC632551
_HEX = set("0123456789abcdef")


class SigningError(Exception):
    pass


def is_hex(text, digits=128):
    return isinstance(text, str) and len(text) == digits and set(text) <= _HEX


def _openssl(*arguments, data=b""):
    try:
        result = subprocess.run(("openssl",) + arguments, input=data, capture_output=True)
    except OSError as error:
        raise SigningError(f"cannot run openssl: {error}") from error
    if result.returncode != 0:
        # The first line says what went wrong; the rest is openssl's own trace.
        message = (result.stderr.decode(errors="replace").strip().splitlines() or ["no message"])[0]
        raise SigningError(f"openssl {arguments[0]} failed: {message}")
    return result.stdout


def _der_item(data, tag):
    """The content of the item with `tag` that opens `data`, and what follows
    it. Only short lengths: no part of a P-256 signature needs a long one."""
    if len(data) < 2 or data[0] != tag or data[1] > 0x7F or len(data) < 2 + data[1]:
        raise SigningError(f"not a DER ECDSA signature: expected a well-formed item of type {tag:#04x}")
    return data[2:2 + data[1]], data[2 + data[1]:]


def signature_hex(der):
    """r and s of a DER SEQUENCE { INTEGER r, INTEGER s } as 128 hex digits.
    Anything else, trailing bytes or integers that are not minimal or not in
    1..n-1 included, is refused."""
    body, rest = _der_item(der, 0x30)
    numbers = []
    for _ in range(2):
        value, body = _der_item(body, 0x02)
        if not value or value[0] & 0x80 or (len(value) > 1 and value[0] == 0 and not value[1] & 0x80):
            raise SigningError("not a DER ECDSA signature: an INTEGER is negative or not minimal")
        number = int.from_bytes(value, "big")
        if not 0 < number < _ORDER:
            raise SigningError("not a P-256 signature: r or s out of range")
        numbers.append(number)
    if body or rest:
        raise SigningError("not a DER ECDSA signature: bytes after its two INTEGERs")
    return "".join(number.to_bytes(32, "big").hex() for number in numbers)


def signature_der(signature):
    """The DER form openssl reads of a signature in 128 hex digits."""
    if not is_hex(signature):
        raise SigningError(f"a signature is 128 lower-case hex digits, not '{signature}'")
    items = b""
    for half in (signature[:64], signature[64:]):
        value = bytes.fromhex(half).lstrip(b"\0") or b"\0"
        if value[0] & 0x80:
            value = b"\0" + value
        items += bytes((0x02, len(value))) + value
    return bytes((0x30, len(items))) + items


def public_key_hex(key):
    """The public key of the private key in PEM file `key` (either form openssl
    writes) as 128 hex digits; refused unless it is a P-256 key."""
    der = _openssl("pkey", "-in", key, "-pubout", "-outform", "DER")
    if len(der) != len(_PUBLIC_KEY_PREFIX) + 64 or not der.startswith(_PUBLIC_KEY_PREFIX):
        raise SigningError(f"{key} is not a P-256 (prime256v1) key")
    return der[len(_PUBLIC_KEY_PREFIX):].hex()


def public_key_pem(public):
    if not is_hex(public):
        raise SigningError(f"a public key is 128 lower-case hex digits, not '{public}'")
    text = base64.b64encode(_PUBLIC_KEY_PREFIX + bytes.fromhex(public)).decode("ascii")
    return "-----BEGIN PUBLIC KEY-----\n" + text + "\n-----END PUBLIC KEY-----\n"


def sign(data, key):
    return signature_hex(_openssl("dgst", "-sha256", "-sign", key, data=data))


def verifies(data, signature, public):
    """Whether openssl takes `signature` (hex) over `data` for `public` (hex)."""
    with tempfile.TemporaryDirectory() as work:
        key, der = os.path.join(work, "key.pem"), os.path.join(work, "signature.der")
        with open(key, "w", encoding="ascii") as target:
            target.write(public_key_pem(public))
        with open(der, "wb") as target:
            target.write(signature_der(signature))
        result = subprocess.run(["openssl", "dgst", "-sha256", "-verify", key, "-signature", der],
                                input=data, capture_output=True)
    return result.returncode == 0


def check(data, signatures, publics):
    """Refuses unless there is one signature for each public key, in order,
    and each verifies over `data`."""
    if len(signatures) != len(publics):
        raise SigningError(f"{len(signatures)} signatures written for {len(publics)} keys")
    for number, (signature, public) in enumerate(zip(signatures, publics), 1):
        if not verifies(data, signature, public):
            raise SigningError(f"signature {number} does not verify with its key {public}")


def main():
    if len(sys.argv) != 3 or sys.argv[1] != "public-key":
        raise SystemExit("usage: release_signing.py public-key KEY.pem")
    try:
        print(public_key_hex(sys.argv[2]))
    except SigningError as error:
        raise SystemExit(f"release_signing: {error}") from None


if __name__ == "__main__":
    main()
