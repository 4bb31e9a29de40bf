#!/usr/bin/env bash
# One virtual display and one Wine prefix for a whole test run.
#   wine-env.sh --state DIR [--i386 ROOT] ACTION..
#                                       with --i386, a prefix that runs 32-bit programs too, under
#                                       qemu-i386 with the 32-bit Wine in ROOT (deps-i686.sh)
#   wine-env.sh --state DIR start       start Xvfb and a persistent wineserver (creating the prefix once);
#                                       with TRAWLIX_DISPLAY set, that display instead of an Xvfb
#   wine-env.sh --state DIR run PROG..  run a Windows program in that environment
#   wine-env.sh --state DIR run-keymap LAYOUT PROG..
#                                       the same with that X keymap (e.g. ru) on the own Xvfb
#   wine-env.sh --state DIR fonts       give the prefix Windows' dialog font metrics and title-bar glyphs
#   wine-env.sh --state DIR stop        stop what start started
# CTest calls start and stop as the set-up and clean-up of the end-to-end tests, and run as the
# emulator of every Windows test program. With --i386, exit code 3 means that the 32-bit side did
# not come up (the reason in DIR/unavailable): CTest counts the tests as skipped, make test says why.
set -euo pipefail
# shellcheck source=scripts/test-display.sh
. "$(dirname "$0")/test-display.sh"

state=""
i386=""
if [ "${1:-}" = --state ]; then state=$(realpath -m "$2"); shift 2; fi
if [ "${1:-}" = --i386 ]; then i386=$(realpath -m "$2"); shift 2; fi
[ -n "$state" ] || { echo "usage: $0 --state DIR [--i386 ROOT] start|run|run-keymap|fonts|stop" >&2; exit 2; }
action=${1:-}
shift || true

# 64-bit Wine, called by its loader directly: not every kernel here runs the 32-bit one, and the
# usual wrapper would pick it whenever it is installed.
WINE=/usr/lib/wine/wine64
# No Mono or Gecko offers; no winemenubuilder, which would copy the installer's Start-menu shortcut
# into the menus of the Linux desktop.
overrides="mscoree,mshtml=;winemenubuilder.exe=d"

# 32-bit programs in a 64-bit prefix, as 64-bit Windows runs them (WoW64): 64-bit Wine starts one as
# "<its loader's folder>/wine-preloader <that folder>/wine ...". A private loader folder makes that
# preloader a script handing the 32-bit loader to qemu-i386, which runs it with ROOT as its root.
# Everything 64-bit (Wine's services, its desktop, the test programs) runs natively; only the 32-bit
# programs pay the emulator's minute of translation at their start. Wine finds its DLLs and NLS
# files relative to the loader, hence the links.
if [ -n "$i386" ]; then
  loader=$state/loader/lib/wine
  WINE=$loader/wine64
  export QEMU_RESERVED_VA=0xffff0000  # else Wine cannot map its shared user data under qemu
  # The test programs' waits for something to happen, stretched for the emulated start.
  export TRAWLIX_E2E_WAIT_FACTOR=${TRAWLIX_E2E_WAIT_FACTOR:-10}
  # No debugger for a crashed program: winedbg would hold the test.
  overrides="$overrides;winedbg.exe=d"
fi
export WINELOADER=$WINE WINESERVER=/usr/lib/wine/wineserver64
export WINEPREFIX="$state/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="$overrides"

# Ends the script with exit code 3 for a 32-bit side that did not come up, saying why.
unavailable() {
  echo "$1" | tee "$state/unavailable" >&2
  exit 3
}

make_loader() {
  if ! command -v qemu-i386 >/dev/null || [ ! -f "$i386/.complete" ]; then
    unavailable "$(cat "$i386.unavailable" 2>/dev/null || echo "no 32-bit Wine in $i386"): no i686 test has run"
  fi
  mkdir -p "$loader"
  cmp -s /usr/lib/wine/wine64 "$loader/wine64" || cp /usr/lib/wine/wine64 "$loader/wine64"
  # The 32-bit loader itself, not a script: qemu runs what the preloader hands it.
  cmp -s "$i386/usr/lib/wine/wine" "$loader/wine" || cp "$i386/usr/lib/wine/wine" "$loader/wine"
  printf '#!/bin/sh\nexec qemu-i386 -L %q "$@"\n' "$i386" >"$loader/wine-preloader"
  chmod +x "$loader/wine-preloader"
  ln -sfn "$i386/usr/lib/i386-linux-gnu" "$state/loader/lib/i386-linux-gnu"
  ln -sfn /usr/lib/x86_64-linux-gnu "$state/loader/lib/x86_64-linux-gnu"
  ln -sfn /usr/share "$state/loader/share"
}

# Whether the prefix holds the 32-bit side: Wine's 32-bit installer steps run emulated, and one
# that crashes under qemu leaves syswow64 without Wine's programs.
wow64_complete() {
  local file
  for file in kernel32.dll user32.dll shell32.dll comctl32.dll; do
    [ -f "$WINEPREFIX/drive_c/windows/syswow64/$file" ] || return 1
  done
}

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
  rm -f "$state/unavailable"
  [ -z "$i386" ] || make_loader
  if [ -n "${TRAWLIX_DISPLAY:-}" ]; then
    export DISPLAY=$TRAWLIX_DISPLAY  # a display of the user's
  else
    start_display
  fi

  if [ ! -f "$WINEPREFIX/.trawlix-ready" ]; then
    echo "Creating the Wine prefix (once per build tree)"
    make_prefix || make_prefix || { stop_environment; unavailable "Wine's 32-bit installer steps failed under qemu, twice: no i686 test has run"; }
    # Wine's own desktop gives a taskbar with a notification area, and no window manager is needed.
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="1024x768"\n' >"$state/desktop.reg"
    "$WINE" regedit /S "$("$WINE" winepath -w "$state/desktop.reg")" </dev/null >>"$state/wineboot.log" 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.trawlix-ready"
  fi
  # A persistent server keeps program starts fast; it runs until stop.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  # Start Wine's services now, detached from CTest's output pipes.
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  # And the desktop with its notification area, as Windows' shell runs from sign-in. Otherwise the
  # first program that opens a window starts it as its own child: the test kit runs each test
  # program in a job that ends all it started, the desktop with it, and under Wine 10 the next
  # program's first window then dies on the desktop's X window that is gone (BadWindow).
  "$WINE" explorer.exe /desktop </dev/null >/dev/null 2>&1 &
  for _ in $(seq 200); do
    xwininfo -root -children 2>/dev/null | grep -q '("explorer.exe" "explorer.exe")' && break
    sleep 0.1
  done
  printf 'export DISPLAY=%q\n' "$DISPLAY" >"$state/env"
  # Whether 32-bit programs run here, for the tests of the kit's x86 set: with --i386 they do; in a
  # plain 64-bit prefix only where 32-bit Wine is installed beside the 64-bit one. Elsewhere such a
  # program "starts" and ends at once with exit code 0, having done nothing.
  local runs_x86=0
  if [ -n "$i386" ] || /usr/lib/wine/wine --version >/dev/null 2>&1; then runs_x86=1; fi
  echo "export TRAWLIX_E2E_RUNS_X86=$runs_x86" >>"$state/env"
  if [ -z "${TRAWLIX_DISPLAY:-}" ]; then
    echo "export TRAWLIX_OWN_XVFB=1" >>"$state/env"
    park_pointer
  fi
}

# Under qemu a process now and then hangs: limits, so that a failed try ends.
make_prefix() {
  rm -rf "$WINEPREFIX"
  timeout 900 "$WINE" wineboot -i </dev/null >"$state/wineboot.log" 2>&1 || true
  timeout 300 "$WINESERVER" -w || "$WINESERVER" -k
  [ -z "$i386" ] || wow64_complete || { echo "the prefix has no 32-bit Wine: once more" >&2; return 1; }
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
  if [ ! -f "$state/env" ]; then
    # The 32-bit side not up: skipped, as the start was.
    [ -z "$i386" ] || unavailable "$(cat "$state/unavailable" 2>/dev/null || echo "the 32-bit test environment is not started")"
    echo "the test environment is not started" >&2
    exit 1
  fi
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
    [ -n "$i386" ] || exec "$WINE" "$@" </dev/null
    status=0
    "$WINE" "$@" </dev/null || status=$?
    # Under qemu, the exception through which a failed check reports itself can end a 32-bit test
    # program at once, leaving the Trawlix or stand-in client it started running, and holding CTest's
    # output open until the test's time limit: ended here.
    for pid in $(pgrep -f 'Trawlix\.exe|StandInClient\.exe' || true); do
      if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
        kill -KILL "$pid" 2>/dev/null || true
      fi
    done
    # 3 means a skipped test to CTest: a test program's own 3 is a failure.
    [ "$status" != 3 ] || status=1
    exit "$status"
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
  *) echo "usage: $0 --state DIR [--i386 ROOT] start|run|run-keymap|fonts|stop" >&2; exit 2 ;;
esac
