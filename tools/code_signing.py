"""Shared by the release tools: Authenticode signatures made with the
osslsigncode command, for Setup files and for the package's PowerShell
scripts (a machine whose policy allows only signed scripts runs no other)."""
import io
import os
import subprocess
import tempfile
import zipfile


class CodeSigningError(Exception):
    pass


def sign_file(path, cert, key):
    """Signs the file in place with the certificate and its private key (PEM)."""
    signed = path + ".signed"
    result = subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-h", "sha256", "-in", path,
                             "-out", signed], capture_output=True, text=True)
    if result.returncode != 0:
        if os.path.exists(signed):
            os.remove(signed)
        message = (result.stderr.strip() or result.stdout.strip() or "no message").splitlines()[-1]
        raise CodeSigningError(f"osslsigncode could not sign {os.path.basename(path)}: {message}")
    os.replace(signed, path)


def with_signed_scripts(archive, cert, key):
    """The package archive with every .ps1 in it signed."""
    buffer = io.BytesIO()
    with tempfile.TemporaryDirectory() as work, zipfile.ZipFile(io.BytesIO(archive)) as source, \
            zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as target:
        for number, entry in enumerate(source.infolist()):
            data = source.read(entry)
            if entry.filename.lower().endswith(".ps1"):
                script = os.path.join(work, f"{number}.ps1")
                with open(script, "wb") as out:
                    out.write(data)
                sign_file(script, cert, key)
                with open(script, "rb") as signed:
                    data = signed.read()
            target.writestr(entry, data)
    return buffer.getvalue()
