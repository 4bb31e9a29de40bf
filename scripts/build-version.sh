#!/usr/bin/env bash
# build-version.sh [--numbers] TREE: the version a configured build tree was made with (CMakeLists.txt's,
# or -DTRAWLIX_VERSION's), as the release files' names carry it; with --numbers its four numbers,
# padded with 0, as Windows' version resources want them (1.10 -> 1.10.0.0).
set -euo pipefail
numbers=
if [ "${1:-}" = --numbers ]; then numbers=1; shift; fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt")
[ -n "$version" ] || { echo "build-version.sh: $1 is not a configured build tree" >&2; exit 1; }
if [ -n "$numbers" ]; then
  IFS=. read -ra part <<<"$version.0.0.0"
  version=${part[0]}.${part[1]}.${part[2]}.${part[3]}
fi
echo "$version"
