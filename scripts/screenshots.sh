#!/usr/bin/env bash
# Takes the README's pictures of the main window, a message box over it, the About box and the
# notification icon's popup menu under Wine on a private Xvfb.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
state=$build/shots-env
env_script="$here/scripts/wine-env.sh"
out=$(mktemp -d)

"$env_script" --state "$state" start
trap '"$env_script" --state "$state" stop; rm -rf "$out"' EXIT
# Windows' dialog font metrics and title-bar glyphs, as the pictures show the program on Windows.
"$env_script" --state "$state" fonts
"$env_script" --state "$state" run "$build/win64/bin/screenshots.exe" "Z:$out"
mkdir -p "$here/docs"
for name in main-window message-box about-box tray-menu; do
  convert "$out/$name.bmp" "$here/docs/$name.png"
  echo "docs/$name.png"
done
