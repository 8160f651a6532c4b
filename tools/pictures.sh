#!/bin/sh
# Takes pictures of Setup's windows on a virtual display, for a person to look
# at: the main window in the light and the dark theme and in high contrast, in
# every installation situation with the log collapsed and expanded, with the
# focus on each of its controls, at 144 and 192 DPI on a 1366x768 screen, and
# the open-source notices dialog. Writes PNG files to build/pictures/ and prints
# their paths. Installs what is missing first (needs root for that).
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh
# The same release server address as the test command, so nothing is rebuilt.
cmake --preset test -DSETUP_RELEASE_BASE_URL="http://127.0.0.1:${ORLINTH_TEST_PORT:-18462}" >/dev/null
cmake --build --preset test --target Setup take_pictures
bin=$PWD/build/test/bin
out=$PWD/build/pictures
prefix=$out/wineprefix
export WINEPREFIX="$prefix" WINEDEBUG=-all

. tools/virtual-display.sh
start_virtual_display

rm -f "$out"/*.png "$out"/*.bmp
mkdir -p "$out"
personalize='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
status=0
# Setup decides light or dark from the user's app theme: 1 light, 0 dark.
for theme in light dark high-contrast; do
  case $theme in light) value=1 ;; *) value=0 ;; esac
  tools/wine-run.sh "$prefix" reg add "$personalize" /v AppsUseLightTheme /t REG_DWORD /d $value /f >/dev/null
  tools/wine-run.sh "$prefix" "$bin/take_pictures.exe" "$(winepath -w "$bin/Setup.exe")" \
    "$(winepath -w "$out")" $theme >/dev/null || status=1
done
# The same window at 150 % and 200 %: this Wine takes its DPI from the
# prefix's LogPixels when it starts.
desktop='HKCU\Control Panel\Desktop'
tools/wine-run.sh "$prefix" reg add "$personalize" /v AppsUseLightTheme /t REG_DWORD /d 1 /f >/dev/null
for dpi in 144 192; do
  tools/wine-run.sh "$prefix" reg add "$desktop" /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null
  wineserver -k >/dev/null 2>&1 || true
  tools/wine-run.sh "$prefix" "$bin/take_pictures.exe" "$(winepath -w "$bin/Setup.exe")" \
    "$(winepath -w "$out")" light-${dpi}dpi scaled >/dev/null || status=1
done
tools/wine-run.sh "$prefix" reg add "$desktop" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null
wineserver -k >/dev/null 2>&1 || true
for bmp in "$out"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
  echo "Picture: ${bmp%.bmp}.png"
done
exit $status
