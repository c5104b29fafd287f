#!/usr/bin/env bash
# The real installers and uninstallers, NSIS and MSI, silent, in the
# throwaway prefix of scripts/with-wine.sh: what they leave behind, and that
# they start and stop Varnok.
#   installer_test.sh SETUP_EXE WINDOW_PROBE_EXE ICON SOURCE_DIR VERSION
#                     MSI LATER_MSI LATER_VERSION FILE_HOLDER_EXE
#                     TEST_SETUP_EXE FOLDER_ACL_EXE
set -uo pipefail

setup=$1 probe=$2 icon=$3 source_dir=$4 version=$5 msi=$6 later_msi=$7 later_version=$8 holder=$9
test_setup=${10} folder_acl=${11}

. "$(dirname "$0")/test_lib.sh"
require_throwaway_prefix installer_test

inst_win='C:\Program Files\Varnok'
inst="$WINEPREFIX/drive_c/Program Files/Varnok"
shortcut_dir="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Varnok"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnok'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
user_run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
log=$(mktemp "${TMPDIR:-/tmp}/varnok-installer-test.XXXXXX")
trace=$(mktemp "${TMPDIR:-/tmp}/varnok-installer-trace.XXXXXX")
broken_msi=$(mktemp "${TMPDIR:-/tmp}/varnok-broken.XXXXXX.msi")
trap 'rm -f "$log" "$trace" "$broken_msi"' EXIT

# Output goes to a file: a Varnok the installer starts inherits the handles,
# and a pipe would stay open as long as it runs.
wine_run() { timeout 120 wine "$@" >>"$log" 2>&1; }

# One value from a `reg query` listing: "    Name    REG_SZ    data".
value_of() { tr -d '\r' <<<"$1" | sed -n "s/^    $2    REG_[A-Z_]*    //p"; }

# Varnok processes of this prefix running the installed copy (Wine shows the
# Windows command line in /proc).
installed_varnok_pids() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(cat "$p/comm" 2>/dev/null)" = varnok.exe ] || continue
        tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        tr '\0' '\n' 2>/dev/null <"$p/cmdline" | grep -qiF "$inst_win\\varnok.exe" && echo "${p#/proc/}"
    done
}

# The image of the process that started varnok.exe, from a WINEDEBUG=+process
# trace: each new process is logged with its first thread, and every call
# with the calling thread. Empty when a process not in the trace (the
# installer itself) started it.
varnok_started_by() {
    tr -d '\r' <"$1" | awk -v q='"' '
        / pid [0-9a-f]+ tid [0-9a-f]+ handles/ {
            split($0, part, q); tid = $0; sub(/.* tid /, "", tid); sub(/ .*/, "", tid); image[tid] = part[2] }
        /NtCreateUserProcess .*varnok\.exe" image/ { starter = substr($0, 1, index($0, ":") - 1) }
        END { if (starter != "") print image[starter] }'
}

# A window outlives its process by a moment; give the process that moment.
wait_no_installed_varnok() {
    for _ in $(seq 50); do
        [ -z "$(installed_varnok_pids)" ] && return 0
        sleep 0.1
    done
    return 1
}

# Every image of the .ico is stored, byte for byte, as an icon resource of
# the program that shows it.
carries_icon() {
    python3 - "$1" "$2" <<'PY'
import struct, sys
exe, ico = (open(f, "rb").read() for f in sys.argv[1:3])
_, kind, count = struct.unpack_from("<HHH", ico, 0)
images = [struct.unpack_from("<8xII", ico, 6 + 16 * i) for i in range(count)]
sys.exit(0 if kind == 1 and count and all(ico[o:o + n] in exe for n, o in images) else 1)
PY
}

# The folder's access list, read back through the Windows API, lets no one
# but the system account and administrators (Wine: the one account) write:
# Everyone, Users and Authenticated Users get read and execute at most.
check_protected() {
    local acl
    acl=$(wine "$folder_acl" "$1" 2>>"$log" | tr -d '\r')
    [ -n "$acl" ] || { fail "no access list read back for $1"; return; }
    grep -qE '\(A;[^;]*;[^;]+;;;(WD|BU|AU)\)' <<<"${acl//0x1200a9/}" && fail "$1 lets other users write: $acl"
}

# Another program's window of Varnok's class: an installer neither tells it
# to end nor waits for it.
start_decoy() {
    decoy_out=$(mktemp "${TMPDIR:-/tmp}/varnok-decoy.XXXXXX")
    wine "$probe" VarnokForm1 decoy >"$decoy_out" 2>&1 &
    decoy_job=$!
    for _ in $(seq 100); do grep -q ready "$decoy_out" && break; sleep 0.1; done
    grep -q ready "$decoy_out" || fail "the decoy window did not open: $(cat "$decoy_out")"
}
check_decoy() {
    grep -q asked "$decoy_out" && fail "$1 told another program's window of Varnok's class to end"
    kill -0 "$decoy_job" 2>/dev/null || fail "$1 ended the program of a decoy window"
    kill "$decoy_job" 2>/dev/null; wait "$decoy_job" 2>/dev/null; rm -f "$decoy_out"
}

check_installed() {
    local f listing
    for f in varnok.exe README.md LICENSE Uninstall.exe; do
        [ -f "$inst/$f" ] || fail "$f is not in $inst_win"
    done
    listing=$(cd "$inst" 2>/dev/null && ls -A | sort | tr '\n' ' ')
    [ "$listing" = "LICENSE README.md Uninstall.exe varnok.exe " ] || fail "install folder holds: $listing"
    cmp -s "$inst/README.md" "$source_dir/README.md" || fail "installed README.md differs from the repository's"
    cmp -s "$inst/LICENSE" "$source_dir/LICENSE" || fail "installed LICENSE differs from the repository's"
    check_protected "$inst_win"

    [ -f "$shortcut_dir/Varnok.lnk" ] || fail "no Start-menu shortcut Varnok.lnk"
    grep -aqF "$inst_win\\varnok.exe" "$shortcut_dir/Varnok.lnk" 2>/dev/null \
        || fail "the shortcut does not point to $inst_win\\varnok.exe"

    local run
    run=$(wine reg query "$run_key" /v Varnok 2>>"$log")
    [ "$(value_of "$run" Varnok)" = "\"$inst_win\\varnok.exe\"" ] || fail "Run value is '$(value_of "$run" Varnok)'"
    wine reg query "$user_run_key" /v Varnok >>"$log" 2>&1 && fail "a per-user Run value is there"

    local key bytes size
    key=$(wine reg query "$uninstall_key" 2>>"$log") || { fail "no uninstall key"; return; }
    [ "$(value_of "$key" DisplayName)" = Varnok ] || fail "DisplayName is '$(value_of "$key" DisplayName)'"
    [ "$(value_of "$key" DisplayVersion)" = "$version" ] || fail "DisplayVersion is '$(value_of "$key" DisplayVersion)'"
    [ "$(value_of "$key" DisplayIcon)" = "$inst_win\\varnok.exe" ] || fail "DisplayIcon is '$(value_of "$key" DisplayIcon)'"
    [ -n "$(value_of "$key" Publisher)" ] || fail "no Publisher"
    [ "$(value_of "$key" InstallLocation)" = "$inst_win" ] || fail "InstallLocation is '$(value_of "$key" InstallLocation)'"
    [ "$(value_of "$key" UninstallString)" = "\"$inst_win\\Uninstall.exe\"" ] \
        || fail "UninstallString is '$(value_of "$key" UninstallString)'"
    [ "$(value_of "$key" QuietUninstallString)" = "\"$inst_win\\Uninstall.exe\" /S" ] \
        || fail "QuietUninstallString is '$(value_of "$key" QuietUninstallString)'"
    [ "$(value_of "$key" NoModify)" = 0x1 ] || fail "NoModify is '$(value_of "$key" NoModify)'"
    [ "$(value_of "$key" NoRepair)" = 0x1 ] || fail "NoRepair is '$(value_of "$key" NoRepair)'"
    # In KB, of what was installed: a few KB of rounding either way.
    bytes=$(cat "$inst"/* 2>/dev/null | wc -c)
    size=$(($(value_of "$key" EstimatedSize)))
    [ "$size" -ge $((bytes / 1024 - 4)) ] && [ "$size" -le $((bytes / 1024 + 4)) ] \
        || fail "EstimatedSize is $size KB for $((bytes / 1024)) KB of files"
}

check_removed() {
    [ ! -e "$inst" ] || fail "$inst_win is still there: $(ls -A "$inst" | tr '\n' ' ')"
    [ ! -e "$shortcut_dir" ] || fail "the Start-menu folder is still there: $(ls -A "$shortcut_dir" | tr '\n' ' ')"
    wine reg query "$run_key" /v Varnok >>"$log" 2>&1 && fail "the Run value is still there"
    wine reg query "$user_run_key" /v Varnok >>"$log" 2>&1 && fail "the per-user Run value is still there"
    wine reg query "$uninstall_key" >>"$log" 2>&1 && fail "the uninstall key is still there"
    wine_run "$probe" VarnokForm1 absent 5000 || fail "a Varnok window is still open"
    wait_no_installed_varnok || fail "Varnok is still running: pid $(installed_varnok_pids)"
}

group "silent install with /NOSTART; the sign-in entry is per machine"
carries_icon "$setup" "$icon" || fail "the installer does not show Varnok's icon"
# Earlier installers wrote it for the installing account.
wine reg add "$user_run_key" /v Varnok /d "\"$inst_win\\varnok.exe\"" /f >>"$log" 2>&1
wine_run "$setup" /S /NOSTART || fail "the installer exited with $?"
check_installed
carries_icon "$inst/Uninstall.exe" "$icon" || fail "the uninstaller does not show Varnok's icon"
[ -z "$(installed_varnok_pids)" ] || fail "Varnok started despite /NOSTART"

group "silent uninstall in place ends a running Varnok and removes everything"
wine "$inst_win\\varnok.exe" >>"$log" 2>&1 &
varnok_job=$!
wine_run "$probe" VarnokForm1 present 10000 || fail "the installed Varnok shows no main window"
[ -n "$(installed_varnok_pids)" ] || fail "the installed Varnok is not running"
# _?= makes the uninstaller run in place and wait; NSIS reads it raw to the
# end of the command line, but wine would quote an argument holding a space,
# so the path goes in as separate words.
read -ra in_place <<<"_?=$inst_win"
wine_run "$inst/Uninstall.exe" /S "${in_place[@]}" || fail "the uninstaller exited with $?"
# The job is Varnok's own process (wine becomes it). Exit ends it with
# status 0; a kill would show as another status.
ended=no
for _ in $(seq 100); do
    state=$(awk '{print $3}' "/proc/$varnok_job/stat" 2>/dev/null)
    if [ -z "$state" ] || [ "$state" = Z ]; then ended=yes; break; fi
    sleep 0.1
done
if [ "$ended" = yes ]; then
    wait "$varnok_job" || fail "Varnok ended with status $?"
else
    fail "the uninstaller left Varnok running"
    kill "$varnok_job" 2>/dev/null
fi
# Run in place, the uninstaller cannot delete itself; nothing else may stay.
[ "$(ls -A "$inst" 2>/dev/null)" = Uninstall.exe ] && rm "$inst/Uninstall.exe" && rmdir "$inst"
check_removed

group "silent install starts Varnok through the shell; installing again replaces the running one"
: >"$trace"
WINEDEBUG=+process timeout 120 wine "$setup" /S >>"$trace" 2>&1 || fail "the installer exited with $?"
wine_run "$probe" VarnokForm1 present 10000 || fail "the installer did not start Varnok"
first=$(installed_varnok_pids)
[ -n "$first" ] || fail "the running Varnok is not the installed one"
starter=$(varnok_started_by "$trace")
[[ $starter == *\\explorer.exe ]] || fail "varnok.exe was started by '$starter', not by explorer.exe"
start_decoy
took=$(date +%s%N) kept_id=$(stat -c %i "$inst")
wine_run "$setup" /S || fail "the second installer exited with $?"
echo "   the install took $((($(date +%s%N) - took) / 1000000)) ms beside a decoy window"
[ "$(stat -c %i "$inst")" = "$kept_id" ] || fail "the update replaced a folder only administrators could write"
check_decoy "the second installer"
for pid in $first; do
    state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)
    [ -z "$state" ] || [ "$state" = Z ] || fail "the Varnok that was running (pid $pid) was not ended"
done
wine_run "$probe" VarnokForm1 present 10000 || fail "the second installer did not start Varnok"
second=$(installed_varnok_pids)
[ -n "$second" ] && [ "$second" != "$first" ] || fail "no new Varnok runs after the second install"
check_installed

group "the quiet uninstall string ends Varnok and removes everything"
quiet=$(value_of "$(wine reg query "$uninstall_key" /v QuietUninstallString 2>>"$log")" QuietUninstallString)
if [[ $quiet =~ ^\"([^\"]+)\"\ (.*)$ ]]; then
    # As Windows runs it: the uninstaller copies itself away, returns at
    # once, and the copy does the work.
    wine_run "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]} || fail "the uninstaller exited with $?"
    for _ in $(seq 100); do
        [ ! -e "$inst" ] && ! wine reg query "$uninstall_key" >/dev/null 2>&1 && break
        sleep 0.2
    done
else
    fail "QuietUninstallString '$quiet' is not a quoted program and its switches"
fi
check_removed

group "as a service account the installer stops before it unpacks or writes anything; the release has no test hook"
python3 - "$setup" "$test_setup" <<'PY' || fail "the release installer holds a test hook, or the search finds none in the test build"
import lzma, struct, sys
def text(exe):  # the LZMA block after NSIS's first header: its strings and script
    data = open(exe, "rb").read()
    at = data.index(b"\xef\xbe\xad\xdeNullsoftInst") + 24
    size = struct.unpack_from("<I", data, at)[0]
    if not size & 0x80000000:
        sys.exit("a solid installer: it unpacks everything before .onInit")
    block = data[at + 4:at + 4 + (size & 0x7FFFFFFF)]
    return lzma.LZMADecompressor(lzma.FORMAT_ALONE).decompress(block[:5] + b"\xff" * 8 + block[5:], 64 << 20)
hook = "VARNOK_TEST".encode("utf-16-le")
sys.exit(0 if hook not in text(sys.argv[1]) and hook in text(sys.argv[2]) else 1)
PY
# The test build treats this profile as a service account's (Wine runs
# nothing as the system account); its plug-ins would load from %TEMP%.
profile=$(wine cmd /c echo %USERPROFILE% 2>>"$log" | tr -d '\r')
: >"$trace"
VARNOK_TEST_SERVICE_PROFILE=$profile WINEDEBUG=+loaddll,+file timeout 120 wine "$test_setup" /S >>"$trace" 2>&1; status=$?
[ "$status" = $((1625 % 256)) ] || fail "as a service account the installer exited with $status, not 1625 ($((1625 % 256)))"
grep -iE 'Loaded L".*(System|UserInfo)\.dll' "$trace" && fail "as a service account the installer loaded a plug-in"
# NSIS's start-up code makes one empty file in the temporary folder, to see
# that it can, and deletes it; nothing else is made, nothing written.
probes=$(tr -d '\r' <"$trace" | sed -n 's/.*GetTempFileNameW returning \(L".*"\)$/\1/p')
[ "$(wc -l <<<"$probes")" = 1 ] && grep -qF "DeleteFileW $probes" "$trace" \
    || fail "as a service account the installer left made files: '$probes'"
grep -E 'trace:file:(WriteFile|CreateFileW .* creation [245] )' "$trace" | head -n 3 | grep . \
    && fail "as a service account the installer wrote a file"
[ ! -e "$inst" ] || fail "as a service account the installer made $inst_win"
: >"$trace"
WINEDEBUG=+loaddll timeout 120 wine "$test_setup" /S /NOSTART >>"$trace" 2>&1 || fail "the test build exited with $?"
grep -qi 'UserInfo\.dll' "$trace" || fail "the trace shows no plug-in loaded by a normal run"
check_installed

group "an update keeps the sign-in entry left out, and puts back the protection of the folder and its files"
wine reg delete "$run_key" /v Varnok /f >>"$log" 2>&1
chmod o+w "$inst" && chmod 666 "$inst/varnok.exe"
wine_run "$setup" /S /NOSTART || fail "the installer exited with $?"
wine reg query "$run_key" /v Varnok >>"$log" 2>&1 && fail "the update put the Run value back"
check_protected "$inst_win"
check_protected "$inst_win\\varnok.exe"

# $1 a file of the install folder, held as another session's Varnok would;
# $2 "image" to hold it as a running program's image is held.
hold() {
    held=$(mktemp "${TMPDIR:-/tmp}/varnok-held.XXXXXX")
    wine "$holder" "$inst_win\\$1" "${@:2}" >"$held" 2>&1 &
    holder_job=$!
    for _ in $(seq 100); do grep -q held "$held" && break; sleep 0.1; done
    grep -q held "$held" || fail "file_holder did not open $1: $(cat "$held")"
}
unhold() { kill "$holder_job" 2>/dev/null; wait "$holder_job" 2>/dev/null; rm -f "$held"; }

group "an update over a folder others could write makes it anew, the old one gone; held open, it is refused"
wine reg add "$run_key" /v Varnok /d "\"$inst_win\\varnok.exe\"" /f >>"$log" 2>&1
chmod o+w "$inst" && : >"$inst/version.dll"
old_id=$(stat -c %i "$inst")
wine "$holder" "$inst_win" >"$log.held" 2>&1 &
holder_job=$!
for _ in $(seq 100); do grep -q held "$log.held" && break; sleep 0.1; done
grep -q held "$log.held" || fail "file_holder did not open the folder: $(cat "$log.held")"
wine_run "$setup" /S /NOSTART; status=$?
[ "$status" = $((1603 % 256)) ] || fail "the update over a held folder exited with $status, not 1603 ($((1603 % 256)))"
[ "$(stat -c %i "$inst")" = "$old_id" ] && [ -e "$inst/version.dll" ] || fail "the refused update changed the folder"
kill "$holder_job" 2>/dev/null; wait "$holder_job" 2>/dev/null; rm -f "$log.held"
wine_run "$setup" /S /NOSTART || fail "the update exited with $?"
[ "$(stat -c %i "$inst" 2>/dev/null)" != "$old_id" ] || fail "the update installed into the folder others could write"
left=$(ls -A "$inst/.." . | grep -F 'Varnok~')
[ -z "$left" ] || fail "the old folder is left as $left"
check_installed

group "a failed install starts again the Varnok it ended"
wine "$inst_win\\varnok.exe" >>"$log" 2>&1 &
wine_run "$probe" VarnokForm1 present 10000 || fail "the installed Varnok shows no main window"
earlier=$(installed_varnok_pids)
# README.md held open: the install ends Varnok, then fails.
hold README.md
wine_run "$setup" /S /NOSTART; status=$?
[ "$status" = $((1603 % 256)) ] || fail "the failing install exited with $status, not 1603 ($((1603 % 256)))"
unhold
wait_started() {
    for _ in $(seq 100); do
        running=$(installed_varnok_pids)
        [ -n "$running" ] && [ "$running" != "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
wait_started "$earlier" || fail "after the failed install Varnok runs as '$(installed_varnok_pids)', was '$earlier'"

group "a program file held open: the install finishes at the restart; a held one stays on uninstall"
pending() {
    wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations \
        2>>"$log" | tr -d '\r' | grep -o "$1" | wc -l
}
# The restart: the holder ends, then Wine carries out what is pending.
restart() {
    unhold
    timeout 120 wineboot -r >>"$log" 2>&1
    wineserver -w
}
hold varnok.exe
# 3010, the restart is needed; a Unix exit status keeps its low byte, 194.
wine_run "$setup" /S /NOSTART; status=$?
[ "$status" = 194 ] || fail "the installer over a held varnok.exe exited with $status, not 3010 (194)"
[ "$(pending 'varnok\.exe\.new')" -ge 1 ] || fail "no replacement of varnok.exe is pending"
# Held so that it cannot even be renamed, it stays: deleting it by its name
# at the restart would delete a reinstalled one.
before=$(pending 'varnok\.exe')
wine_run "$inst/Uninstall.exe" /S "${in_place[@]}" || fail "the uninstaller of a held varnok.exe exited with $?"
wine reg query "$uninstall_key" >>"$log" 2>&1 && fail "the uninstall key is still there"
[ "$(pending 'varnok\.exe')" = "$before" ] || fail "the uninstaller scheduled the held varnok.exe by its name"
restart
[ -f "$inst/varnok.exe" ] || fail "the varnok.exe held at the uninstall is gone after the restart"
rm -f "$inst/varnok.exe" "$inst/Uninstall.exe"; rmdir "$inst" 2>/dev/null
check_removed

group "an uninstall while another session's Varnok runs, a reinstall before the restart: the new file stays"
wine_run "$setup" /S /NOSTART || fail "the installer exited with $?"
hold varnok.exe image
wine_run "$inst/Uninstall.exe" /S "${in_place[@]}"; status=$?
[ "$status" = 194 ] || fail "the uninstaller of a running varnok.exe exited with $status, not 3010 (194)"
[ "$(pending 'Varnok\\ns[^\\]*\.tmp')" = 1 ] || fail "the moved-aside varnok.exe is not pending deletion"
[ "$(pending 'Varnok\\varnok\.exe')" = 0 ] || fail "varnok.exe itself is pending deletion"
rm -f "$inst/Uninstall.exe"
wine_run "$setup" /S /NOSTART || fail "the reinstall exited with $?"
restart
check_installed
wine_run "$inst/Uninstall.exe" /S "${in_place[@]}" || fail "the uninstaller exited with $?"
rm -f "$inst/Uninstall.exe"; rmdir "$inst" 2>/dev/null
check_removed

# The MSI: per machine, its sign-in entry in HKLM, its entry under its
# product code.
hklm_run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_root='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
msi_win=$(winepath -w "$msi" 2>/dev/null)
later_msi_win=$(winepath -w "$later_msi" 2>/dev/null)

# Wine's msi puts ProgramMenuFolder in the installing user's profile even
# for ALLUSERS=1 (Windows uses the all-users Start menu): accept either.
msi_shortcuts() {
    ls "$shortcut_dir"/*.lnk "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Varnok/*.lnk 2>/dev/null
}

# The uninstall entries named Varnok, as "key|version" lines.
varnok_entries() {
    wine reg query "$uninstall_root" /s 2>>"$log" | tr -d '\r' | awk '
        /^HKEY_/ { key = $0; name = ""; version = "" }
        /^    DisplayName    REG_SZ    Varnok$/ { name = 1 }
        /^    DisplayVersion    REG_SZ    / { version = $3 }
        /^$/ { if (name) print key "|" version; name = "" }
        END { if (name) print key "|" version }'
}

# $1 the version that should be installed; the Run entry is checked apart.
check_msi_installed() {
    local listing entries key data icon_file
    listing=$(cd "$inst" 2>/dev/null && ls -A | sort | tr '\n' ' ')
    [ "$listing" = "LICENSE README.md varnok.exe " ] || fail "install folder holds: $listing"
    cmp -s "$inst/README.md" "$source_dir/README.md" || fail "installed README.md differs from the repository's"
    check_protected "$inst_win"
    [ "$(msi_shortcuts | wc -l)" = 1 ] || fail "Start-menu shortcuts: $(msi_shortcuts | tr '\n' ' ')"
    grep -aqF "$inst_win\\varnok.exe" "$(msi_shortcuts | head -n1)" 2>/dev/null \
        || fail "the shortcut does not point to $inst_win\\varnok.exe"

    entries=$(varnok_entries)
    [ "$(wc -l <<<"$entries")" = 1 ] && [ -n "$entries" ] || { fail "uninstall entries: $entries"; return; }
    [ "${entries#*|}" = "$1" ] || fail "DisplayVersion is '${entries#*|}', not $1"
    key=${entries%|*}
    data=$(wine reg query "$key" 2>>"$log")
    [ -n "$(value_of "$data" Publisher)" ] || fail "no Publisher"
    [ "$(value_of "$data" InstallLocation)" = "$inst_win\\" ] || fail "InstallLocation is '$(value_of "$data" InstallLocation)'"
    [ "$(value_of "$data" UninstallString)" = "MsiExec.exe /X${key##*\\}" ] \
        || fail "UninstallString is '$(value_of "$data" UninstallString)'"
    # Apps & Features shows an MSI's icon from its product registration.
    icon_file=$(wine reg query 'HKLM\Software\Classes\Installer\Products' /s 2>>"$log" \
                | tr -d '\r' | sed -n 's/^    ProductIcon    REG_SZ    //p')
    [ -n "$icon_file" ] && cmp -s "$(winepath -u "$icon_file" 2>/dev/null)" "$icon" \
        || fail "the product icon '$icon_file' is not Varnok's"
}

check_msi_removed() {
    [ ! -e "$inst" ] || fail "$inst_win is still there: $(ls -A "$inst" | tr '\n' ' ')"
    [ -z "$(msi_shortcuts)" ] || fail "a shortcut is still there: $(msi_shortcuts)"
    [ -z "$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Varnok "$shortcut_dir" 2>/dev/null)" ] \
        || fail "a Start-menu folder Varnok is still there"
    wine reg query "$hklm_run_key" /v Varnok >>"$log" 2>&1 && fail "the Run value is still there"
    wine reg query 'HKLM\Software\Varnok' >>"$log" 2>&1 && fail "HKLM\\Software\\Varnok is still there"
    [ -z "$(varnok_entries)" ] || fail "uninstall entries are left: $(varnok_entries)"
    wine_run "$probe" VarnokForm1 absent 5000 || fail "a Varnok window is still open"
    wait_no_installed_varnok || fail "Varnok is still running: pid $(installed_varnok_pids)"
}

start_installed_varnok() {
    wine "$inst_win\\varnok.exe" >>"$log" 2>&1 &
    wine_run "$probe" VarnokForm1 present 10000 || fail "the installed Varnok shows no main window"
    running=$(installed_varnok_pids)
    [ -n "$running" ] || fail "the installed Varnok is not running"
}

ended() {
    local pid state
    for pid in $1; do
        state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)
        [ -z "$state" ] || [ "$state" = Z ] || return 1
    done
}

# Everything under C:\$1 as it stands: each path's mode, owner, size, extended
# attributes (where Wine would keep a descriptor that was set), and the
# owner and list that Windows reads back.
tree_state() {
    local paths win
    mapfile -t paths < <(cd "$WINEPREFIX/drive_c" && find "$1" | sort)
    (cd "$WINEPREFIX/drive_c" && stat -c '%n %a %u:%g %s' "${paths[@]}" &&
        python3 -c 'import os, sys; [print(p, [(k, os.getxattr(p, k).hex()) for k in os.listxattr(p)]) for p in sys.argv[1:]]' "${paths[@]}")
    win=("${paths[@]//\//\\}")
    wine "$folder_acl" "${win[@]/#/C:\\}" 2>>"$log" | tr -d '\r'
}

group "the install folder: one the installer makes or only administrators could have made; a refusal changes nothing"
# Folder under C:\, how it is prepared, the exit status of both installers:
# 0, or 67 (1603's low byte), a refusal. Wine gives Everyone the rights of
# the Unix mode's "other" bits, so chmod stands in for a folder that users
# can change; one of Wine's one account, for a folder of administrators.
msi_log_win='C:\varnok-msi.log'
for case in "Tools\\Varnok - 0" "Ready\\Varnok admin-made 0" "Shared\\Varnok open-parent 67" \
            "Public\\Varnok open-parent-empty 67" "Open\\Varnok open-planted 67" "Empty\\Varnok open-empty 67" \
            "Apps\\Other admin-files 67" "Linked\\Varnok admin-hard-link 67"; do
    read -r folder prep expected <<<"$case"
    top=${folder%%\\*}
    unix="$WINEPREFIX/drive_c/${folder//\\//}"
    for installer in NSIS MSI; do
        rm -rf "$WINEPREFIX/drive_c/$top"
        case $prep in
            admin-made) mkdir -p "$unix" && chmod 755 "${unix%/*}" "$unix" ;;
            open-parent) mkdir -p "${unix%/*}" && chmod 777 "${unix%/*}" ;;
            open-parent-empty) mkdir -p "$unix" && chmod 777 "${unix%/*}" ;;
            open-planted) mkdir -p "$unix" && chmod 777 "$unix" && : >"$unix/version.dll" ;;
            open-empty) mkdir -p "$unix" && chmod 777 "$unix" ;;
            admin-files) mkdir -p "$unix/data" && chmod 755 "${unix%/*}" "$unix" && : >"$unix/other.exe" ;;
            # A second name of a file elsewhere: writing README.md would write that file.
            admin-hard-link) mkdir -p "$unix" && chmod 755 "${unix%/*}" "$unix" && echo kept >"${unix%/*}/kept.txt" &&
                ln "${unix%/*}/kept.txt" "$unix/README.md" ;;
        esac
        before=$(tree_state "$top")
        if [ $installer = NSIS ]; then
            wine_run "$setup" /S /NOSTART "/D=C:\\$folder"; status=$?
        else
            wine_run msiexec /i "$msi_win" "INSTALLFOLDER=C:\\$folder\\" /qn /l*v "$msi_log_win"; status=$?
        fi
        what="C:\\$folder ($prep), the $installer installer"
        [ "$status" = "$expected" ] || fail "$what: exited with $status, not $expected"
        if [ "$expected" = 0 ]; then
            check_protected "C:\\$folder"
            if [ $installer = NSIS ]; then
                wine_run "$unix/Uninstall.exe" /S "_?=C:\\$folder" || fail "$what: the uninstaller exited with $?"
            else
                wine_run msiexec /x "$msi_win" /qn || fail "$what: msiexec /x exited with $?"
            fi
        else
            after=$(tree_state "$top")
            [ "$after" = "$before" ] || fail "$what: changed $(diff <(echo "$before") <(echo "$after") | tr '\n' ' ')"
            [ $installer = NSIS ] || grep -aqF "Varnok cannot be installed in C:\\$folder" "$WINEPREFIX/drive_c/varnok-msi.log" \
                || fail "$what: the log does not say why"
        fi
    done
    rm -rf "$WINEPREFIX/drive_c/$top"
done
wine reg query "$uninstall_key" >>"$log" 2>&1 && fail "the uninstall key is still there"
[ -z "$(varnok_entries)" ] || fail "uninstall entries are left: $(varnok_entries)"

# The later package, as $broken_msi, with an action that fails on purpose:
# $1 its sequence number, $2 its type, $3 its source, $4 its target.
failing_msi() {
    cp "$later_msi" "$broken_msi"
    msibuild "$broken_msi" -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('Fail', $2, '$3', '$4')" \
        && msibuild "$broken_msi" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('Fail', $1)" \
        || fail "could not build the failing package"
}

group "MSI: an install that fails after the folder is protected puts back the owners and lists it found"
# A folder only administrators could have made, holding a varnok.exe moved
# aside that everyone may write, in the modes Wine gives the lists it
# builds; a deferred program that fails right after the files go in. Wine
# removes an install folder it leaves empty, which this one is not.
ready="$WINEPREFIX/drive_c/Ready/Varnok"
mkdir -p "$ready" && : >"$ready/nsa1a2.tmp" && chmod 775 "$ready" && chmod 777 "$ready/nsa1a2.tmp"
before=$(tree_state Ready)
failing_msi 4001 1058 INSTALLFOLDER '"C:\windows\system32\cmd.exe" /c exit 1'
wine_run msiexec /i "$(winepath -w "$broken_msi")" 'INSTALLFOLDER=C:\Ready\Varnok\' /qn && fail "the failing install exited with 0"
after=$(tree_state Ready)
[ "$after" = "$before" ] || fail "the failed install changed $(diff <(echo "$before") <(echo "$after") | tr '\n' ' ')"
rm -rf "$WINEPREFIX/drive_c/Ready"
[ -z "$(varnok_entries)" ] || fail "uninstall entries are left: $(varnok_entries)"

group "MSI: a rollback removes the folders the install made, and leaves one someone else made"
made="$WINEPREFIX/drive_c/Made"
rm -rf "$made"
failing_msi 3995 1058 TARGETDIR '"C:\windows\system32\cmd.exe" /c exit 1'
wine_run msiexec /i "$(winepath -w "$broken_msi")" 'INSTALLFOLDER=C:\Made\Varnok\' /qn && fail "the failing install exited with 0"
[ ! -e "$made" ] || fail "the rollback left what the install made: $(cd "$WINEPREFIX/drive_c" && find Made | tr '\n' ' ')"
# A user makes C:\Made, open to all, after the check and before the
# protection, which then refuses.
failing_msi 3980 1058 TARGETDIR "\"$(winepath -w "$folder_acl")\" --make-open C:\\Made"
wine_run msiexec /i "$(winepath -w "$broken_msi")" 'INSTALLFOLDER=C:\Made\Varnok\' /qn && fail "the refused install exited with 0"
[ -d "$made" ] || fail "the rollback removed C:\\Made, which the install did not make"
wine reg query 'HKLM\Software\Varnok' >>"$log" 2>&1 && fail "the rollback left HKLM\\Software\\Varnok"
rm -rf "$made"
[ -z "$(varnok_entries)" ] || fail "uninstall entries are left: $(varnok_entries)"

group "MSI: by its own tables, only an administrator's install or upgrade takes AUTOSTART from the command line"
# On Windows a repair runs with the properties of whoever starts it; Wine
# shows one run. What sets AUTOSTART from outside the package must be
# conditioned on a first install or an upgrade, run privileged.
python3 - "$msi" <<'PY' || fail "the MSI lets a repair or an unprivileged run set AUTOSTART"
import subprocess, sys
def table(name):
    out = subprocess.run(["msiinfo", "export", sys.argv[1], name], capture_output=True, text=True)
    return [line.split("\t") for line in out.stdout.splitlines()[3:]] if out.returncode == 0 else []
setters = {row[0]: row for row in table("CustomAction") if int(row[1]) & 0x3F == 51 and row[2] == "AUTOSTART"}
bad = []
for sequence in ("InstallExecuteSequence", "InstallUISequence", "AdminExecuteSequence", "AdvtExecuteSequence"):
    for action, condition, *_ in table(sequence):
        if action in setters and "[" in setters[action][3] and not (
                sequence == "InstallExecuteSequence" and "NOT Installed" in condition and "Privileged" in condition):
            bad.append((sequence, action, setters[action][3], condition))
searched = [row for row in table("RegLocator") if row[0] in {r[1] for r in table("AppSearch") if r[0] == "AUTOSTART"}]
if not searched or any(row[1] != "2" for row in searched):
    bad.append(("AppSearch", searched))
sys.exit("\n".join(map(str, bad)) if bad else 0)
PY

group "MSI: msiexec /i /qn installs for every user; Varnok starts from there"
wine_run msiexec /i "$msi_win" /qn || fail "msiexec /i exited with $?"
check_msi_installed "$version"
cmp -s "$inst/varnok.exe" "$(dirname "$msi")/release/varnok.exe" || fail "the installed varnok.exe is not the release's"
run=$(wine reg query "$hklm_run_key" /v Varnok 2>>"$log")
[ "$(value_of "$run" Varnok)" = "\"$inst_win\\varnok.exe\"" ] || fail "HKLM Run value is '$(value_of "$run" Varnok)'"
start_installed_varnok

group "MSI: a failed upgrade starts again the Varnok it ended"
# The later package with an action that fails on purpose once Varnok is
# ended: before the files, since Wine rolls back neither the removal of the
# earlier version nor files (Windows puts them back, then starts Varnok).
failing_msi 1450 19 '' 'failing on purpose'
earlier=$running
wine_run msiexec /i "$(winepath -w "$broken_msi")" /qn; status=$?
[ "$status" = $((1603 % 256)) ] || fail "the failing upgrade exited with $status, not 1603 ($((1603 % 256)))"
ended "$earlier" || fail "the failing upgrade did not end the Varnok that was running (pid $earlier)"
wait_started "$earlier" || fail "after the failed upgrade Varnok runs as '$(installed_varnok_pids)', was '$earlier'"
check_msi_installed "$version"

group "MSI: a later version replaces the running Varnok, starts it again through the shell, one entry"
earlier=$running
: >"$trace"
start_decoy
WINEDEBUG=+process timeout 120 wine msiexec /i "$later_msi_win" /qn >>"$trace" 2>&1 \
    || fail "msiexec /i of $later_version exited with $?"
check_decoy "the upgrade"
ended "$earlier" || fail "the Varnok that was running (pid $earlier) was not ended"
running=""
for _ in $(seq 100); do
    running=$(installed_varnok_pids)
    [ -n "$running" ] && break
    sleep 0.1
done
[ "$(wc -w <<<"$running")" = 1 ] || fail "after the upgrade, Varnok runs as pids '$running', not once"
starter=$(varnok_started_by "$trace")
[[ $starter == *\\explorer.exe ]] || fail "varnok.exe was started by '$starter', not by explorer.exe"
check_msi_installed "$later_version"
wine reg query "$hklm_run_key" /v Varnok >>"$log" 2>&1 || fail "the upgrade lost the Run value"

group "MSI: a repair leaves the running Varnok running and the sign-in entry, and puts back the protection of the files"
wine_run "$probe" VarnokForm1 present 10000 || fail "no Varnok window before the repair"
before=$(installed_varnok_pids)
# What msiexec /fva does (Wine's /f takes neither a path nor a product
# code): every file again, replaced whatever its version.
# AUTOSTART=0, which any user may give to a repair, leaves the entry.
chmod 666 "$inst/varnok.exe"
wine_run msiexec /i "$later_msi_win" REINSTALL=ALL REINSTALLMODE=vamus AUTOSTART=0 /qn || fail "the repair exited with $?"
[ "$(installed_varnok_pids)" = "$before" ] || fail "Varnok ran as '$before' and now as '$(installed_varnok_pids)'"
check_msi_installed "$later_version"
check_protected "$inst_win\\varnok.exe"
wine reg query "$hklm_run_key" /v Varnok >>"$log" 2>&1 || fail "a repair with AUTOSTART=0 removed the Run value"
kept=$(value_of "$(wine reg query 'HKLM\Software\Varnok' /v AutoStart 2>>"$log")" AutoStart)
[ "$kept" = 1 ] || fail "a repair with AUTOSTART=0 kept AutoStart as '$kept'"

group "MSI: msiexec /x /qn ends Varnok and leaves nothing behind"
wine_run msiexec /x "$later_msi_win" /qn || fail "msiexec /x exited with $?"
ended "$running" || fail "msiexec /x left Varnok (pid $running) running"
check_msi_removed

group "MSI: an upgrade over a folder others could write makes it anew, the old one gone"
wine_run msiexec /i "$msi_win" /qn || fail "msiexec /i exited with $?"
chmod o+w "$inst" && : >"$inst/version.dll"
old_id=$(stat -c %i "$inst")
wine_run msiexec /i "$later_msi_win" /qn /l*v "$msi_log_win" \
    || fail "the upgrade exited with $?: $(grep -a 'cannot be installed' "$WINEPREFIX/drive_c/varnok-msi.log" | tr -d '\0')"
[ "$(stat -c %i "$inst" 2>/dev/null)" != "$old_id" ] || fail "the upgrade installed into the folder others could write"
left=$(ls -A "$inst/.." . | grep -F 'Varnok~')
[ -z "$left" ] || fail "the old folder is left as $left"
check_msi_installed "$later_version"
wine_run msiexec /x "$later_msi_win" /qn || fail "msiexec /x exited with $?"
check_msi_removed

group "MSI: AUTOSTART given at install is kept by an upgrade, unless given again"
run_value() { wine reg query "$hklm_run_key" /v Varnok >>"$log" 2>&1 && echo present || echo absent; }
# AUTOSTART at install, at the upgrade (- for none), the Run value after each.
for case in "AUTOSTART=0 - absent absent" "- AUTOSTART=0 present absent" "AUTOSTART=0 AUTOSTART=1 absent present"; do
    read -r at_install at_upgrade after_install after_upgrade <<<"$case"
    args=(); [ "$at_install" = - ] || args=("$at_install")
    wine_run msiexec /i "$msi_win" "${args[@]}" /qn || fail "msiexec /i $at_install exited with $?"
    [ "$(run_value)" = "$after_install" ] || fail "after an install with $at_install the Run value is $(run_value)"
    args=(); [ "$at_upgrade" = - ] || args=("$at_upgrade")
    wine_run msiexec /i "$later_msi_win" "${args[@]}" /qn || fail "msiexec /i of $later_version exited with $?"
    [ "$(run_value)" = "$after_upgrade" ] \
        || fail "after $at_install, an upgrade with $at_upgrade leaves the Run value $(run_value)"
    wine_run msiexec /x "$later_msi_win" /qn || fail "msiexec /x exited with $?"
done
check_msi_removed

if [ "$failures" -ne 0 ]; then
    echo "installer_test: $failures failure(s); wine output:"
    cat "$log"
    exit 1
fi
echo "installer_test: all passed"
