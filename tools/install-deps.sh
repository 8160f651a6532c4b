#!/bin/sh
# Installs the Debian packages that the build, the tests and the main job need,
# when any of them is missing. Run as root.
set -eu

# Wine's CNG loads GnuTLS at run time for its elliptic curves.
packages="cmake ninja-build g++-mingw-w64-x86-64-posix googletest nlohmann-json3-dev libz-mingw-w64-dev osslsigncode openssl
  wine wine64 libgnutls30 xvfb x11-utils fonts-nanum imagemagick python3 unzip bc curl"

missing=""
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $package"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
