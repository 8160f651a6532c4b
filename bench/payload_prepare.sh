#!/bin/sh
# Prepares a 200 MiB payload of a single-file Setup (copy out and extract,
# then a second run that finds the cache) and compares the first run with cp
# plus unzip of the same archive on this machine. Needs no display.
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test --target Setup powershell_standin payload_bench >/dev/null
bin=$PWD/build/test/bin
work=$PWD/build/bench/payload
prefix=$PWD/build/bench/wineprefix
rm -rf "$work"
mkdir -p "$work/package"
cp samples/package/* "$work/package/"
# 200 MiB of product files that compress about as little as real binaries.
python3 - "$work/package" <<'PY'
import os, sys
for i in range(4):
    with open(os.path.join(sys.argv[1], f"payload-{i}.bin"), "wb") as out:
        out.write(os.urandom(50 * 1024 * 1024))
PY
python3 tools/pack-setup.py --setup "$bin/Setup.exe" --package "$work/package" --output "$work/Setup.exe" >/dev/null
size=$(stat -c %s "$work/Setup.exe")
tail -c 16 "$work/Setup.exe" | head -c 8 > "$work/length.bin"
length=$(od -An -t u8 "$work/length.bin" | tr -d ' ')
tail -c $((length + 16)) "$work/Setup.exe" | head -c "$length" > "$work/payload.zip"

start=$(date +%s.%N)
cp "$work/payload.zip" "$work/copy.zip"
unzip -q "$work/copy.zip" -d "$work/unzipped"
end=$(date +%s.%N)
native=$(echo "$end - $start" | bc)
echo "cp + unzip on this machine: $native s (archive of $length bytes in a $size-byte Setup)"

export WINEPREFIX="$prefix" WINEDEBUG=-all
tools/prepare-prefix-with-powershell.sh "$prefix" "$bin/standin/powershell.exe"
rm -rf "$prefix/drive_c/ProgramData/Orlinth-Japanese-Setup/setup-cache"
tools/wine-run.sh "$prefix" "$bin/payload_bench.exe" "$(winepath -w "$work/Setup.exe")" | tee "$work/result.txt"
first=$(awk '/first run/ { print $(NF-1) }' "$work/result.txt")
second=$(awk '/second run/ { print $(NF-1) }' "$work/result.txt")
echo "first run / (cp + unzip): $(echo "scale=2; $first / $native" | bc)"
echo "second run / (cp + unzip): $(echo "scale=4; $second / $native" | bc)"
