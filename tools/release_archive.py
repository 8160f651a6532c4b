"""Shared by the release tools: a package folder as a ZIP archive in memory,
with the package files at the archive's root."""
import io
import os
import zipfile


def zip_folder(folder):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        for root, _, files in sorted(os.walk(folder)):
            for name in sorted(files):
                path = os.path.join(root, name)
                archive.write(path, os.path.relpath(path, folder).replace(os.sep, "/"))
    return buffer.getvalue()
