#!/usr/bin/env bash
# Checks that every C++ source is laid out as .clang-format says; names each file that is not, and
# fails. `make format` lays them out.
#   check-format.sh [SOURCE_FOLDER]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# The files git knows; outside a git checkout (an unpacked archive) the same names by their folders.
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -printf '%P\n' | sort)
fi
# One clang-format for all files: it reports the first misplaced line of each.
if ! report=$(clang-format --style=file --dry-run -Werror --ferror-limit=1 "${files[@]}" 2>&1); then
  unformatted=$(grep -o '^[^:]*:[0-9]*:[0-9]*: error: code should be clang-formatted' <<<"$report" | cut -d: -f1 | sort -u)
  if [ -z "$unformatted" ]; then echo "$report"; exit 1; fi  # clang-format itself failed
  while read -r file; do echo "$file: not formatted as .clang-format says (make format)"; done <<<"$unformatted"
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format lays them out"
