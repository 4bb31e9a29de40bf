#!/usr/bin/env bash
# One virtual display and one Wine prefix for a whole test run.
#   wine-env.sh --state DIR start       start Xvfb and a persistent wineserver (creating the prefix once);
#                                       with TRAWLIX_DISPLAY set, that display instead of an Xvfb
#   wine-env.sh --state DIR run PROG..  run a Windows program in that environment
#   wine-env.sh --state DIR run-keymap LAYOUT PROG..
#                                       the same with that X keymap (e.g. ru) on the own Xvfb
#   wine-env.sh --state DIR fonts       give the prefix Windows' dialog font metrics and title-bar glyphs
#   wine-env.sh --state DIR stop        stop what start started
# CTest calls start and stop as the set-up and clean-up of the end-to-end tests, and run as the
# emulator of every Windows test program.
set -euo pipefail

state=""
if [ "${1:-}" = --state ]; then state=$(realpath -m "$2"); shift 2; fi
[ -n "$state" ] || { echo "usage: $0 --state DIR start|run|stop" >&2; exit 2; }
action=${1:-}
shift || true

# 64-bit Wine, called by its loader directly: this kernel cannot run the 32-bit one, and the usual
# wrapper would pick it whenever it is installed.
WINE=/usr/lib/wine/wine64
export WINELOADER=$WINE WINESERVER=/usr/lib/wine/wineserver64
# No Mono or Gecko offers; no winemenubuilder, which would copy the installer's Start-menu shortcut
# into the menus of the Linux desktop.
export WINEPREFIX="$state/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

stop_environment() {
  if [ -f "$state/env" ]; then
    # shellcheck source=/dev/null  # written by start_environment, so not there to read beforehand
    . "$state/env"
    "$WINESERVER" -k 2>/dev/null || true
  fi
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
  rm -f "$state/env"
}

start_environment() {
  mkdir -p "$state"
  stop_environment  # what a crashed run may have left behind
  if [ -n "${TRAWLIX_DISPLAY:-}" ]; then
    export DISPLAY=$TRAWLIX_DISPLAY  # a display of the user's
  else
    # -displayfd picks a free display number and tells it when the server is ready. -noreset: an X
    # server resets whenever its last client leaves (as Wine's desktop does between two tests), and
    # a reset puts the pointer back in the middle of the screen.
    rm -f "$state/display"
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$state/display" </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 100); do [ -s "$state/display" ] && break; sleep 0.1; done
    [ -s "$state/display" ] || { echo "Xvfb did not start" >&2; cat "$state/xvfb.log" >&2; exit 1; }
    DISPLAY=":$(head -n1 "$state/display")"
    export DISPLAY
  fi

  if [ ! -f "$WINEPREFIX/.trawlix-ready" ]; then
    echo "Creating the Wine prefix (once per build tree)"
    rm -rf "$WINEPREFIX"
    "$WINE" wineboot -i </dev/null >"$state/wineboot.log" 2>&1
    "$WINESERVER" -w
    # Wine's own desktop gives a taskbar with a notification area, and no window manager is needed.
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="1024x768"\n' >"$state/desktop.reg"
    "$WINE" regedit /S "$("$WINE" winepath -w "$state/desktop.reg")" </dev/null >>"$state/wineboot.log" 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.trawlix-ready"
  fi
  # A persistent server keeps program starts fast; it runs until stop.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  # Start the desktop and Wine's services now, detached from CTest's output pipes.
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  printf 'export DISPLAY=%q\n' "$DISPLAY" >"$state/env"
  if [ -z "${TRAWLIX_DISPLAY:-}" ]; then
    echo "export TRAWLIX_OWN_XVFB=1" >>"$state/env"
    park_pointer
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

# A fresh prefix holds none of the fonts Wine ships, so Wine draws "MS Sans Serif" and the dialog font
# "MS Shell Dlg" with Liberation Sans, which is wider: fixed-size labels wrap and clip. Wine's bitmap
# MS Sans Serif has the Windows metrics (8 points: 13 pixels high, 5 wide on average): install it in
# the prefix and map the dialog font to it, as English Windows maps it to the metrically equal
# Microsoft Sans Serif. Wine draws every title bar, menu and caption text in the dialog font, so that
# mapping covers them too. The title bar's minimize, maximize and close buttons are glyphs of
# Marlett, as on Windows; without it they show as the letters "0 1 r".
install_windows_fonts() {
  cp /usr/share/wine/fonts/sserife.fon /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'MS Shell Dlg' /d 'MS Sans Serif' /f </dev/null >/dev/null
}

load_environment() {
  [ -f "$state/env" ] || { echo "the test environment is not started" >&2; exit 1; }
  # shellcheck source=/dev/null  # written by start_environment, so not there to read beforehand
  . "$state/env"
}

case "$action" in
  start) start_environment ;;
  stop) stop_environment ;;
  fonts)
    load_environment
    install_windows_fonts
    ;;
  run)
    load_environment
    [ -z "${TRAWLIX_OWN_XVFB:-}" ] || park_pointer
    exec "$WINE" "$@" </dev/null
    ;;
  run-keymap)
    # Under Wine every program types with the X server's keymap, whatever keyboard layout its thread
    # activates: the program runs with that keymap, and the US one is put back afterwards. Only on our
    # own Xvfb: never change the keymap of a user's display.
    keymap=${1:?a keymap, e.g. ru}
    shift
    load_environment
    [ -n "${TRAWLIX_OWN_XVFB:-}" ] || { echo "run-keymap needs the environment's own Xvfb" >&2; exit 1; }
    setxkbmap -display "$DISPLAY" "$keymap"
    trap 'setxkbmap -display "$DISPLAY" us' EXIT
    park_pointer
    "$WINE" "$@" </dev/null
    ;;
  *) echo "usage: $0 --state DIR start|run|run-keymap|fonts|stop" >&2; exit 2 ;;
esac
