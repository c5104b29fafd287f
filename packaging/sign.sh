#!/usr/bin/env bash
# sign.sh FILE: signs FILE in place (Authenticode, SHA-256) with the PKCS#12
# key named by VARNOK_SIGN_PKCS12 and VARNOK_SIGN_PASSWORD, time-stamped by
# VARNOK_SIGN_TIMESTAMP_URL (RFC 3161) when that is set. Without a key it
# leaves FILE alone. Used for varnok.exe, the NSIS installer and uninstaller
# and the MSI alike.
set -euo pipefail

file=$1
[ -n "${VARNOK_SIGN_PKCS12:-}" ] || exit 0
if [ -z "${VARNOK_SIGN_PASSWORD+set}" ]; then
    echo "sign: VARNOK_SIGN_PKCS12 is set but VARNOK_SIGN_PASSWORD is not" >&2
    exit 1
fi

args=(sign -pkcs12 "$VARNOK_SIGN_PKCS12" -h sha256 -n Varnok)
if [ -n "${VARNOK_SIGN_TIMESTAMP_URL:-}" ]; then
    args+=(-ts "$VARNOK_SIGN_TIMESTAMP_URL")
fi
rm -f "$file.signed"
# The password goes through a pipe, never the command line that ps shows.
osslsigncode "${args[@]}" -readpass <(printf '%s' "$VARNOK_SIGN_PASSWORD") \
    -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
