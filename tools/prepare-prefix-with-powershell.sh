#!/bin/sh
# Makes a Wine prefix (when new) and puts the PowerShell stand-in where Windows
# keeps PowerShell, so Setup can run package scripts in it.
#   prepare-prefix-with-powershell.sh PREFIX STAND-IN.exe
set -eu
prefix=$1
standin=$2
[ -f "$prefix/.orlinth-configured" ] || "$(dirname "$0")/make-wine-prefix.sh" "$prefix"
system32=$prefix/drive_c/windows/system32
mkdir -p "$system32/WindowsPowerShell/v1.0"
cp "$standin" "$system32/WindowsPowerShell/v1.0/powershell.exe"
cp "$standin" "$system32/powershell.exe"
