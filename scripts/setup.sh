#!/usr/bin/env bash
# Installs what building and testing Varnok needs, from Debian's archive,
# and only what is missing.
set -euo pipefail

packages=(cmake ninja-build g++ googletest python3
          g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth
          nsis unzip clang libclang-rt-14-dev)
# The release: the MSI (wixl, msibuild, olefile for its summary) and signing.
packages+=(wixl msitools python3-olefile osslsigncode openssl)
# Signing with a key on a PKCS#11 token (a throwaway SoftHSM2 one in the
# tests), and the offline checks of the winget and Scoop manifests.
packages+=(softhsm2 libengine-pkcs11-openssl opensc python3-yaml python3-jsonschema)
# The Debian 13 root in which the Win32 tests run under Wine 10.
packages+=(debootstrap)
# The question's Unicode tables (made at build time) and the oracle its
# fuzzer checks them against.
packages+=(unicode-data python3-icu libicu-dev)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
