#!/bin/sh
# DownloadFile of a 500 MiB file from the local test release server against
# curl of the same file, and HashFileSha256 against sha256sum, each measured
# once in this run and given as a ratio. Needs no display.
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test --target network_bench >/dev/null
bin=$PWD/build/test/bin
work=$PWD/build/bench/network
prefix=$PWD/build/bench/wineprefix
rm -rf "$work"
mkdir -p "$work/served"
head -c $((500 * 1024 * 1024)) /dev/urandom > "$work/served/big.bin"

port=18473
python3 tests/server/release_server.py --port $port --folder "$work/served" &
server=$!
trap 'kill $server 2>/dev/null || true; WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT
sleep 1

seconds() { date +%s.%N; }
start=$(seconds)
curl -s -o "$work/curl.bin" "http://127.0.0.1:$port/big.bin"
curl_time=$(echo "$(seconds) - $start" | bc)
start=$(seconds)
sha256sum "$work/curl.bin" >/dev/null
sum_time=$(echo "$(seconds) - $start" | bc)

export WINEPREFIX="$prefix" WINEDEBUG=-all
[ -f "$prefix/.orlinth-configured" ] || tools/make-wine-prefix.sh "$prefix"
tools/wine-run.sh "$prefix" "$bin/network_bench.exe" "http://127.0.0.1:$port/big.bin" \
  "$(winepath -w "$work/setup.bin")" | tee "$work/result.txt"
download_time=$(awk '/^DownloadFile/ { print $2 }' "$work/result.txt")
hash_time=$(awk '/^HashFileSha256/ { print $2 }' "$work/result.txt")
cmp "$work/curl.bin" "$work/setup.bin"
echo "curl: $curl_time s; DownloadFile / curl: $(echo "scale=2; $download_time / $curl_time" | bc)"
echo "sha256sum: $sum_time s; HashFileSha256 / sha256sum: $(echo "scale=2; $hash_time / $sum_time" | bc)"
