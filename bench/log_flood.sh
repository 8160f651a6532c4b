#!/bin/sh
# Runs a package script that prints 200,000 lines through Setup and reports
# the lines per second shown in the log pane and the window's worst answer
# time to WM_NULL during the flood. Uses the test build; needs no display.
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test --target Setup powershell_standin sample_package flood_bench >/dev/null
bin=$PWD/build/test/bin
work=$PWD/build/bench/log-flood
prefix=$PWD/build/bench/wineprefix
rm -rf "$work"
mkdir -p "$work"
cp "$bin/Setup.exe" "$bin"/sample-package/* "$work/"
python3 - "$work/Install.ps1" <<'PY'
import sys
lines = ["param([string]$Language = '')"] + [f"Write-Host 'flood line {i:06d}'" for i in range(200000)]
open(sys.argv[1], "w", newline="\r\n").write("\n".join(lines) + "\n")
PY

export WINEPREFIX="$prefix" WINEDEBUG=-all
tools/prepare-prefix-with-powershell.sh "$prefix" "$bin/standin/powershell.exe"
rm -rf "$prefix/drive_c/Program Files/Orlinth-Japanese"

. tools/virtual-display.sh
start_virtual_display
tools/wine-run.sh "$prefix" "$bin/flood_bench.exe" "$(winepath -w "$work/Setup.exe")"
