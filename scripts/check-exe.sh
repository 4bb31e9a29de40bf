#!/usr/bin/env bash
# Checks the shipped executable: a 32-bit Windows GUI program that imports system DLLs only.
set -euo pipefail
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "FAIL: $*"; exit 1; }
grep -q 'file format pei-i386' <<<"$dump" || fail "not a 32-bit PE"
grep -Eq '^Subsystem\s+0*2\s' <<<"$dump" || fail "not a GUI program"
dlls=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump" | sort -u)
echo "imports:" $dlls
for dll in $dlls; do
  case "$dll" in
    kernel32.dll|user32.dll|gdi32.dll|shell32.dll|advapi32.dll|comctl32.dll|msvcrt.dll) ;;
    *) fail "imports $dll" ;;
  esac
done
