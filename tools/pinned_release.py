"""Shared by the release tools: the pinned installer of a release, a Setup
that carries its package and states that package's version, and the
package-manager manifests that point at it.

A package manager or device-management tool installs what it pins: the
pinned installer installs exactly its package (it asks the release server
only when it carries none), so a deployment gets the version its detection
rule expects.
"""
import hashlib
import os

from release_archive import rooted, single_file_setup
from version_resource import with_product_version

IDENTIFIER = "Orlinth.Japanese"
PRODUCT_CODE = "Orlinth-Japanese"  # the name of the uninstall entry
MANIFEST_VERSION = "1.6.0"
# Every exit code an unattended Setup ends with besides 0, as the package
# manager's manifest names them.
RETURN_CODES = ((3010, "rebootRequiredToFinish"), (1602, "cancelledByUser"), (1603, "contactSupport"),
                (1612, "noNetwork"), (1618, "installInProgress"), (1625, "blockedByPolicy"), (1638, "downgrade"),
                (1639, "invalidParameter"), (112, "diskFull"))


def pinned_name(package_version):
    return f"OrlinthSetup-Japanese-{package_version}.exe"


def pinned_installer(setup, archive, top, package_version):
    """The bytes of the pinned installer: Setup stating the package version
    as its product version, with the package (scripts at its root) appended."""
    return single_file_setup(with_product_version(setup, package_version), rooted(archive, top))


def winget_manifests(package_version, installer_url, installer_sha256):
    """The manifest set of the package manager for the pinned installer, as
    {file name: text}."""
    header = f"PackageIdentifier: {IDENTIFIER}\nPackageVersion: {package_version}\n"
    footer = f"ManifestVersion: {MANIFEST_VERSION}\n"
    codes = "".join(f"  - InstallerReturnCode: {code}\n    ReturnResponse: {response}\n"
                    for code, response in RETURN_CODES)
    installer = (
        header +
        "InstallerType: exe\n"
        "Scope: machine\n"
        "ElevationRequirement: elevationRequired\n"
        "InstallModes:\n  - silent\n  - silentWithProgress\n"
        "InstallerSwitches:\n"
        "  Silent: /quiet\n"
        "  SilentWithProgress: /passive\n"
        "  Log: /log:\"<LOGPATH>\"\n"
        "UpgradeBehavior: install\n"
        "ExpectedReturnCodes:\n" + codes +
        "Installers:\n"
        "  - Architecture: x64\n"
        f"    InstallerUrl: {installer_url}\n"
        f"    InstallerSha256: {installer_sha256.upper()}\n"
        f"    ProductCode: {PRODUCT_CODE}\n"
        "    AppsAndFeaturesEntries:\n"
        "      - DisplayName: Orlinth 일본어\n"
        "        Publisher: Orlinth\n"
        f"        DisplayVersion: {package_version}\n"
        f"        ProductCode: {PRODUCT_CODE}\n"
        "ManifestType: installer\n" + footer)
    locale = (header + "PackageLocale: ko-KR\nPublisher: Orlinth\nPackageName: Orlinth 일본어\n"
              "License: Proprietary\nShortDescription: Orlinth 일본어 히라가나/가타카나 입력기\n"
              "ManifestType: defaultLocale\n" + footer)
    version = header + "DefaultLocale: ko-KR\nManifestType: version\n" + footer
    return {f"{IDENTIFIER}.installer.yaml": installer, f"{IDENTIFIER}.locale.ko-KR.yaml": locale,
            f"{IDENTIFIER}.yaml": version}


def write_pinned_release(output, base_url, setup, archive, top, package_version, sign=None):
    """Writes the pinned installer (signed by `sign(path)` when given) and its
    manifests into `output`; returns the installer's name and SHA-256."""
    name = pinned_name(package_version)
    path = os.path.join(output, name)
    with open(path + ".new", "wb") as target:
        target.write(pinned_installer(setup, archive, top, package_version))
    if sign is not None:
        sign(path + ".new")
    os.replace(path + ".new", path)
    with open(path, "rb") as source:
        digest = hashlib.sha256(source.read()).hexdigest()
    folder = os.path.join(output, "winget", IDENTIFIER, package_version)
    os.makedirs(folder, exist_ok=True)
    for file_name, text in winget_manifests(package_version, f"{base_url}/{name}", digest).items():
        with open(os.path.join(folder, file_name), "w", encoding="utf-8", newline="\n") as target:
            target.write(text)
    with open(path + ".sha256", "w", encoding="ascii", newline="\n") as target:
        target.write(f"{digest}  {name}\n")
    return name, digest
