#!/usr/bin/env bash
# check-signing.sh BUILD VERSION: packages the built trees into a scratch folder, signed with a throwaway
# self-signed code-signing certificate, and checks that each program in the release has a valid SHA-256
# signature by it (the installer, the Trawlix.exe and the uninstaller inside it, each ZIP's Trawlix.exe),
# that SHA256SUMS matches the signed files, and that the password is in no output, on no command line
# of the signing tools, and in no file left behind.
set -euo pipefail
build=$(realpath "$1") version=$2
here=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"

password=$(openssl rand -hex 16)
export password
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Trawlix test signer" -keyout key.pem -out cert.pem \
  -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -passout env:password -out signer.pfx

# The signing tools run through stand-ins that log their command lines.
mkdir bin
for tool in osslsigncode makensis; do
  # shellcheck disable=SC2016  # $0 and $* are the stand-in's own, expanded when it runs
  printf '#!/bin/sh\necho "$0 $*" >>%s/commands\nexec %s "$@"\n' "$scratch" "$(command -v "$tool")" >"bin/$tool"
  chmod +x "bin/$tool"
done
PATH=$scratch/bin:$PATH SIGN_PFX=signer.pfx SIGN_PASSWORD=$password \
  bash "$here/scripts/package.sh" --out package "$build" >output 2>&1 || { cat output; fail "package.sh failed"; }
cat output
grep -q 'osslsigncode sign' commands || fail "osslsigncode was not run"
! grep -qF -e "$password" output commands || fail "the password was printed or on a command line"
passfile=$(grep -o -- '-readpass [^ ]*' commands | head -1 | cut -d' ' -f2)
[[ -n $passfile && ! -e $passfile ]] || fail "the password file '$passfile' was left behind"

(cd package && sha256sum -c SHA256SUMS) || fail "SHA256SUMS does not match"
7z x -osetup "package/Trawlix-$version-setup.exe" >/dev/null
# The uninstaller, as the installer writes it: makensis embeds it signed, whole, as a data block of
# its own. 7-Zip names it only where it can follow the installer's script, which the 7-Zip of Debian
# 13 cannot in an installer of NSIS 3.10 or later that calls a plug-in ("BadCmd" in its listing): so
# it is taken from the data blocks here, the one program among them that is an NSIS installer too.
python3 - "package/Trawlix-$version-setup.exe" setup/uninstall.exe <<'EOF' || fail "no uninstaller found in the installer"
import lzma, struct, sys
marker = b"\xef\xbe\xad\xdeNullsoftInst"
data = open(sys.argv[1], "rb").read()
# After the first header (flags, marker, the sizes of the script and of all data) one LZMA stream
# (SetCompressor /SOLID lzma): its properties byte and dictionary size, then the compressed data.
start = data.find(marker) + 24
if start < 24: sys.exit("not an NSIS installer")
props, dictionary = data[start], struct.unpack_from("<I", data, start + 1)[0]
lzma1 = {"id": lzma.FILTER_LZMA1, "dict_size": dictionary, "lc": props % 9, "lp": props // 9 % 5, "pb": props // 45}
stream = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=[lzma1]).decompress(data[start + 5:])
# Each block after its size: first the script, then the data.
blocks, at = [], 0
while at + 4 <= len(stream):
    size = struct.unpack_from("<I", stream, at)[0] & 0x7FFFFFFF
    blocks.append(stream[at + 4:at + 4 + size])
    at += 4 + size
found = [block for block in blocks[1:] if block[:2] == b"MZ" and marker in block]
if len(found) != 1: sys.exit(f"{len(found)} uninstallers among the installer's data")
open(sys.argv[2], "wb").write(found[0])
EOF
for arch in win32 win64; do unzip -q -d "$arch" "package/Trawlix-$version-$arch.zip"; done
for exe in "package/Trawlix-$version-setup.exe" setup/Trawlix.exe setup/uninstall.exe \
           "win32/Trawlix-$version/Trawlix.exe" "win64/Trawlix-$version/Trawlix.exe"; do
  { osslsigncode verify -CAfile cert.pem -in "$exe" >verify.log 2>&1 && grep -q 'digest algorithm *: SHA256' verify.log; } ||
    { cat verify.log; fail "$exe: no valid SHA-256 signature by the test certificate"; }
  echo "$exe: signed"
done
