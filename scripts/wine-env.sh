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
# shellcheck source=scripts/test-display.sh
. "$(dirname "$0")/test-display.sh"

state=""
if [ "${1:-}" = --state ]; then state=$(realpath -m "$2"); shift 2; fi
[ -n "$state" ] || { echo "usage: $0 --state DIR start|run|stop" >&2; exit 2; }
action=${1:-}
shift || true

# 64-bit Wine, called by its loader directly: not every kernel here runs the 32-bit one, and the
# usual wrapper would pick it whenever it is installed.
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
  stop_display
  rm -f "$state/env"
}

start_environment() {
  mkdir -p "$state"
  stop_environment  # what a crashed run may have left behind
  if [ -n "${TRAWLIX_DISPLAY:-}" ]; then
    export DISPLAY=$TRAWLIX_DISPLAY  # a display of the user's
  else
    start_display
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
