#!/bin/sh
# DownloadFile of a 500 MiB file from the local test release server (checked
# against its digest as it arrives) against the least a WinHTTP program does
# under the same Wine, directly and through the test proxy, with curl beside
# them; and HashFileSha256 against sha256sum. Each measured once in this run
# and given as a ratio. Needs no display.
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test --target network_bench winhttp_reader >/dev/null
bin=$PWD/build/test/bin
work=$PWD/build/bench/network
prefix=$PWD/build/bench/wineprefix
rm -rf "$work"
mkdir -p "$work/served"
head -c $((500 * 1024 * 1024)) /dev/urandom > "$work/served/big.bin"

port=18473
proxy_port=18474
python3 tests/server/release_server.py --port $port --proxy-port $proxy_port --folder "$work/served" &
server=$!
trap 'kill $server 2>/dev/null || true; WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT
sleep 1

seconds() { date +%s.%N; }
start=$(seconds)
curl -s -o "$work/curl.bin" "http://127.0.0.1:$port/big.bin"
curl_time=$(echo "$(seconds) - $start" | bc)
start=$(seconds)
digest=$(sha256sum "$work/curl.bin" | cut -d' ' -f1)
sum_time=$(echo "$(seconds) - $start" | bc)

export WINEPREFIX="$prefix" WINEDEBUG=-all
[ -f "$prefix/.orlinth-configured" ] || tools/make-wine-prefix.sh "$prefix"
wine_path() { winepath -w "$1"; }
# field FILE NAME: the seconds a program printed after "NAME:".
field() { awk -v name="$2:" '$1 == name { print $2 }' "$1"; }
ratio() { echo "scale=2; $1 / $2" | bc; }

for way in direct proxy; do
  extra=""
  [ "$way" = proxy ] && extra="127.0.0.1:$proxy_port"
  # shellcheck disable=SC2086
  tools/wine-run.sh "$prefix" "$bin/winhttp_reader.exe" 127.0.0.1 $port /big.bin "$(wine_path "$work/reader.bin")" \
    $extra > "$work/reader-$way.txt"
  cmp "$work/curl.bin" "$work/reader.bin"
  rm -f "$work/setup.bin"
  # shellcheck disable=SC2086
  tools/wine-run.sh "$prefix" "$bin/network_bench.exe" "http://127.0.0.1:$port/big.bin" \
    "$(wine_path "$work/setup.bin")" "$digest" $extra > "$work/setup-$way.txt"
  cmp "$work/curl.bin" "$work/setup.bin"
  reader=$(field "$work/reader-$way.txt" WinHttpReader)
  download=$(field "$work/setup-$way.txt" DownloadFile)
  echo "$way: WinHTTP reader $reader s, DownloadFile $download s; DownloadFile / reader: $(ratio "$download" "$reader")"
done
hash_time=$(field "$work/setup-direct.txt" HashFileSha256)
echo "curl: $curl_time s; DownloadFile / curl: $(ratio "$(field "$work/setup-direct.txt" DownloadFile)" "$curl_time")"
echo "sha256sum: $sum_time s; HashFileSha256 / sha256sum: $(ratio "$hash_time" "$sum_time") (a download needs no such pass)"
