#!/bin/sh
# Runs one Windows test program under Wine, in the prefix and on the display
# that scripts/with-wine.sh prepared. Never falls back to ~/.wine.
if [ -z "${WINEPREFIX:-}" ] || [ -z "${VARNOK_TEST_PREFIX:-}" ] || [ "$WINEPREFIX" != "$VARNOK_TEST_PREFIX" ]; then
    echo "run-in-wine: run the Windows tests through scripts/with-wine.sh (it makes a throwaway WINEPREFIX)" >&2
    exit 2
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec wine "$@"
