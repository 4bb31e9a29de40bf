#!/usr/bin/env bash
# check-version.sh SCRATCH: the version and the addresses are written once. Configures a small x86_64
# build in SCRATCH with another version and other addresses, builds Trawlix.exe alone, packages it
# and checks that the version is in the window's title and the messages' caption, the version
# resource, the manifest, the installer's own name, its entry among the installed apps, and the
# release files' names, and that 1.10 is in none of them; that the About box's texts and shortcut
# files carry the addresses; and that the installer has its licence page.
set -euo pipefail
scratch=$(realpath -m "$1")
here=$(cd "$(dirname "$0")/.." && pwd -P)
version=2.34.5
fail() { echo "FAIL: $*" >&2; exit 1; }

tree=$scratch/build/win64
mkdir -p "$tree"
if [ ! -f "$tree/build.ninja" ]; then
  cmake -S "$here" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DTRAWLIX_VERSION=$version -DTRAWLIX_E2E=OFF -DTRAWLIX_HOMEPAGE_URL=https://trawlix.invalid/home/ \
    -DTRAWLIX_EMAIL=author@trawlix.invalid -DTRAWLIX_DONATE_URL=https://trawlix.invalid/give >"$scratch/configure.log" || { cat "$scratch/configure.log"; exit 1; }
fi
ninja -C "$tree" -j 2 Trawlix >"$scratch/build.log" || { cat "$scratch/build.log"; exit 1; }
[ "$("$here/scripts/build-version.sh" "$tree")" = $version ] || fail "the tree is not built as $version"
# package.sh packages a win32 and a win64 tree: the one tree stands for both.
ln -sfn win64 "$scratch/build/win32"
env -u SIGN_PFX bash "$here/scripts/package.sh" --out "$scratch/package" "$scratch/build" >/dev/null

exe=$tree/bin/Trawlix.exe
# Read whole, never through grep -q in a pipe: pipefail would take its early exit for a failure.
exe_strings=$(strings -a "$exe")
texts=$(grep '^Trawlix [0-9]' <<<"$exe_strings" | sort -u)
[ "$texts" = "$(printf 'Trawlix %s\nTrawlix %s - By Orvane' $version $version)" ] || fail "Trawlix.exe's texts: $texts"
resources=$(x86_64-w64-mingw32-windres -i "$exe" -O rc)
grep -q "FILEVERSION 2, 34, 5, 0" <<<"$resources" || fail "the version resource's FILEVERSION"
grep -q "PRODUCTVERSION 2, 34, 5, 0" <<<"$resources" || fail "the version resource's PRODUCTVERSION"
grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$resources" || fail "the version resource's FileVersion"
grep -q "VALUE \"ProductVersion\", \"$version\"" <<<"$resources" || fail "the version resource's ProductVersion"
grep -q "name=\"\"Orvane.Trawlix\"\" version=\"\"$version.0\"\"" <<<"$resources" || fail "the manifest's version"
! grep -q '1[.,] *10' <<<"$resources" || fail "Trawlix.exe's resources name 1.10"

names=$(ls "$scratch/package")
[ "$names" = "$(printf '%s\n' SHA256SUMS Trawlix-$version-setup.exe Trawlix-$version-win32.zip Trawlix-$version-win64.zip)" ] ||
  fail "the release files: $names"
[ "$(unzip -Z1 "$scratch/package/Trawlix-$version-win64.zip" | cut -d/ -f1 | sort -u)" = "Trawlix-$version" ] ||
  fail "the ZIP's folder"
readme=$(unzip -p "$scratch/package/Trawlix-$version-win64.zip" "Trawlix-$version/README.txt")
[[ $readme == "Trawlix $version ("* ]] ||
  fail "README.txt's first line"

grep -qx 'author@trawlix.invalid' <<<"$exe_strings" || fail "the About box's e-mail address"
grep -qx 'trawlix.invalid/home' <<<"$exe_strings" || fail "the About box's home page"
for link in HomePage.url:https://trawlix.invalid/home/ EmailMe.url:mailto:author@trawlix.invalid Donate.url:https://trawlix.invalid/give; do
  [ "$(unzip -p "$scratch/package/Trawlix-$version-win64.zip" "Trawlix-$version/${link%%:*}")" = \
    "$(printf '[InternetShortcut]\r\nURL=%s\r' "${link#*:}")" ] || fail "${link%%:*} does not point to ${link#*:}"
done

setup=$scratch/package/Trawlix-$version-setup.exe
grep -q "FILEVERSION 2, 34, 5, 0" <(x86_64-w64-mingw32-windres -i "$setup" -O rc) || fail "the installer's version resource"
# The installer's script, with the texts it writes to the registry, is the first thing in its
# LZMA-compressed data (NSIS's default settings: lc=3, lp=0, pb=2, 8 MiB), which follows the 28 bytes
# of the header that begins 4 bytes before NSIS's signature, and those 5 bytes of LZMA properties.
signature=$(LC_ALL=C grep -obUaP '\xef\xbe\xad\xdeNullsoftInst' "$setup" | head -1 | cut -d: -f1)
[ -n "$signature" ] || fail "no NSIS data in the installer"
script=$scratch/installer-script
tail -c +$((signature - 4 + 28 + 5 + 1)) "$setup" >"$script.lzma"
# The stream has no end marker: xz complains at its end, after writing it all.
xz -dc --format=raw --lzma1=lc=3,lp=0,pb=2,dict=8MiB <"$script.lzma" >"$script" 2>/dev/null || true
# A Perl pattern of a text as the unicode installer stores it, UTF-16LE.
utf16() {
  local i c pattern=
  for ((i = 0; i < ${#1}; i++)); do
    c=${1:i:1}
    [ "$c" != . ] || c='\.'
    pattern+="$c\\x00"
  done
  printf '%s' "$pattern"
}
LC_ALL=C grep -qaP "$(utf16 DisplayVersion)" "$script" || fail "the installer writes no DisplayVersion"
LC_ALL=C grep -qaP "\\x00\\x00$(utf16 $version)\\x00\\x00" "$script" || fail "the installer's texts lack $version alone"
LC_ALL=C grep -qaP "$(utf16 "Trawlix $version")" "$script" || fail "the installer's name lacks $version"
! LC_ALL=C grep -qaP "$(utf16 1.10)" "$script" || fail "the installer's texts name 1.10"
# Its licence page: the licence's text among the installer's own texts.
LC_ALL=C grep -qaP "$(utf16 'Permission is hereby granted, free of charge')" "$script" || fail "the installer shows no licence"
echo "a build as $version carries it in the program, its resources, the installer and the release files, and its addresses"
