#!/usr/bin/env bash
# The installers on a Windows older than Varnok's oldest (Windows 7 SP1):
# each refuses it in plain words and installs nothing. Wine is told to be
# Vista for these runs only.
#   older_windows_test.sh SETUP_EXE MSI
set -uo pipefail

setup=$1 msi=$2

. "$(dirname "$0")/test_lib.sh"
require_throwaway_prefix older_windows_test
message="Varnok needs Windows 7 with Service Pack 1, 64-bit, or a later Windows."
inst="$WINEPREFIX/drive_c/Program Files/Varnok"
log=$(mktemp "${TMPDIR:-/tmp}/varnok-older-windows.XXXXXX")

echo "== the MSI's launch condition, as Windows Installer reads it"
conditions=$(msiinfo export "$msi" LaunchCondition | tr -d '\r')
printf '%s\n' "$conditions"
grep -qxF "Installed OR VersionNT64 > 601 OR (VersionNT64 = 601 AND ServicePackLevel >= 1)	$message" \
    <<<"$conditions" || fail "no launch condition for Windows 7 SP1"

wine reg add 'HKCU\Software\Wine' /v Version /d vista /f >/dev/null 2>&1
trap 'wine reg delete "HKCU\Software\Wine" /v Version /f >/dev/null 2>&1; wineserver -w; rm -f "$log"' EXIT

echo "== msiexec /i /qn on Vista"
# A Unix exit status keeps the low byte of Windows': 1603 is 67, 1150 is 126.
timeout 120 wine msiexec /i "$(winepath -w "$msi" 2>/dev/null)" /qn /l*v "$(winepath -w "$log" 2>/dev/null)" \
    >/dev/null 2>&1
rc=$?
[ "$rc" = 67 ] || fail "msiexec /i exited with $rc, not 1603 (67), a fatal error"
tr -d '\r' <"$log" | grep -F "LaunchConditions" || fail "the launch conditions were not evaluated"
[ ! -e "$inst" ] || fail "the MSI installed on Vista"

echo "== setup.exe /S on Vista"
timeout 120 wine "$setup" /S >/dev/null 2>&1
rc=$?
[ "$rc" = 126 ] || fail "setup.exe /S exited with $rc, not 1150 (126), ERROR_OLD_WIN_VERSION"
[ ! -e "$inst" ] || fail "setup.exe installed on Vista"

[ "$failures" = 0 ] && echo "older_windows_test: all passed" || echo "older_windows_test: $failures failed"
exit $((failures > 0))
