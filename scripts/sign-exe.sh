#!/usr/bin/env bash
# sign-exe.sh FILE: signs a Windows program in place (Authenticode, SHA-256) with the certificate and key
# in SIGN_PFX. Its password, if it has one, osslsigncode reads from the file TRAWLIX_SIGN_PASSFILE, so
# that it is on no command line. SIGN_TIMESTAMP_URL, when set, adds an RFC 3161 timestamp. package.sh
# calls it for each Trawlix.exe, makensis for the uninstaller and the installer.
set -euo pipefail
file=$1
options=(-pkcs12 "$SIGN_PFX" -h sha256 -n Trawlix)
[ -z "${TRAWLIX_SIGN_PASSFILE:-}" ] || options+=(-readpass "$TRAWLIX_SIGN_PASSFILE")
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$SIGN_TIMESTAMP_URL")
osslsigncode sign "${options[@]}" -in "$file" -out "$file.signed" >/dev/null
mv "$file.signed" "$file"
