#!/bin/sh
# Runs a Windows program of the build under Wine in the given prefix, making
# and configuring the prefix first when it is new.
#   wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1
shift

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko download prompts.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

mkdir -p "$(dirname "$prefix")"
flock "$prefix.lock" "$here/make-wine-prefix.sh" "$prefix"
exec wine "$@"
