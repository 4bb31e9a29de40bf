#!/usr/bin/env bash
# Makes the release files from the built trees: the installer of the x86_64 build, a portable ZIP of
# each build and their SHA256SUMS, and nothing else, in BUILD/package or the folder given.
#   package.sh [--out FOLDER] BUILD
# The same commit gives the same bytes in any folder on any day: every time in the files is
# SOURCE_DATE_EPOCH, by default the commit's time, and the order, modes and time zone are fixed.
# With SIGN_PFX (a PKCS#12 file; its password in SIGN_PASSWORD) every program in them is signed: each
# Trawlix.exe, the uninstaller and the installer; SIGN_TIMESTAMP_URL adds an RFC 3161 timestamp.
set -euo pipefail
out=
if [ "${1:-}" = --out ]; then out=$2; shift 2; fi
build=$(realpath "${1:-build}")
here=$(cd "$(dirname "$0")/.." && pwd -P)
# The version the trees were built with (CMakeLists.txt's, or -DTRAWLIX_VERSION): both the same.
version=$("$here/scripts/build-version.sh" "$build/win64")
[ "$("$here/scripts/build-version.sh" "$build/win32")" = "$version" ] ||
  { echo "package.sh: $build/win32 and $build/win64 are built with different versions" >&2; exit 1; }
out=$(realpath -m "${out:-$build/package}")
files=(Trawlix.exe Donate.url EmailMe.url HomePage.url)
names=("Trawlix-$version-setup.exe" "Trawlix-$version-win32.zip" "Trawlix-$version-win64.zip")

# Outside a git checkout (a tree from git archive, say) the time is CMakeLists.txt's, which git archive
# sets to the commit's.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if [ "$(git -C "$here" rev-parse --show-toplevel 2>/dev/null)" = "$here" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$here" log -1 --format=%ct)
  else
    SOURCE_DATE_EPOCH=$(stat -c %Y "$here/CMakeLists.txt")
    echo "Not a git checkout: the release files' time is CMakeLists.txt's, $(date -u -d "@$SOURCE_DATE_EPOCH")." >&2
  fi
fi
# ZIP entries hold local times; umask and readdir order would leak into the ZIPs too.
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022

rm -rf "$out"
mkdir -p "$out"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
trap 'exit 1' HUP INT TERM

# The password goes into a file only this user can read, for osslsigncode's -readpass, and leaves the
# environment of everything below (make passes its command-line variables on in MAKEFLAGS too).
sign=
if [ -n "${SIGN_PFX:-}" ]; then
  [ -r "$SIGN_PFX" ] || { echo "package.sh: cannot read SIGN_PFX $SIGN_PFX" >&2; exit 1; }
  command -v osslsigncode >/dev/null || { echo "package.sh: signing needs osslsigncode (make deps)" >&2; exit 1; }
  SIGN_PFX=$(realpath "$SIGN_PFX")
  export SIGN_PFX
  if [ -n "${SIGN_PASSWORD:-}" ]; then
    export TRAWLIX_SIGN_PASSFILE=$stage/password
    (umask 077 && printf '%s' "$SIGN_PASSWORD" >"$TRAWLIX_SIGN_PASSFILE")
  fi
  sign=$here/scripts/sign-exe.sh
fi
unset SIGN_PASSWORD MAKEFLAGS MFLAGS

# stage_folder ARCH BINDIR BUILD NOTE: the folder Trawlix-VERSION of ARCH's ZIP: the program (signed
# when signing), its shortcut files, the README.txt and LICENSE.txt, whose lines end in CR LF for
# Notepad; each file with a fixed mode and the release's time, which the installer stores too.
stage_folder() {
  local folder=$stage/$1/Trawlix-$version
  mkdir -p "$folder"
  for file in "${files[@]}"; do cp "$2/$file" "$folder/"; done
  sed -e "s/@VERSION@/$version/" -e "s/@BUILD@/$3/" -e "s/@BUILD_NOTE@/$4/" -e 's/$/\r/' \
    "$here/package/README.txt" >"$folder/README.txt"
  sed -e 's/$/\r/' "$here/LICENSE" >"$folder/LICENSE.txt"
  [ -z "$sign" ] || "$sign" "$folder/Trawlix.exe"
  chmod 0644 "$folder"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$folder"/*
}
stage_folder win64 "$build/win64/bin" "64-bit, for 64-bit Windows" \
  "The same program as the installer's."
stage_folder win32 "$build/win32/bin" "32-bit, for 32-bit Windows" \
  "It runs on 64-bit Windows too, but there the 64-bit one is the better choice."

makensis -V2 -DVERSION="$version" -DFILEVERSION="$("$here/scripts/build-version.sh" --numbers "$build/win64")" -DBIN="$stage/win64/Trawlix-$version" -DOUTFILE="$out/${names[0]}" \
  ${sign:+"-DSIGN=$sign"} "$here/package/trawlix.nsi"
# Files in name order, no directory entries, no extra fields (owner, more times).
for arch in win32 win64; do
  (cd "$stage/$arch" && find "Trawlix-$version" -type f | sort | zip -q -X -D -@ "$out/Trawlix-$version-$arch.zip")
done

(cd "$out" && sha256sum "${names[@]}" >SHA256SUMS && cat SHA256SUMS)
