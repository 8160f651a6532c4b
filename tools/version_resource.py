#!/usr/bin/env python3
"""Shared by the build and the release tools: the product version a built
Setup states in its version resource, rewritten in place. The build gives the
"ProductVersion" string a slot of 64 characters (the longest version Setup
takes), so that a pinned installer can state the version of the package it
carries without the resource moving or growing.

    version_resource.py --product-version 1.0.19 Setup.exe
"""
import argparse
import re
import struct
import sys

SLOT = 64
_KEY = "ProductVersion".encode("utf-16-le") + b"\0\0"
_FIXED_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


class VersionResourceError(ValueError):
    pass


def _numbers(version):
    """The first three numbers of a version text, 0 where there are none."""
    parts = [int(found) for found in re.findall(r"\d+", version.split("-")[0].split("+")[0])[:3]]
    return [min(part, 0xFFFF) for part in parts + [0] * (3 - len(parts))]


def _string_slot(image):
    """Where the ProductVersion value lies: its header's offset, the value's
    offset and its room in characters (the terminating NUL included)."""
    if image.count(_KEY) != 1:
        raise VersionResourceError("the file has no version resource with one ProductVersion string")
    key = image.index(_KEY)
    header = key - 6
    length, _, kind = struct.unpack_from("<HHH", image, header)
    value = (key + len(_KEY) + 3) & ~3
    room = (header + length - value) // 2
    if kind != 1 or room < 1:
        raise VersionResourceError("the ProductVersion string is not a text value")
    return header, value, room


def product_version(image):
    """The ProductVersion string as Windows reads it."""
    header, value, _ = _string_slot(image)
    chars = struct.unpack_from("<H", image, header + 2)[0]
    return image[value:value + 2 * chars].decode("utf-16-le").rstrip("\0")


def with_product_version(image, version):
    """The image stating `version` as its product version, in the string and
    in the fixed numbers (major.minor.patch.0)."""
    if len(version) >= SLOT + 1 or not version:
        raise VersionResourceError(f"a product version is 1 to {SLOT} characters, not '{version}'")
    header, value, room = _string_slot(image)
    if len(version) + 1 > room:
        raise VersionResourceError(f"the version resource has room for {room - 1} characters only")
    patched = bytearray(image)
    text = (version + "\0" * (room - len(version))).encode("utf-16-le")
    patched[value:value + len(text)] = text
    struct.pack_into("<H", patched, header + 2, len(version) + 1)
    fixed = image.find(_FIXED_SIGNATURE)
    if fixed < 0 or image.find(_FIXED_SIGNATURE, fixed + 1) >= 0:
        raise VersionResourceError("the file has no single VS_FIXEDFILEINFO")
    major, minor, patch = _numbers(version)
    struct.pack_into("<II", patched, fixed + 16, (major << 16) | minor, patch << 16)
    return bytes(patched)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--product-version", required=True)
    parser.add_argument("image")
    options = parser.parse_args()
    try:
        with open(options.image, "rb") as source:
            image = source.read()
        patched = with_product_version(image, options.product_version)
    except (OSError, VersionResourceError) as error:
        raise SystemExit(f"version_resource: {error}") from None
    if patched != image:
        with open(options.image, "wb") as target:
            target.write(patched)


if __name__ == "__main__":
    sys.exit(main())
