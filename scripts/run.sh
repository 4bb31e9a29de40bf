#!/usr/bin/env bash
# Starts the stand-in client and Trawlix under Wine on $DISPLAY, or on a private Xvfb when there is
# no display. Returns when Trawlix ends.
set -euo pipefail
build=${1:-build}
bin=$build/win64/bin
state=$build/run-env
env_script="$(dirname "$0")/wine-env.sh"

if [ -n "${DISPLAY:-}" ]; then
  export TRAWLIX_DISPLAY=$DISPLAY
  echo "Starting Trawlix and the stand-in client on $DISPLAY"
else
  echo "No DISPLAY: starting Trawlix and the stand-in client on a private Xvfb (nothing will be visible;"
  # Not xwd -root: it shows a message box over the main window as a black rectangle (Wine gives each
  # process its own X colormap, and xwd reads such windows one by one, leaving that box out).
  echo "take a screenshot with: import -display \$(head -n1 $state/env | sed 's/.*DISPLAY=//') -window root shot.png)"
fi
"$env_script" --state "$state" start
trap '"$env_script" --state "$state" stop' EXIT
# Windows' dialog font metrics and title-bar glyphs, so that the window looks as it does on Windows.
"$env_script" --state "$state" fonts
"$env_script" --state "$state" run "$bin/StandInClient.exe" "$(realpath "$state")/standin.log" &
"$env_script" --state "$state" run "$bin/Trawlix.exe"
echo "Trawlix ended; the stand-in client's input log is $state/standin.log"
