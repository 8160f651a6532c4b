#!/bin/sh
# Builds Setup.exe and starts it under Wine: on your display when there is one;
# otherwise on a virtual display, where it saves a screenshot of the window,
# prints its path and closes Setup again. Installs what is missing first
# (needs root for that). Arguments are passed to Setup.exe.
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
setup=build/release/bin/Setup.exe
prefix=$PWD/build/release/wineprefix
export WINEPREFIX="$prefix" WINEDEBUG=-all
[ -f "$prefix/.orlinth-configured" ] || tools/make-wine-prefix.sh "$prefix"
x11_driver='HKCU\Software\Wine\X11 Driver'

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  # A real desktop has a window manager: let it frame the window.
  wine reg delete "$x11_driver" /v Managed /f >/dev/null 2>&1 || true
  exec tools/wine-run.sh "$prefix" "$setup" "$@"
fi

display=:$((190 + $$ % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY="$display"
trap 'wineserver -k >/dev/null 2>&1 || true; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
wine reg add "$x11_driver" /v Managed /d N /f >/dev/null

tools/wine-run.sh "$prefix" "$setup" "$@" &
window=""
for _ in $(seq 1 120); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Orlinth Setup \(/ { print $1; exit }')
  [ -n "$window" ] && break
  sleep 0.5
done
if [ -z "$window" ]; then
  echo "Setup's window did not appear." >&2
  exit 1
fi
sleep 2  # let it paint
mkdir -p build/screenshots
shot=$PWD/build/screenshots/setup-main.png
import -display "$display" -window "$window" "$shot"
echo "Screenshot of Setup's window: $shot"
