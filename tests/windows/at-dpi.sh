#!/bin/sh
# Runs a Windows test program at a display scale: LogPixels is set in the
# prefix first, and back to 96 after. Wine 8 reads it when a process starts,
# Wine 10 when a session (wineserver) starts: each scale gets a session of
# its own, and the next test a fresh one at 96.
#   at-dpi.sh DPI PROGRAM [ARGS...]
[ -n "${WINEPREFIX:-}" ] && [ "$WINEPREFIX" = "${VARNOK_TEST_PREFIX:-}" ] ||
    { echo "at-dpi: run it through scripts/with-wine.sh" >&2; exit 2; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
dpi=$1 reg=$(mktemp "${TMPDIR:-/tmp}/varnok-dpi.XXXXXX")
shift
set_dpi() {
    printf 'REGEDIT4\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n' "$1" >"$reg"
    printf '[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]\n' >>"$reg"
    printf '"LogPixels"=dword:%08x\n' "$1" >>"$reg"
    wineserver -w
    wine regedit /S "$reg" >/dev/null 2>&1
    wineserver -w
}
trap 'set_dpi 96; rm -f "$reg"' EXIT
set_dpi "$dpi"
VARNOK_TEST_DPI=$dpi wine "$@"
