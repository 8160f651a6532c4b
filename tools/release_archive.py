"""Shared by the release tools: a package folder as a ZIP archive in memory,
with the package files at the archive's root, and the version texts Setup
accepts from a release server."""
import io
import os
import re
import zipfile

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
