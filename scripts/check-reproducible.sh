#!/usr/bin/env bash
# check-reproducible.sh [COMMIT]: makes the release files twice, from two clean clones of COMMIT (default
# HEAD) in folders of different path lengths, the second a while later under another time zone and
# umask; compares them byte for byte, prints their sums and looks for either folder's path in what they
# hold. Not part of make test: each clone builds everything (JOBS=2 by default), some minutes each.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$here" rev-parse --verify "${1:-HEAD}^{commit}")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
first=$root/a second=$root/second/a-clone-in-a-longer-folder

# package FOLDER: a clean clone of the commit in FOLDER, and make package there.
package() {
  git clone -q --no-checkout "$here" "$1"
  git -C "$1" checkout -q --detach "$commit"
  echo "$(date -u +%T) make package in $1"
  env -u SOURCE_DATE_EPOCH make -C "$1" package JOBS="${JOBS:-2}" >"$1.log" 2>&1 ||
    { tail -20 "$1.log"; echo "FAIL: make package in $1"; exit 1; }
}
package "$first"
(umask 077 && TZ=Pacific/Kiritimati package "$second")
# The version the commit's trees were built with.
version=$("$here/scripts/build-version.sh" "$first/build/win64")
names=(SHA256SUMS "Trawlix-$version-setup.exe" "Trawlix-$version-win32.zip" "Trawlix-$version-win64.zip")

status=0
for folder in "$first" "$second"; do
  echo "$folder/build/package:"
  sed 's/^/  /' "$folder/build/package/SHA256SUMS"
  # Neither clone's folder in the files, nor in what the installer and the ZIPs hold.
  contents=$root/contents-$(basename "$folder")
  7z x -o"$contents/setup" "$folder/build/package/Trawlix-$version-setup.exe" >/dev/null
  for zip in "$folder"/build/package/*.zip; do unzip -q -d "$contents/$(basename "$zip")" "$zip"; done
  for file in "$folder"/build/package/* $(find "$contents" -type f); do
    if strings -a "$file" | cat - <(strings -a -el "$file") | grep -qF -e "$first" -e "$second"; then
      echo "FAIL: $file holds a build folder"; status=1
    fi
  done
done
for name in "${names[@]}"; do
  if cmp "$first/build/package/$name" "$second/build/package/$name"; then
    echo "same: $name"
  else
    echo "FAIL: $name differs; bytes (offset, octal values):"; cmp -l "$first/build/package/$name" "$second/build/package/$name" | head -20
    status=1
  fi
done
exit $status
