#!/bin/sh
# Builds Setup and its tests and runs every test under Wine on a private X
# display. Installs what is missing first (needs root for that).
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh
# Another port lets a second checkout run its tests at the same time.
port="${ORLINTH_TEST_PORT:-18462}"
cmake --preset test -DSETUP_RELEASE_BASE_URL="http://127.0.0.1:$port" >/dev/null
cmake --build --preset test

# A private display, so test windows never land on the user's screen.
export WINEPREFIX="$PWD/build/test/wineprefix"
. tools/virtual-display.sh
start_virtual_display

# The test release server, on the port the test build's base URL names.
server_root="$PWD/build/test/server-root"
rm -rf "$server_root"
# Its forward proxy listens on the next port.
proxy_port=$((port + 1))
ready="$PWD/build/test/server-ready"
rm -f "$ready"
python3 tests/server/release_server.py --port "$port" --proxy-port "$proxy_port" --folder "$server_root" \
  --ready-file "$ready" &
server_pid=$!
trap 'kill $server_pid 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true; kill $virtual_display_pid 2>/dev/null || true' EXIT
# No test may start before both ports listen.
waited=0
until [ -f "$ready" ]; do
  kill -0 $server_pid 2>/dev/null || { echo "the test release server did not start" >&2; exit 1; }
  [ $waited -lt 300 ] || { echo "the test release server did not listen within 30 s" >&2; exit 1; }
  sleep 0.1
  waited=$((waited + 1))
done
export ORLINTH_TEST_SERVER_ROOT="$server_root"
export ORLINTH_TEST_PROXY_PORT="$proxy_port"

ctest --preset test "$@"
