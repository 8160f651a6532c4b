#!/bin/sh
# Makes and configures a Wine prefix for Setup: Korean fonts behind the faces
# the dialogs ask for, and no crash dialog that would hang a test.
#   make-wine-prefix.sh PREFIX
set -eu
prefix=$1
# Raised whenever what follows changes, so older prefixes are set up again.
configuration=2
marker=$prefix/.orlinth-configured
[ "$(cat "$marker" 2>/dev/null)" = "$configuration" ] && exit 0

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
echo "Making the Wine prefix $prefix" >&2
wineboot -i >/dev/null 2>&1

substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
wine reg add "$substitutes" /v "Segoe UI" /d NanumGothic /f >/dev/null
wine reg add "$substitutes" /v "MS Shell Dlg" /d NanumGothic /f >/dev/null
wine reg add "$substitutes" /v "MS Shell Dlg 2" /d NanumGothic /f >/dev/null
wine reg add "$substitutes" /v "Consolas" /d NanumGothicCoding /f >/dev/null
# Wine draws the caption buttons of the frames it paints with its Marlett
# font, which this Wine does not find by itself: without it the close box
# shows a letter instead of its cross.
for marlett in /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf; do
  if [ -f "$marlett" ]; then
    cp "$marlett" "$prefix/drive_c/windows/Fonts/"
    break
  fi
done
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
# Wine's own powershell.exe does nothing; the test stand-in replaces it.
wine reg add 'HKCU\Software\Wine\DllOverrides' /v powershell.exe /d native /f >/dev/null
# Xvfb has no window manager: Wine draws the frames itself, and hiding a
# window does not wait two seconds for a manager that never answers.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
wineserver -w
echo "$configuration" >"$marker"
