#!/usr/bin/env bash
# sign.sh FILE: signs FILE in place (Authenticode, SHA-256, RSA keys) with one
# of two kinds of key, time-stamped by VARNOK_SIGN_TIMESTAMP_URL (RFC 3161)
# when that is set. Without a key it leaves FILE alone. Used for varnok.exe,
# the MSI's custom-action DLL, the NSIS installer and uninstaller and the MSI.
#
#   a PKCS#12 file (test keys):    VARNOK_SIGN_PKCS12, VARNOK_SIGN_PASSWORD
#   a PKCS#11 token (USB token or cloud HSM, as CAs issue code-signing keys):
#     VARNOK_SIGN_PKCS11_MODULE    the token's PKCS#11 library
#     VARNOK_SIGN_PKCS11_KEY       the private key's pkcs11: URI
#     VARNOK_SIGN_CERT             the certificate chain (PEM); unset: the
#                                  certificate beside the key on the token
#     VARNOK_SIGN_PIN              the token's PIN, unless it asks none
set -euo pipefail

file=$1
fail() { echo "sign: $*" >&2; exit 1; }

if [ -n "${VARNOK_SIGN_PKCS12:-}" ] && [ -n "${VARNOK_SIGN_PKCS11_MODULE:-}" ]; then
    fail "VARNOK_SIGN_PKCS12 and VARNOK_SIGN_PKCS11_MODULE are both set; choose one key"
fi
secret_set=false secret=""
if [ -n "${VARNOK_SIGN_PKCS12:-}" ]; then
    [ -n "${VARNOK_SIGN_PASSWORD+set}" ] \
        || fail "VARNOK_SIGN_PKCS12 is set but VARNOK_SIGN_PASSWORD is not"
    key=(-pkcs12 "$VARNOK_SIGN_PKCS12")
    secret_set=true secret=$VARNOK_SIGN_PASSWORD
elif [ -n "${VARNOK_SIGN_PKCS11_MODULE:-}" ]; then
    uri=${VARNOK_SIGN_PKCS11_KEY:-}
    [[ $uri == pkcs11:* ]] \
        || fail "VARNOK_SIGN_PKCS11_KEY must be the key's pkcs11: URI, not '$uri'"
    # A PIN inside the URI would reach the command line that ps shows.
    [[ $uri != *pin-value=* ]] || fail "put the PIN in VARNOK_SIGN_PIN, not in the key's URI"
    key=(-pkcs11module "$VARNOK_SIGN_PKCS11_MODULE" -key "$uri")
    if [ -n "${VARNOK_SIGN_CERT:-}" ]; then
        [ -f "$VARNOK_SIGN_CERT" ] || fail "VARNOK_SIGN_CERT names no file: $VARNOK_SIGN_CERT"
        key+=(-certs "$VARNOK_SIGN_CERT")
    else
        # The certificate object shares the key's label and id on the token:
        # the same URI with type=cert.
        IFS=';' read -ra attrs <<<"${uri%%\?*}"
        cert_uri=""
        for a in "${attrs[@]#pkcs11:}"; do
            [[ -z $a || $a == type=* ]] || cert_uri+="$a;"
        done
        cert_uri="pkcs11:${cert_uri}type=cert"
        [[ $uri != *\?* ]] || cert_uri+="?${uri#*\?}"
        key+=(-pkcs11cert "$cert_uri")
    fi
    if [ -n "${VARNOK_SIGN_PIN+set}" ]; then
        secret_set=true secret=$VARNOK_SIGN_PIN
    fi
else
    exit 0
fi

args=(sign "${key[@]}" -h sha256 -n Varnok)
if [ -n "${VARNOK_SIGN_TIMESTAMP_URL:-}" ]; then
    args+=(-ts "$VARNOK_SIGN_TIMESTAMP_URL")
fi
# The password or PIN goes through a pipe, never the command line that ps
# shows, and never into a file.
run() {
    if $secret_set; then
        osslsigncode "${args[@]}" -readpass <(printf '%s' "$secret") "$@"
    else
        osslsigncode "${args[@]}" "$@"
    fi
}
rm -f "$file.signed"
if ! run -in "$file" -out "$file.signed" >"$file.sign-log" 2>&1; then
    cat "$file.sign-log" >&2
    if [ -n "${cert_uri:-}" ] && grep -q "certificate was not found" "$file.sign-log"; then
        rm -f "$file.sign-log" "$file.signed"
        fail "no certificate on the token at $cert_uri: set VARNOK_SIGN_CERT to its file"
    fi
    rm -f "$file.sign-log" "$file.signed"
    fail "could not sign $file"
fi
rm -f "$file.sign-log"
mv -f "$file.signed" "$file"
