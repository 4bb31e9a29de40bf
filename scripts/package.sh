#!/usr/bin/env bash
# Makes the release files from the built trees: the installer of the x86_64 build and a portable ZIP
# of each build, and nothing else, in BUILD/package.
set -euo pipefail
build=$(realpath "${1:-build}")
here=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(Trawlix VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
out=$build/package
files=(Trawlix.exe Donate.url EmailMe.url HomePage.url)

rm -rf "$out"
mkdir -p "$out"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

makensis -V2 -DVERSION="$version" -DBIN="$build/win64/bin" -DOUTFILE="$out/Trawlix-$version-setup.exe" \
  "$here/package/trawlix.nsi"

# portable_zip ARCH BINDIR BUILD NOTE: one folder Trawlix-VERSION with the program, its shortcut files
# and the README.txt, whose lines end in CR LF for Notepad.
portable_zip() {
  local folder=$stage/$1/Trawlix-$version
  mkdir -p "$folder"
  for file in "${files[@]}"; do cp "$2/$file" "$folder/"; done
  sed -e "s/@VERSION@/$version/" -e "s/@BUILD@/$3/" -e "s/@BUILD_NOTE@/$4/" -e 's/$/\r/' \
    "$here/package/README.txt" >"$folder/README.txt"
  (cd "$stage/$1" && zip -q -X -D -r "$out/Trawlix-$version-$1.zip" "Trawlix-$version")
}
portable_zip win64 "$build/win64/bin" "64-bit, for 64-bit Windows" \
  "The build that the project runs and tests (under 64-bit Wine)."
portable_zip win32 "$build/win32/bin" "32-bit, for 32-bit Windows" \
  "Compiled and checked by the project, but never run by it: prefer the 64-bit one."
ls -l "$out"
