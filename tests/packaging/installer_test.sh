#!/usr/bin/env bash
# The real installers and uninstallers, NSIS and MSI, silent, in the
# throwaway prefix of scripts/with-wine.sh: what they leave behind, and that
# they start and stop Varnok.
#   installer_test.sh SETUP_EXE WINDOW_PROBE_EXE ICON SOURCE_DIR VERSION
#                     MSI LATER_MSI LATER_VERSION FILE_HOLDER_EXE
set -uo pipefail

setup=$1 probe=$2 icon=$3 source_dir=$4 version=$5 msi=$6 later_msi=$7 later_version=$8 holder=$9

if [ -z "${WINEPREFIX:-}" ] || [ "$WINEPREFIX" != "${VARNOK_TEST_PREFIX:-}" ]; then
    echo "installer_test: run it through scripts/with-wine.sh (it makes a throwaway WINEPREFIX)" >&2
    exit 2
fi
# winemenubuilder would turn the Start-menu shortcut into a menu entry in the
# user's own Linux desktop, outside the throwaway prefix.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

inst_win='C:\Program Files\Varnok'
inst="$WINEPREFIX/drive_c/Program Files/Varnok"
shortcut_dir="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Varnok"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnok'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
user_run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
log=$(mktemp "${TMPDIR:-/tmp}/varnok-installer-test.XXXXXX")
trace=$(mktemp "${TMPDIR:-/tmp}/varnok-installer-trace.XXXXXX")
trap 'rm -f "$log" "$trace"' EXIT

failures=0
fail() { echo "  FAIL: $*"; failures=$((failures + 1)); }
group() { echo "== $*"; }

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

check_installed() {
    local f listing
    for f in varnok.exe README.md LICENSE Uninstall.exe; do
        [ -f "$inst/$f" ] || fail "$f is not in $inst_win"
    done
    listing=$(cd "$inst" 2>/dev/null && ls -A | sort | tr '\n' ' ')
    [ "$listing" = "LICENSE README.md Uninstall.exe varnok.exe " ] || fail "install folder holds: $listing"
    cmp -s "$inst/README.md" "$source_dir/README.md" || fail "installed README.md differs from the repository's"
    cmp -s "$inst/LICENSE" "$source_dir/LICENSE" || fail "installed LICENSE differs from the repository's"

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
wine_run "$setup" /S || fail "the second installer exited with $?"
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

group "silent install as the system account starts no Varnok"
# Wine cannot run it as SYSTEM: the test hook names this account's SID as
# the system account's instead.
sid=$(wine reg query HKU 2>>"$log" | tr -d '\r' | grep -o 'S-1-5-21-[0-9-]*' | head -n1)
: >"$trace"
VARNOK_TEST_SYSTEM_SID=$sid WINEDEBUG=+process timeout 120 wine "$setup" /S >>"$trace" 2>&1 \
    || fail "the installer exited with $?"
grep -q 'CreateProcessInternalW .*varnok\.exe' "$trace" && fail "the installer started Varnok as '$sid'"
check_installed

group "an update keeps the sign-in entry left out"
wine reg delete "$run_key" /v Varnok /f >>"$log" 2>&1
wine_run "$setup" /S /NOSTART || fail "the installer exited with $?"
wine reg query "$run_key" /v Varnok >>"$log" 2>&1 && fail "the update put the Run value back"

group "a program file held open (another session's Varnok): install and uninstall finish at the restart"
pending() {
    wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations \
        2>>"$log" | tr -d '\r' | grep -c "$1"
}
held=$(mktemp "${TMPDIR:-/tmp}/varnok-held.XXXXXX")
wine "$holder" "$inst_win\\varnok.exe" >"$held" 2>&1 &
holder_job=$!
for _ in $(seq 100); do grep -q held "$held" && break; sleep 0.1; done
grep -q held "$held" || fail "file_holder did not open varnok.exe: $(cat "$held")"
# 3010, the restart is needed; a Unix exit status keeps its low byte, 194.
wine_run "$setup" /S /NOSTART; status=$?
[ "$status" = 194 ] || fail "the installer over a held varnok.exe exited with $status, not 3010 (194)"
[ "$(pending 'varnok\.exe\.new')" -ge 1 ] || fail "no replacement of varnok.exe is pending"
wine_run "$inst/Uninstall.exe" /S "${in_place[@]}"; status=$?
[ "$status" = 194 ] || fail "the uninstaller of a held varnok.exe exited with $status, not 3010 (194)"
wine reg query "$uninstall_key" >>"$log" 2>&1 && fail "the uninstall key is still there"
[ -f "$inst/varnok.exe" ] || fail "the held varnok.exe is gone already"
# The restart: the holder ends, then Wine carries out what is pending.
kill "$holder_job" 2>/dev/null; wait "$holder_job" 2>/dev/null; rm -f "$held"
rm -f "$inst/Uninstall.exe"
timeout 120 wineboot -r >>"$log" 2>&1
wineserver -w
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

group "MSI: msiexec /i /qn installs for every user; Varnok starts from there"
wine_run msiexec /i "$msi_win" /qn || fail "msiexec /i exited with $?"
check_msi_installed "$version"
cmp -s "$inst/varnok.exe" "$(dirname "$msi")/release/varnok.exe" || fail "the installed varnok.exe is not the release's"
run=$(wine reg query "$hklm_run_key" /v Varnok 2>>"$log")
[ "$(value_of "$run" Varnok)" = "\"$inst_win\\varnok.exe\"" ] || fail "HKLM Run value is '$(value_of "$run" Varnok)'"
start_installed_varnok

group "MSI: a later version replaces the running Varnok, starts it again through the shell, one entry"
earlier=$running
: >"$trace"
WINEDEBUG=+process timeout 120 wine msiexec /i "$later_msi_win" /qn >>"$trace" 2>&1 \
    || fail "msiexec /i of $later_version exited with $?"
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

group "MSI: a repair leaves the running Varnok running"
wine_run "$probe" VarnokForm1 present 10000 || fail "no Varnok window before the repair"
before=$(installed_varnok_pids)
# What msiexec /fva does (Wine's /f takes neither a path nor a product
# code): every file again, replaced whatever its version.
wine_run msiexec /i "$later_msi_win" REINSTALL=ALL REINSTALLMODE=vamus /qn || fail "the repair exited with $?"
[ "$(installed_varnok_pids)" = "$before" ] || fail "Varnok ran as '$before' and now as '$(installed_varnok_pids)'"
check_msi_installed "$later_version"

group "MSI: msiexec /x /qn ends Varnok and leaves nothing behind"
wine_run msiexec /x "$later_msi_win" /qn || fail "msiexec /x exited with $?"
ended "$running" || fail "msiexec /x left Varnok (pid $running) running"
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
