#!/usr/bin/env bash
# Runs shellcheck over every shell script of the project: scripts/, which holds all that the build
# and the tests run, and .ci/run. Fails on any finding, and on a `shellcheck disable=` without its
# reason (after it on the same line, or in a comment on the line before).
#   check-shell.sh [SOURCE_FOLDER]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

scripts=(scripts/*.sh .ci/run)
bad=0
shellcheck "${scripts[@]}" || bad=1
for script in "${scripts[@]}"; do
  awk -v file="$script" '
    /^[[:space:]]*# shellcheck disable=/ && !/disable=[A-Z0-9,]+[[:space:]]+#[[:space:]]*[^[:space:]]/ && !reason {
      print file ":" FNR ": shellcheck disable= without its reason"; found = 1
    }
    # A comment line before it, other than the #! line or another directive, gives its reason.
    { reason = /^[[:space:]]*#/ && !/^#!/ && !/shellcheck /; }
    END { exit found }' "$script" || bad=1
done
[ "$bad" -eq 0 ] && echo "shellcheck: ${#scripts[@]} scripts clean"
exit "$bad"
