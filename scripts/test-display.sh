#!/usr/bin/env bash
# The private X display of a Wine test environment, sourced by wine-env.sh:
# start_display and stop_display with their Xvfb in "$state", park_pointer before each program.
# shellcheck disable=SC2154  # state: the environment's folder, which the sourcing script sets

# -displayfd picks a free display number and tells it when the server is ready. -noreset: an X
# server resets whenever its last client leaves (as Wine's desktop does between two tests), and a
# reset puts the pointer back in the middle of the screen.
start_display() {
  rm -f "$state/display"
  Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$state/display" </dev/null >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do [ -s "$state/display" ] && break; sleep 0.1; done
  [ -s "$state/display" ] || { echo "Xvfb did not start" >&2; cat "$state/xvfb.log" >&2; exit 1; }
  DISPLAY=":$(head -n1 "$state/display")"
  export DISPLAY
}

stop_display() {
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
}

# Every test program starts with the X pointer in the middle of the screen, where a user's pointer
# often rests and where the program never aims: a click that followed the pointer instead of
# carrying its own point would land there, and a test would see it. (Wine takes the pointer position
# from X events too, so a window mapped or maximized under the X pointer reports where that pointer
# is.) A test may leave the pointer elsewhere, so this is done again before each program. Only on
# our own Xvfb: never move the pointer of a user's display.
park_pointer() {
  # A program that is still ending may move the pointer once more: check, and try again a while.
  for _ in $(seq 40); do
    xdotool mousemove 512 384
    [ "$(xdotool getmouselocation 2>/dev/null | cut -d' ' -f1-2)" = "x:512 y:384" ] && return 0
    sleep 0.05
  done
  echo "could not put the X pointer in the middle of the screen" >&2
  exit 1
}
