#!/usr/bin/env bash
# Two clean builds of this commit, in different folders, one later and under
# another time zone and umask: their release files must be identical and hold
# neither folder. Then throwaway keys sign one build, from a PKCS#12 file and
# from a SoftHSM2 token: osslsigncode accepts every signature, the manifests
# hash the signed files, and the signed program installs and starts under Wine.
#   release_test.sh SOURCE_DIR VERSION WINDOW_PROBE_EXE
set -uo pipefail

source_dir=$1 version=$2 probe=$3

. "$(dirname "$0")/test_lib.sh"
require_throwaway_prefix release_test

work=$(mktemp -d "${TMPDIR:-/tmp}/varnok-release-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
commit=$(git -C "$source_dir" rev-parse HEAD)
if [ -n "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ]; then
    echo "release_test: builds commit $commit; uncommitted changes are not part of it"
fi

files=(release/varnok.exe varnok.exe.debug "varnok-$version-win64.zip" "varnok-$version-setup.exe"
       "varnok-$version-x64.msi" SHA256SUMS release/varnok_setup_actions.dll varnok.json
       winget/Varnok.Varnok.yaml winget/Varnok.Varnok.installer.yaml winget/Varnok.Varnok.locale.en-US.yaml)

# Only what the release needs: the program and the packages, not the tests.
build() {
    local dir=$1
    git clone -q --shared --no-checkout "$source_dir" "$dir" && git -C "$dir" checkout -q "$commit" \
        && (cd "$dir" && cmake --preset windows -DCMAKE_SKIP_PACKAGE_ALL_DEPENDENCY=ON \
            && cmake --build --preset windows --target varnok_release \
            && cmake --build --preset windows --target package) >"$dir.log" 2>&1
}

group "two clean builds give the same bytes"
start=$SECONDS
build "$work/a" || { cat "$work/a.log"; fail "the first build failed"; }
(umask 077; export TZ=Pacific/Kiritimati; build "$work/second-build") || { cat "$work/second-build.log"; fail "the second build failed"; }
echo "   (both builds: $((SECONDS - start)) s)"
a=$work/a/build/windows b=$work/second-build/build/windows
for f in "${files[@]}"; do
    if ! cmp "$a/$f" "$b/$f"; then
        fail "$f differs between the builds"
    fi
done
grep -qx -- "-- Not signed: set VARNOK_SIGN_PKCS11_MODULE (a token) or VARNOK_SIGN_PKCS12 to sign the release." "$work/a.log" \
    || fail "an unsigned build does not say so"
sed 's/^/   /' "$a/SHA256SUMS"

group "no build folder in any release file"
python3 - "$work/a" "$work/second-build" -- "${files[@]/#/$a/}" "${files[@]/#/$b/}" <<'PY' || fail "build folders found"
import sys
split = sys.argv.index("--")
folders, files = sys.argv[1:split], sys.argv[split + 1:]
found = False
for path in files:
    data = open(path, "rb").read()
    for folder in folders:
        if folder.encode() in data or folder.encode("utf-16-le") in data:
            print("  %s holds %s" % (path, folder))
            found = True
sys.exit(1 if found else 0)
PY

# One RSA key, in a PKCS#12 file and in a throwaway SoftHSM2 token (with its
# certificate, for the signer that takes it from there).
pin=pin-4183-varnok
export SOFTHSM2_CONF=$work/softhsm2.conf
mkdir "$work/tokens"
printf 'directories.tokendir = %s\nobjectstore.backend = file\n' "$work/tokens" >"$SOFTHSM2_CONF"
module=/usr/lib/softhsm/libsofthsm2.so
(cd "$work" && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
     -subj "/CN=Varnok release test" && openssl pkcs12 -export -inkey key.pem -in cert.pem \
     -out key.p12 -passout pass:test-password && openssl x509 -in cert.pem -outform der -out cert.der \
     && softhsm2-util --init-token --free --label varnok-test --so-pin 0000 --pin "$pin" \
     && softhsm2-util --import key.pem --token varnok-test --label release --id 01 --pin "$pin" \
     && pkcs11-tool --module "$module" --token-label varnok-test --login --pin "$pin" \
            --write-object cert.der --type cert --id 01 --label release) >"$work/keys.log" 2>&1 \
    || { cat "$work/keys.log"; fail "no throwaway keys"; }
key_uri="pkcs11:token=varnok-test;object=release;type=private"
cp "$a/release/varnok.exe" "$work/unsigned-varnok.exe"
verify() {
    osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1 \
        || { cat "$work/verify.log"; fail "$kind: no valid signature on $2"; }
}

group "the token's own certificate signs too, and the signer says what is missing"
cp "$work/unsigned-varnok.exe" "$work/token-cert.exe"
VARNOK_SIGN_PKCS11_MODULE=$module VARNOK_SIGN_PKCS11_KEY=$key_uri VARNOK_SIGN_PIN=$pin \
    bash "$source_dir/packaging/sign.sh" "$work/token-cert.exe" && kind=token verify "$work/token-cert.exe" varnok.exe
out=$(VARNOK_SIGN_PKCS11_MODULE=$module VARNOK_SIGN_PKCS11_KEY="pkcs11:token=varnok-test;object=none" \
      VARNOK_SIGN_PIN=$pin bash "$source_dir/packaging/sign.sh" "$work/token-cert.exe" 2>&1) \
    && fail "a missing certificate signed"
grep -q "set VARNOK_SIGN_CERT" <<<"$out" || fail "a missing certificate is not named: $out"

inst_win='C:\Program Files\Varnok'
inst="$WINEPREFIX/drive_c/Program Files/Varnok"
msi_win=$(winepath -w "$a/varnok-$version-x64.msi" 2>/dev/null)
for kind in pkcs12 pkcs11; do
    group "a throwaway $kind key signs every file, and the signed program runs"
    case $kind in
        pkcs12) keys=(VARNOK_SIGN_PKCS12="$work/key.p12" VARNOK_SIGN_PASSWORD=test-password) ;;
        pkcs11) keys=(VARNOK_SIGN_PKCS11_MODULE="$module" VARNOK_SIGN_PKCS11_KEY="$key_uri"
                      VARNOK_SIGN_CERT="$work/cert.pem" VARNOK_SIGN_PIN="$pin") ;;
    esac
    start=$SECONDS
    (cd "$work/a" && export "${keys[@]}" && cmake --build --preset windows --target varnok_release \
         && cmake --build --preset windows --target package) >"$work/sign-$kind.log" 2>&1 \
        || { cat "$work/sign-$kind.log"; fail "$kind: the signed build failed"; }
    echo "   (signed build: $((SECONDS - start)) s)"
    verify "$a/release/varnok.exe" varnok.exe
    verify "$a/varnok-$version-setup.exe" "the installer"
    verify "$a/varnok-$version-x64.msi" "the MSI"
    rm -rf "$work/msi" && mkdir "$work/msi" && msidump -s -d "$work/msi" "$a/varnok-$version-x64.msi" >/dev/null
    verify "$work/msi/_Streams/Binary.VarnokActions" "the MSI's custom action"
    cmp -s "$a/release/varnok.exe" "$work/unsigned-varnok.exe" && fail "$kind: varnok.exe was not re-signed"
    unzip -p "$a/varnok-$version-win64.zip" varnok.exe | cmp -s - "$a/release/varnok.exe" \
        || fail "$kind: the zip does not hold the signed varnok.exe"
    # Neither the build folder nor a log keeps the PIN.
    grep -rlF -- "$pin" "$a/release" "$a/CMakeCache.txt" "$a/_CPack_Packages" "$work/sign-$kind.log" 2>/dev/null \
        && fail "$kind: the PIN was written down"

    # The uninstaller is signed inside makensis; it appears only once installed.
    timeout 120 wine "$a/varnok-$version-setup.exe" /S /NOSTART >>"$work/wine.log" 2>&1 || fail "$kind: the signed installer exited with $?"
    verify "$inst/Uninstall.exe" "the uninstaller"
    # The manifests hash the signed files and name the entry the installer made.
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnok' >"$work/entry.txt" 2>&1
    python3 "$source_dir/tests/packaging/manifest_check.py" "$a" "$version" "$work/entry.txt" \
        || fail "$kind: the manifests do not describe the signed packages"
    read -ra in_place <<<"_?=$inst_win"
    timeout 120 wine "$inst/Uninstall.exe" /S "${in_place[@]}" >>"$work/wine.log" 2>&1 || fail "$kind: the signed uninstaller exited with $?"
    rm -rf "$inst"
    wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Varnok /f >/dev/null 2>&1

    timeout 120 wine msiexec /i "$msi_win" /qn >>"$work/wine.log" 2>&1 || fail "$kind: the signed MSI did not install"
    cmp -s "$inst/varnok.exe" "$a/release/varnok.exe" || fail "$kind: the MSI did not install the signed varnok.exe"
    wine "$inst_win\\varnok.exe" >>"$work/wine.log" 2>&1 &
    timeout 60 wine "$probe" VarnokForm1 present 10000 >>"$work/wine.log" 2>&1 || fail "$kind: the signed varnok.exe shows no window"
    timeout 120 wine msiexec /x "$msi_win" /qn >>"$work/wine.log" 2>&1 || fail "$kind: the signed MSI did not uninstall"
    timeout 60 wine "$probe" VarnokForm1 absent 10000 >>"$work/wine.log" 2>&1 || fail "$kind: Varnok still runs after msiexec /x"
    [ ! -e "$inst" ] || fail "$kind: $inst_win is left after msiexec /x"
done

if [ "$failures" -ne 0 ]; then
    echo "release_test: $failures failure(s); wine output:"
    cat "$work/wine.log"
    exit 1
fi
echo "release_test: all passed"
