#!/usr/bin/env bash
# Runs a command with a throwaway Wine prefix and a private X display, and
# removes both afterwards: tests never touch a user's own Wine set-up.
set -euo pipefail

work=$(mktemp -d "${TMPDIR:-/tmp}/varnok-wine.XXXXXX")
xvfb_pid=""
cleanup() {
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Xvfb picks a free display number itself and reports it.
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
exec 5>&-
[ -s "$work/display" ] || { echo "with-wine: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# Debian's Wine 10 aborts when TMPDIR is set and /run/user/<uid> is missing;
# the throwaway folders above are made, so the default does as well.
unset TMPDIR

export WINEPREFIX="$work/prefix" VARNOK_TEST_PREFIX="$work/prefix"
# winemenubuilder would write menu entries into the real $HOME.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineboot -i >/dev/null 2>&1
wineserver -w
# Without a window manager Wine waits 2 s for every window it hides, unless
# it manages the windows itself; a crash must not open a dialog that blocks.
cat >"$work/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
wine regedit /S "$work/settings.reg" >/dev/null 2>&1
wineserver -w

"$@"
