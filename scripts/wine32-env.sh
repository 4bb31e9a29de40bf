#!/usr/bin/env bash
# The 32-bit counterpart of wine-env.sh, for the i686 build's tests: one virtual display and one
# 32-bit Wine prefix for a whole run. Where the kernel runs no 32-bit x86 code, 32-bit Wine runs
# under qemu-user, where every process spends about a minute translating code before it runs; where
# it does, 32-bit Wine runs natively, with the same prefix, server and desktop.
#   wine32-env.sh --state DIR prefix     make the prefix, once per build tree (about 10 minutes)
#   wine32-env.sh --state DIR start      start Xvfb and a persistent wineserver with Wine's own
#                                        processes up (making the prefix first if needed)
#   wine32-env.sh --state DIR desktop KEEPER.exe
#                                        bring Wine's desktop up, held by the keeper program
#   wine32-env.sh --state DIR run [--needs-desktop] PROG..
#                                        run a 32-bit Windows test program in that environment, then
#                                        end any Trawlix or stand-in client it left running
#   wine32-env.sh --state DIR stop       stop what start started, and what Wine left behind
# CTest calls start (and desktop) and stop as the set-up and clean-up of the i686 tests, and run for
# each test. Exit code 3: the 32-bit environment did not come up (no test has run), with the reason
# also in DIR/unavailable; CTest then counts the i686 tests as skipped, and make test says why.
set -euo pipefail
# shellcheck source=scripts/test-display.sh
. "$(dirname "$0")/test-display.sh"

state=""
if [ "${1:-}" = --state ]; then state=$(realpath -m "$2"); shift 2; fi
[ -n "$state" ] || { echo "usage: $0 --state DIR prefix|start|desktop KEEPER.exe|run PROG...|stop" >&2; exit 2; }
action=${1:-}
shift || true

# Wine's Unix side starts every further process as "<loader dir>/wine-preloader <loader dir>/wine".
# Where the 32-bit loader cannot run natively: a private loader folder whose wine-preloader is a
# script that hands both to qemu. Wine finds its DLLs and NLS files relative to the loader, hence
# the links.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  emulated="" loader=/usr/lib/wine launch=() how=natively prefix_time="about a minute"
else
  emulated=1 loader=$state/loader/lib/wine launch=(qemu-i386 -L /) how="under emulation" prefix_time="about 10 minutes"
fi
export QEMU_RESERVED_VA=0xffff0000  # else Wine cannot map its shared user data under qemu
# The 64-bit server serves 32-bit clients and runs natively.
export WINESERVER=/usr/lib/wine/wineserver64 WINELOADER=$loader/wine
# No debugger for a crashed program: winedbg would spend a minute translating, then hold the test.
export WINEPREFIX="$state/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
# The test programs' waits for something to happen, stretched for the emulated start-up.
[ -z "$emulated" ] || export TRAWLIX_E2E_WAIT_FACTOR=10

# Minutes allowed for making the prefix (about 10 here), and for the server's start-up (about 8),
# each tried twice, and for the desktop.
PREFIX_LIMIT=${TRAWLIX_WINE32_PREFIX_LIMIT:-16}
START_LIMIT=${TRAWLIX_WINE32_START_LIMIT:-12}

# Ends the script with exit code 3 for an environment that did not come up, saying why.
unavailable() {
  echo "$1" >&2
  echo "$1" >"$state/unavailable"
  exit 3
}

# Always started in the background: exec, so that $! is the Wine program itself.
wine32() { exec "${launch[@]}" "$loader/wine" "$@"; }

make_loader() {
  [ -n "$emulated" ] || return 0
  mkdir -p "$loader"
  cmp -s /usr/lib/wine/wine "$loader/wine" || cp /usr/lib/wine/wine "$loader/wine"
  printf '#!/bin/sh\nexec qemu-i386 -L / "$@"\n' >"$loader/wine-preloader"
  chmod +x "$loader/wine-preloader"
  ln -sfn /usr/lib/i386-linux-gnu "$state/loader/lib/i386-linux-gnu"
  ln -sfn /usr/share "$state/loader/share"
}

# The 32-bit Wine processes of this prefix, found by their program (qemu, or Wine's 32-bit loader)
# and their environment; with an argument, those whose command line has it (Wine renames each
# process after its Windows program).
prefix_processes() {
  local pid
  for pid in $(find /proc -mindepth 2 -maxdepth 2 -name exe \( -lname /usr/bin/qemu-i386 -o -lname /usr/lib/wine/wine \
    -o -lname /usr/lib/wine/wine-preloader \) 2>/dev/null | cut -d/ -f3); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    [ -z "${1:-}" ] || tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | grep -qF "$1" || continue
    echo "$pid"
  done
}

# The programs running in the prefix, by name, for the progress lines and the messages of a failed
# start.
prefix_programs() {
  local pid
  for pid in $(prefix_processes); do
    tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | sed 's/^qemu-i386 -L \/ [^ ]*wine //; s/ .*//; s/^.*\\//; s/$/\n/'
  done | paste -sd, - | sed 's/,/, /g'
}

# Wine's services (services.exe, winedevice.exe) stay after the server has gone.
end_leftovers() {
  local pids
  mapfile -t pids < <(prefix_processes)
  [ ${#pids[@]} -eq 0 ] || kill -KILL "${pids[@]}" 2>/dev/null || true
}

stop_server() {
  "$WINESERVER" -k 2>/dev/null || true
  end_leftovers
}

# wait_for PID MINUTES WHAT [files]: waits for the process, with a line every minute (with the
# files made in system32 so far and the programs running, if asked); false when it still runs
# after the limit (it is killed).
wait_for() {
  local pid=$1 limit=$(($2 * 60)) what=$3 files=${4:-} begun=$SECONDS
  while kill -0 "$pid" 2>/dev/null; do
    for _ in $(seq 12); do
      sleep 5
      kill -0 "$pid" 2>/dev/null || break
    done
    kill -0 "$pid" 2>/dev/null || break
    local waited=$((SECONDS - begun))
    if [ "$waited" -ge "$limit" ]; then
      echo "  $what: still not done after $((waited / 60)) min, given up" >&2
      kill -KILL "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      return 1
    fi
    echo "  $what: $((waited / 60)) min $((waited % 60)) s${files:+, $(system32_files) files in system32: $(prefix_programs)}" >&2
  done
  wait "$pid" 2>/dev/null || true  # its status: wineboot may report a crash of one of its children
  return 0
}
system32_files() { find "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -type f 2>/dev/null | wc -l; }

# What a complete prefix has: Wine's programs that every run starts, and both registry files.
prefix_complete() {
  local system32=$WINEPREFIX/drive_c/windows/system32 file
  for file in kernel32.dll user32.dll shell32.dll comctl32.dll services.exe winedevice.exe explorer.exe cmd.exe; do
    [ -f "$system32/$file" ] || { echo "  the prefix has no $file" >&2; return 1; }
  done
  [ "$(system32_files)" -ge 700 ] || { echo "  the prefix's system32 is incomplete" >&2; return 1; }
  grep -q '^#arch=win32' "$WINEPREFIX/system.reg" 2>/dev/null || { echo "  the prefix has no 32-bit system.reg" >&2; return 1; }
  grep -q 'Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer' "$WINEPREFIX/user.reg" 2>/dev/null ||
    { echo "  the prefix has no complete user.reg" >&2; return 1; }
}

make_prefix_once() {
  stop_server
  rm -rf "$WINEPREFIX"
  wine32 wineboot -i </dev/null >"$state/wineboot.log" 2>&1 &
  wait_for $! "$PREFIX_LIMIT" "making the 32-bit prefix" files || return 1
  # The server writes the registry every 30 s: once both files have rested that long, it has
  # written all of it. Wine's services never end by themselves, so the server is then killed.
  for _ in $(seq 36); do
    [ -f "$WINEPREFIX/user.reg" ] && [ -f "$WINEPREFIX/system.reg" ] &&
      [ -z "$(find "$WINEPREFIX" -maxdepth 1 -name '*.reg' -newermt '35 seconds ago')" ] && break
    sleep 5
  done
  stop_server
  prefix_complete || return 1
  # Wine's own desktop gives a taskbar with a notification area, and windows their frames with no
  # window manager. Written with the server down, as a program would take another minute to start.
  printf '\n[Software\\\\Wine\\\\Explorer]\n"Desktop"="Default"\n\n[Software\\\\Wine\\\\Explorer\\\\Desktops]\n"Default"="1024x768"\n' \
    >>"$WINEPREFIX/user.reg"
}

make_prefix() {
  [ ! -f "$WINEPREFIX/.trawlix-ready" ] || return 0
  make_loader
  echo "Making the 32-bit Wine prefix $how, once per build tree: $prefix_time"
  local begun=$SECONDS
  rm -f "$state/wineboot.log"
  # Under qemu, about every second try here ends at the install of Wine's files, some 6 minutes
  # in: the program that installs them does not start ("could not load kernel32.dll"), or crashes.
  # A try that went well takes about 10 minutes, so three fit in any run.
  local try
  for try in 1 2 3; do
    make_prefix_once && break
    echo "The 32-bit prefix is incomplete (try $try of 3). What Wine said:" >&2
    sed 's/^/    /' "$state/wineboot.log" 2>/dev/null | tail -n 5 >&2
    echo "  in system32: $(find "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -type f -printf '%f %s\n' 2>/dev/null | head -n 5 | paste -sd, -)" >&2
    if [ "$try" = 3 ]; then
      touch "$state/prefix-failed"
      unavailable "32-bit Wine did not make its prefix $how, three times: no test has run"
    fi
  done
  touch "$WINEPREFIX/.trawlix-ready"
  echo "The 32-bit prefix is made ($((SECONDS - begun)) s)"
}

# Wine's desktop process uses COM for the shortcuts on its desktop, and COM asks the RPC service.
# Started on demand, that service is not there yet: the failed call raises an exception that Wine
# handles, but under qemu the desktop's RPC listening thread then crashes and takes the desktop with
# it, every time. Started with Wine's services, the RPC service is up before the desktop asks.
start_rpc_service_with_wine() {
  sed -i '/^\[System\\\\CurrentControlSet\\\\Services\\\\RpcSs\]/,/^$/ s/^"Start"=dword:00000003$/"Start"=dword:00000002/' \
    "$WINEPREFIX/system.reg"
}

# The first program of a server runs only once wineboot, services.exe and the devices are up: about
# 8 minutes under qemu, and now and then never.
start_server_once() {
  local begun=$SECONDS
  stop_server
  start_rpc_service_with_wine  # with the server down, which would write its own copy back
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  wine32 cmd /c exit </dev/null >"$state/start.log" 2>&1 &
  wait_for $! "$START_LIMIT" "starting 32-bit Wine $how" || return 1
  [ -n "$(prefix_processes rpcss.exe)" ] || { echo "  the RPC service did not start: $(prefix_programs)" >&2; return 1; }
  echo "32-bit Wine is up $how ($((SECONDS - begun)) s)"
}

# Wine's desktop process (explorer.exe, with the taskbar and its notification area) comes up for the
# keeper alone, which then holds it for the run, since each program would otherwise start its own.
# Status 1: the desktop or the keeper crashed; 3: the desktop was not up within the limit.
start_desktop_once() {
  local keeper=$1 begun=$SECONDS waited seen=""
  [ ! -f "$state/keeper.pid" ] || kill -KILL "$(cat "$state/keeper.pid")" 2>/dev/null || true
  rm -f "$state/keeper.log"
  wine32 "$keeper" </dev/null >"$state/keeper.log" 2>&1 &
  echo $! >"$state/keeper.pid"
  until grep -q '^desktop ready' "$state/keeper.log" 2>/dev/null; do
    kill -0 "$(cat "$state/keeper.pid")" 2>/dev/null || { echo "  the desktop keeper ended" >&2; return 1; }
    # Started by the keeper's first call, the desktop process must stay.
    if [ -n "$(prefix_processes 'explorer.exe /desktop')" ]; then
      seen=1
    elif [ -n "$seen" ]; then
      echo "  Wine's desktop process (explorer.exe) ended before the desktop was up: it crashed" >&2
      echo "  still running: $(prefix_programs)" >&2
      return 1
    fi
    waited=$((SECONDS - begun))
    [ "$waited" -lt $((START_LIMIT * 60)) ] || { echo "  Wine's desktop is not up after $START_LIMIT min" >&2; return 3; }
    [ $((waited % 60)) -ge 5 ] || echo "  starting Wine's desktop: $((waited / 60)) min" >&2
    sleep 5
  done
  touch "$state/desktop-up"
  echo "Wine's desktop is up ($((SECONDS - begun)) s)"
}

start_desktop() {
  [ -f "$state/env" ] || { echo "the 32-bit test environment is not started" >&2; exit 3; }
  # shellcheck source=/dev/null  # written by start_environment, so not there to read beforehand
  . "$state/env"
  local status=0
  start_desktop_once "$1" || status=$?
  [ "$status" != 0 ] || return 0
  # A crash is tried once more, a desktop still not up at the limit is not. Once a server has made
  # a desktop, Wine starts no second desktop process for it: a new server.
  if [ "$status" = 1 ]; then
    echo "Wine's desktop did not come up: starting 32-bit Wine and its desktop once more" >&2
    if start_server_once && start_desktop_once "$1"; then return 0; fi
  fi
  unavailable "Wine's desktop (explorer.exe) did not come up $how: no test that needs it has run"
}

stop_environment() {
  stop_server
  stop_display
  rm -f "$state/env" "$state/keeper.pid" "$state/desktop-up"
}

start_environment() {
  mkdir -p "$state"
  stop_environment  # what a crashed run may have left behind
  # make test's prefix step failed just before: not three tries more (a later run tries again).
  if [ -f "$state/prefix-failed" ]; then
    rm -f "$state/prefix-failed"
    unavailable "32-bit Wine did not make its prefix $how, three times: no test has run"
  fi
  make_loader
  start_display  # before the first Wine command, which would otherwise start a desktop without a screen
  make_prefix
  local attempt
  for attempt in 1 2; do
    start_server_once && break
    if [ "$attempt" = 2 ]; then
      stop_environment
      unavailable "32-bit Wine did not come up $how within $START_LIMIT min, twice: no test has run"
    fi
    echo "32-bit Wine did not come up $how within $START_LIMIT min: starting it once more" >&2
  done
  printf 'export DISPLAY=%q\n' "$DISPLAY" >"$state/env"
  park_pointer
}

case "$action" in
  prefix)
    mkdir -p "$state"
    rm -f "$state/unavailable" "$state/prefix-failed"
    if [ ! -f "$WINEPREFIX/.trawlix-ready" ]; then
      # wineboot opens windows: a display of its own, for as long as it takes.
      stop_environment
      start_display
      trap stop_environment EXIT
      make_prefix
    fi
    ;;
  start) start_environment ;;
  desktop) start_desktop "$(realpath "${1:?the desktop keeper program}")" ;;
  stop) stop_environment ;;
  run)
    [ -f "$state/env" ] || { echo "the 32-bit test environment is not started" >&2; exit 3; }
    if [ "${1:-}" = --needs-desktop ]; then
      shift
      [ -f "$state/desktop-up" ] || { echo "Wine's desktop is not up" >&2; exit 3; }
    fi
    # shellcheck source=/dev/null  # written by start_environment, so not there to read beforehand
    . "$state/env"
    park_pointer
    status=0
    "${launch[@]}" "$loader/wine" "$@" </dev/null || status=$?
    # A test program that failed may have crashed (under qemu, the exception Wine raises to report
    # a failure can end the process) and left Trawlix or the stand-in client running: ended here,
    # so that the next test program starts without them.
    mapfile -t started < <(prefix_processes 'Trawlix.exe'; prefix_processes 'StandInClient.exe')
    [ ${#started[@]} -eq 0 ] || kill -KILL "${started[@]}" 2>/dev/null || true
    # 3 means a skipped test to CTest: a test program's own 3 is a failure.
    [ "$status" != 3 ] || status=1
    exit "$status"
    ;;
  *) echo "usage: $0 --state DIR prefix|start|desktop KEEPER.exe|run PROG...|stop" >&2; exit 2 ;;
esac
