#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when something is missing.
# Idempotent and without prompts, so CI and a fresh machine run it the same way.
set -euo pipefail

need=()
pkg_ok() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in cmake g++ make ninja-build libgtest-dev googletest g++-mingw-w64-i686 \
         binutils-mingw-w64-i686 xvfb x11-apps x11-utils imagemagick wine; do
  pkg_ok "$p" || need+=("$p")
done
pkg_ok wine32:i386 || need+=(wine32:i386)

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
echo "Installing: ${need[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
