"""Shared by the release tools: a package folder as a ZIP archive in memory,
with the package files at the archive's root, the single-file Setup made of a
Setup and such an archive, and the version texts Setup accepts from a release
server."""
import io
import os
import re
import struct
import zipfile

MAGIC = b"OLTPAYLD"
_END_RECORD = b"PK\x05\x06"
_END_RECORD_SIZE = 22


class ArchiveError(ValueError):
    pass

# 1 to 64 of 0-9 A-Z a-z . _ + -, and not "." or "..": what Setup takes.
_PLAIN_VERSION = re.compile(r"[0-9A-Za-z._+-]{1,64}")


def zip_folder(folder):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        for root, _, files in sorted(os.walk(folder)):
            for name in sorted(files):
                path = os.path.join(root, name)
                archive.write(path, os.path.relpath(path, folder).replace(os.sep, "/"))
    return buffer.getvalue()


def is_plain_version(text):
    return bool(_PLAIN_VERSION.fullmatch(text)) and text not in (".", "..")


def padded_to_eight(archive, setup_size):
    """The archive with its comment grown so that Setup, archive and trailer
    together fill whole multiples of 8 bytes, so that signing the whole adds
    no padding in front of the signature."""
    missing = -(setup_size + len(archive) + 16) % 8
    if missing == 0:
        return archive
    end = archive.rfind(_END_RECORD)
    if end < 0 or len(archive) - end < _END_RECORD_SIZE:
        raise ArchiveError("the package archive has no end record.")
    (comment_length,) = struct.unpack_from("<H", archive, end + 20)
    if end + _END_RECORD_SIZE + comment_length != len(archive) or comment_length + missing > 0xFFFF:
        raise ArchiveError("the package archive has data after its end record.")
    return (archive[:end + 20] + struct.pack("<H", comment_length + missing) + archive[end + 22:] +
            b" " * missing)


def single_file_setup(setup, archive):
    """Setup with the archive appended, then its length as 8 little-endian
    bytes and the 8 bytes MAGIC."""
    padded = padded_to_eight(archive, len(setup))
    return setup + padded + struct.pack("<Q", len(padded)) + MAGIC


def rooted(archive, top):
    """The archive with the one top-level folder `top` ("name/") taken off
    every entry, so that the scripts stand at its root."""
    if not top:
        return archive
    buffer = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(archive)) as source, zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as target:
        for entry in source.infolist():
            if entry.filename.startswith(top) and entry.filename != top and not entry.is_dir():
                target.writestr(entry.filename[len(top):], source.read(entry))
    return buffer.getvalue()
