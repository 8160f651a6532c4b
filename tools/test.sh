#!/bin/sh
# Builds Setup and its tests and runs every test under Wine on a private X
# display. Installs what is missing first (needs root for that).
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test

# A private display, so test windows never land on the user's screen.
display=:$((90 + $$ % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export WINEPREFIX="$PWD/build/test/wineprefix"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY="$display"

ctest --preset test "$@"
