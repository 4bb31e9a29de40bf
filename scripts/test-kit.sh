#!/usr/bin/env bash
# Writes the test kit, BUILD/test-kit/Trawlix-VERSION-tests.zip, from the built trees and the release
# files (make package first): every test of Trawlix, to run on any Windows PC or VM with run-tests.cmd.
#   test-kit.sh BUILD
# Each set holds its build's Trawlix.exe as shipped (byte for byte), the shortcut files, the unit
# tests built for that target, the end-to-end programs with the stand-in client, the hook DLL and
# the link recorder, an installer of that build and one of an earlier version, and the runner.
set -euo pipefail
build=$(realpath "${1:-build}")
here=$(cd "$(dirname "$0")/.." && pwd -P)
version=$("$here/scripts/build-version.sh" "$build/win64")
out=$build/test-kit
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
trap 'exit 1' HUP INT TERM

# stage_set SET BUILDTREE: the set's folder from that tree's bin folder. The kit's own test
# (kit_e2e) runs the kit and stays out of it.
stage_set() {
  local set=$stage/$1 bin=$build/$2/bin
  mkdir -p "$set"
  cp "$bin"/{Trawlix.exe,Donate.url,EmailMe.url,HomePage.url,StandInClient.exe,MainWindowShowHook.dll,OpenedLinkRecorder.exe,KitRunner.exe} "$set/"
  # An earlier version's installer, which the installer tests update.
  cp "$bin"/Trawlix-earlier-setup.exe "$set/"
  cp "$bin"/trawlix_unit_tests.exe "$set/"
  for program in "$bin"/*_e2e.exe; do
    [ "$(basename "$program")" = kit_e2e.exe ] || cp "$program" "$set/"
  done
}
stage_set x64 win64
stage_set x86 win32

# The x64 set installs with the release's installer; the x86 set with one made the same way from
# the i686 build, since the installer tests compare the installed program with the set's own.
cp "$build/package/Trawlix-$version-setup.exe" "$stage/x64/"
staged_x86=$stage/x86-program
mkdir -p "$staged_x86"
cp "$build/win32/bin"/{Trawlix.exe,Donate.url,EmailMe.url,HomePage.url} "$staged_x86/"
unzip -q -j -d "$staged_x86" "$build/package/Trawlix-$version-win32.zip" "Trawlix-$version/README.txt" \
  "Trawlix-$version/LICENSE.txt"
makensis -V2 -DTARGET=x86-unicode -DVERSION="$version" \
  -DFILEVERSION="$("$here/scripts/build-version.sh" --numbers "$build/win32")" -DBIN="$staged_x86" \
  -DOUTFILE="$stage/x86/Trawlix-$version-setup.exe" "$here/package/trawlix.nsi"
rm -rf "$staged_x86"

cp "$here/tests/kit/run-tests.cmd" "$stage/"
rm -rf "$out"
mkdir -p "$out"
(cd "$stage" && zip -q -r -X "$out/Trawlix-$version-tests.zip" run-tests.cmd x64 x86)
echo "$out/Trawlix-$version-tests.zip"
