#!/usr/bin/env bash
# check-zips.sh PACKAGE VERSION WIN64BIN: the package folder holds exactly the installer, the two ZIPs
# and their SHA256SUMS, which match them; each ZIP exactly its build's Trawlix.exe, the three shortcut
# files, a README.txt and the licence as LICENSE.txt, both with CR LF line ends, in one folder.
set -euo pipefail
package=$1 version=$2 win64bin=$3
licence=$(cd "$(dirname "$0")/.." && pwd -P)/LICENSE
fail() { echo "FAIL: $*" >&2; exit 1; }

names=$(ls "$package")
expected=$(echo SHA256SUMS; printf 'Trawlix-%s-%s\n' "$version" setup.exe "$version" win32.zip "$version" win64.zip)
[ "$names" = "$expected" ] || fail "$package holds: $names"
[ "$(cut -d' ' -f3 "$package/SHA256SUMS")" = "$(tail -3 <<<"$expected")" ] || fail "SHA256SUMS does not name the three files"
(cd "$package" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for build in win64:pei-x86-64 win32:pei-i386; do
  zip=$package/Trawlix-$version-${build%%:*}.zip
  folder=Trawlix-$version
  listed=$(unzip -Z1 "$zip" | sort)
  expected=$(printf "$folder/%s\n" Donate.url EmailMe.url HomePage.url LICENSE.txt README.txt Trawlix.exe)
  [ "$listed" = "$expected" ] || fail "$zip holds: $listed"
  unzip -q -d "$scratch/${build%%:*}" "$zip"
  [ "$(grep -vc $'\r$' "$scratch/${build%%:*}/$folder/README.txt")" = 0 ] || fail "$zip: README.txt has lines without CR LF"
  sed 's/$/\r/' "$licence" | cmp -s - "$scratch/${build%%:*}/$folder/LICENSE.txt" ||
    fail "$zip: LICENSE.txt is not the LICENSE with CR LF line ends"
  x86_64-w64-mingw32-objdump -f "$scratch/${build%%:*}/$folder/Trawlix.exe" | grep -q "file format ${build#*:}\$" ||
    fail "$zip: Trawlix.exe is not ${build#*:}"
done
cmp "$scratch/win64/Trawlix-$version/Trawlix.exe" "$win64bin/Trawlix.exe" || fail "the win64 ZIP holds another Trawlix.exe than $win64bin"
echo "$package: the installer, both ZIPs and SHA256SUMS as expected"
