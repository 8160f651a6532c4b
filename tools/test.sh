#!/bin/sh
# Builds Setup and its tests and runs every test under Wine on a private X
# display. Installs what is missing first (needs root for that).
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test

# A private display, so test windows never land on the user's screen.
export WINEPREFIX="$PWD/build/test/wineprefix"
. tools/virtual-display.sh
start_virtual_display

ctest --preset test "$@"
