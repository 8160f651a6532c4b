#!/bin/sh
# Time to the first window: Setup (no release server, nothing installed)
# against its own dialog resource, font and manifest behind a procedure that
# does nothing, seven starts each in turn; prints the medians and their ratio.
# Uses the test build on a private display.
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test --target Setup bare_dialog window_start >/dev/null
bin=$PWD/build/test/bin
prefix=$PWD/build/bench/wineprefix

export WINEPREFIX="$prefix" WINEDEBUG=-all
[ -f "$prefix/.orlinth-configured" ] || tools/make-wine-prefix.sh "$prefix"
rm -rf "$prefix/drive_c/Program Files/Orlinth-Japanese"
. tools/virtual-display.sh
start_virtual_display
tools/wine-run.sh "$prefix" "$bin/window_start.exe" "$(winepath -w "$bin/Setup.exe")" \
  "$(winepath -w "$bin/bare_dialog.exe")"
