#!/usr/bin/env bash
# Takes the README's pictures of the main window, the About box and the notification icon's popup
# menu under Wine on a private Xvfb.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
state=$build/shots-env
env_script="$here/scripts/wine-env.sh"
out=$(mktemp -d)

"$env_script" --state "$state" start
trap '"$env_script" --state "$state" stop; rm -rf "$out"' EXIT
# A fresh prefix holds none of the fonts Wine ships, so Wine draws "MS Sans Serif" and the dialog font
# "MS Shell Dlg" with Liberation Sans, which is wider: fixed-size labels wrap and clip. Wine's bitmap
# MS Sans Serif has the Windows metrics (8 points: 13 pixels high, 5 wide on average): install it in
# this prefix and map the dialog font to it, as English Windows maps it to the metrically equal
# Microsoft Sans Serif. Wine draws every title bar, menu and caption text in the dialog font, so that
# mapping covers them too. The title bar's minimize, maximize and close buttons are glyphs of
# Marlett, as on Windows; without it they show as the letters "0 1 r".
cp /usr/share/wine/fonts/sserife.fon /usr/share/wine/fonts/marlett.ttf "$state/prefix/drive_c/windows/Fonts/"
"$env_script" --state "$state" run reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
  /v 'MS Shell Dlg' /d 'MS Sans Serif' /f >/dev/null
"$env_script" --state "$state" run "$build/win64/bin/screenshots.exe" "Z:$out"
mkdir -p "$here/docs"
for name in main-window about-box tray-menu; do
  convert "$out/$name.bmp" "$here/docs/$name.png"
  echo "docs/$name.png"
done
