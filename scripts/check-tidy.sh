#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over some of the program's sources, each compiled as
# its build tree compiles it (the tree's compile_commands.json); fails on any finding, naming it.
#   check-tidy.sh BUILD_TREE SOURCE...     (sources relative to the source folder)
# Two files at a time. A file whose source, project headers, compile command and checks are unchanged
# since it last passed is not checked again (a stamp per file in BUILD_TREE/tidy).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 2 ] || { echo "usage: $0 BUILD_TREE SOURCE..." >&2; exit 2; }
build=$(cd "$1" && pwd)
shift
stamps=$build/tidy
mkdir -p "$stamps"

# One compile command per source: the Windows tree also compiles the shell into the bench's copy of
# the program, and clang-tidy would check a file once for each command it finds.
awk -v root="$root" -v files="$*" '
  BEGIN { n = split(files, f, " "); for (i = 1; i <= n; i++) want[root "/" f[i]] = 1; print "[" }
  /^\{/ { entry = ""; file = "" }
  /^  "file": / { file = $0; sub(/^  "file": "/, "", file); sub(/",?$/, "", file) }
  { entry = entry $0 "\n" }
  /^\},?$/ {
    if (want[file] && !seen[file]++) { sub(/,?\n$/, "", entry); printf "%s%s", (count++ ? ",\n" : ""), entry }
  }
  END { print "\n]" }' "$build/compile_commands.json" >"$stamps/compile_commands.json"

# A cross compiler's target and its C++ library headers, which clang does not find by itself.
compiler=$(grep -m1 -o '"command": "[^ ]*' "$stamps/compile_commands.json" | cut -d'"' -f4)
extra=()
if [[ $(basename "$compiler") =~ ^(.*-w64-mingw32)- ]]; then
  extra+=(--extra-arg="--target=${BASH_REMATCH[1]}" --extra-arg=-nostdinc++)
  while read -r dir; do extra+=(--extra-arg="-isystem$dir"); done < <(
    "$compiler" -xc++ -E -v /dev/null 2>&1 | sed -n '/<\.\.\.> search starts/,/End of/p' | grep '/c++' | sed 's/^ *//')
fi

# What every file's result depends on besides its own source and command.
common=$( { clang-tidy --version; cat "$root/.clang-tidy" "$root"/*/.clang-tidy 2>/dev/null
            cat "$root"/{APIcalls,about,automation,common,panel,shell}/*.h; echo "${extra[*]}"; } | sha256sum)

check_one() {
  local file=$1 stamp key extra
  mapfile -t extra <"$stamps/extra-args"
  stamp=$stamps/${file//\//_}
  key=$( { echo "$common"; cat "$root/$file"; grep -F "\"file\": \"$root/$file\"" -B1 "$stamps/compile_commands.json"; } |
         sha256sum)
  [ "$(cat "$stamp.ok" 2>/dev/null)" = "$key" ] && return 0
  rm -f "$stamp.ok"
  if clang-tidy -p "$stamps" --quiet "${extra[@]}" "$root/$file" >"$stamp.log" 2>&1; then
    echo "$key" >"$stamp.ok"
  else
    grep -v ' warnings\? \(and [0-9]* errors\? \)\?generated\.$' "$stamp.log"
    return 1
  fi
}
for arg in "${extra[@]}"; do echo "$arg"; done >"$stamps/extra-args"
export root stamps common
export -f check_one

# shellcheck disable=SC2016  # $1 is the inner shell's: the file xargs hands it
printf '%s\n' "$@" | xargs -P 2 -I{} bash -c 'check_one "$1"' _ {} ||
  { echo "clang-tidy: findings above (mend them, or explain with NOLINT(check): reason)"; exit 1; }
echo "clang-tidy: $# files clean"
