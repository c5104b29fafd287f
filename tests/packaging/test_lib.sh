# Sourced by the packaging tests: their failure count and report lines, and
# the guard of those that run installers.
failures=0
fail() { echo "  FAIL: $*"; failures=$((failures + 1)); }
group() { echo "== $*"; }

# An installer run outside the throwaway prefix of scripts/with-wine.sh would
# change the user's own Wine set-up.
require_throwaway_prefix() {
    if [ -z "${WINEPREFIX:-}" ] || [ "$WINEPREFIX" != "${VARNOK_TEST_PREFIX:-}" ]; then
        echo "$1: run it through scripts/with-wine.sh (it makes a throwaway WINEPREFIX)" >&2
        exit 2
    fi
    # winemenubuilder would turn shortcuts into menu entries in the user's own
    # Linux desktop, outside the throwaway prefix.
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}
