#!/usr/bin/env bash
# Checks a shipped Trawlix.exe: built for its architecture (i686 or x86_64), as its manifest says too;
# a GUI program with ASLR and DEP (high-entropy ASLR on x86_64, no SEH handlers on i686); system DLLs
# only, and only functions that the oldest Windows of its build has; no debug sections; at most
# 150 KB; restricting the DLL search at start. Read from the file; the i686 program itself also runs
# here, under emulated 32-bit Wine, in the end-to-end tests chosen for it.
#   check-exe.sh Trawlix.exe i686|x86_64
set -euo pipefail
exe=$1 arch=$2
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*"; exit 1; }
# The oldest Windows each build starts on: XP SP2 (NT 5.1) for i686, XP x64 / Server 2003 x64 (NT 5.2)
# for x86_64. Their loaders refuse an image that asks for a newer subsystem version.
case "$arch" in
  i686) format=pei-i386 manifest_arch=x86 flags=$((0x40 | 0x100 | 0x400)) oldest=5.1 ;;
  x86_64) format=pei-x86-64 manifest_arch=amd64 flags=$((0x40 | 0x100 | 0x20)) oldest=5.2 ;;
  *) fail "unknown architecture $arch" ;;
esac
dump=$("$arch-w64-mingw32-objdump" -p -h "$exe")

grep -q "file format $format" <<<"$dump" || fail "not $format"
grep -Eq '^Subsystem\s+0*2\s' <<<"$dump" || fail "not a GUI program"
subsystem=$(awk '/^MajorSubsystemVersion/ {major = $2} /^MinorSubsystemVersion/ {minor = $2} END {print major "." minor}' <<<"$dump")
echo "subsystem version: $subsystem (at most $oldest)"
(( ${subsystem%.*} * 100 + ${subsystem#*.} <= ${oldest%.*} * 100 + ${oldest#*.} )) ||
  fail "subsystem version $subsystem: Windows older than NT $subsystem would refuse to start it"
# DYNAMIC_BASE 0x40 and NX_COMPAT 0x100 (ASLR, DEP), HIGH_ENTROPY_VA 0x20, NO_SEH 0x400.
characteristics=$((16#$(awk '/^DllCharacteristics/ {print $2}' <<<"$dump")))
printf 'DllCharacteristics: 0x%x\n' "$characteristics"
(( (characteristics & flags) == flags )) || fail "DllCharacteristics lacks $(printf '0x%x' $((flags & ~characteristics)))"

dlls=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump" | sort -u)
echo "imports: ${dlls//$'\n'/ }"
for dll in $dlls; do
  case "$dll" in
    kernel32.dll|user32.dll|gdi32.dll|shell32.dll|advapi32.dll|comctl32.dll|msvcrt.dll) ;;
    *) fail "imports $dll" ;;
  esac
done
# Every imported function must be on the list of those the oldest Windows of this build has.
imports=$(awk '/^The Import Tables/ {on = 1; next} /^The / {on = 0}
               on && /DLL Name:/ {dll = tolower($3); next}
               on && dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ {print dll, $3}' <<<"$dump" | sort -u)
known=$(awk -v arch="$arch" '!/^#/ && NF >= 2 && (NF == 2 || $3 == arch) {print tolower($1), $2}' \
          "$here/windows-xp-imports.txt" | sort -u)
echo "imported functions: $(wc -l <<<"$imports")"
unknown=$(comm -23 <(echo "$imports") <(echo "$known"))
[ -z "$unknown" ] || fail "imports functions not on scripts/windows-xp-imports.txt (confirm the oldest Windows that has each, or resolve it at run time): ${unknown//$'\n'/, }"
! grep -Eq '^\s*[0-9]+\s+\.debug' <<<"$dump" || fail "has debug sections"

size=$(stat -c %s "$exe")
echo "size: $size bytes"
(( size <= 150 * 1024 )) || fail "larger than 150 KB (the linker map Trawlix.map in the build tree tells what costs)"

# The manifest's own identity, the first assemblyIdentity of the embedded RT_MANIFEST resource.
resources=$("$arch-w64-mingw32-windres" -J coff -O rc -i "$exe")
identity=$(grep -m1 -o 'assemblyIdentity [^>]*' <<<"$resources")
echo "manifest: $identity"
grep -q "processorArchitecture=\"\"$manifest_arch\"\"" <<<"$identity" || fail "manifest does not name $manifest_arch"

# Resolved at run time (Windows 7 may lack it), so its name is in the file rather than in the imports.
grep -qa SetDefaultDllDirectories "$exe" || fail "does not restrict the DLL search"
echo "OK"
