#!/bin/sh
# Builds Setup.exe and installs the sample product with it under Wine the way
# users meet it: a plain Setup.exe alone in a folder, which gets the newest
# package from the release server (here a local one serving a published
# release). On your display you click through it; without a display it drives
# the install itself on a virtual one, saves a picture of each step and prints
# their paths. With --release-folder first, Setup.exe sits beside the package
# instead; with --single-file, the package is appended to Setup.exe; with
# --self-update, the server offers a newer Setup and the old one updates itself.
# Installs what is missing first (needs root for that). Other arguments are
# passed to Setup.exe when it runs on your display.
set -eu
cd "$(dirname "$0")/.."
layout=plain
case "${1:-}" in
  --single-file) layout=single-file; shift ;;
  --release-folder) layout=release-folder; shift ;;
  --self-update) layout=self-update; shift ;;
esac

tools/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test --target Setup SetupNext powershell_standin sample_package single_file_setup \
  drive_install drive_self_update
# The newest release as the release server would publish it, served on the
# test build's base URL while Setup runs. It names this very Setup and its
# version, so no newer Setup is offered, except for --self-update: then it
# names the same program one patch version ahead.
version=$(sed -n 's/^SETUP_VERSION:STRING=//p' build/test/CMakeCache.txt)
published_setup=build/test/bin/Setup.exe
if [ $layout = self-update ]; then
  version=$(echo "$version" | awk -F. '{ print $1 "." $2 "." $3 + 1 }')
  published_setup=build/test/bin/next/Setup.exe
fi
python3 tools/publish-release.py --setup "$published_setup" --setup-version "$version" \
  --package samples/package --package-version 2.4.0 --base-url http://127.0.0.1:18462 \
  --output build/demo/server >/dev/null
python3 tests/server/release_server.py --port 18462 --folder build/demo/server &
release_server=$!
bin=$PWD/build/test/bin
demo=$PWD/build/demo
prefix=$demo/wineprefix
release=$demo/release
export WINEPREFIX="$prefix" WINEDEBUG=-all

rm -rf "$release"
mkdir -p "$release"
case $layout in
  plain | self-update) cp "$bin/Setup.exe" "$release/" ;;
  single-file) cp "$bin/single-file/Setup.exe" "$release/" ;;
  release-folder) cp "$bin/Setup.exe" "$bin"/sample-package/* "$release/" ;;
esac
# There is no Windows PowerShell here: its stand-in runs the package scripts.
tools/prepare-prefix-with-powershell.sh "$prefix" "$bin/standin/powershell.exe"
x11_driver='HKCU\Software\Wine\X11 Driver'

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  # A real desktop has a window manager: let it frame the window.
  wine reg delete "$x11_driver" /v Managed /f >/dev/null 2>&1 || true
  trap 'kill $release_server 2>/dev/null || true' EXIT
  tools/wine-run.sh "$prefix" "$release/Setup.exe" "$@"
  exit
fi

. tools/virtual-display.sh
start_virtual_display
trap 'kill $release_server 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true; kill $virtual_display_pid 2>/dev/null || true' EXIT
wine reg add "$x11_driver" /v Managed /d N /f >/dev/null

pictures=$demo/pictures
rm -rf "$pictures"
mkdir -p "$pictures"
driver=drive_install
[ $layout = self-update ] && driver=drive_self_update
tools/wine-run.sh "$prefix" "$bin/$driver.exe" "$(winepath -w "$release/Setup.exe")" "$(winepath -w "$pictures")"
for bmp in "$pictures"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
  echo "Picture: ${bmp%.bmp}.png"
done
