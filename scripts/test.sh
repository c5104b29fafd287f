#!/usr/bin/env bash
# Sets up, builds and runs every test: the logic natively (also under the
# sanitizers and fuzzers), the Win32 layer, the real program and its
# installer under Wine in a throwaway prefix: under the host's Wine, then
# under Debian 13's Wine 10 (VARNOK_WINE10=0 leaves that one out).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer, and
# the fuzzers of what parses untrusted data, each for a bounded time.
cmake --preset native-sanitize
cmake --build --preset native-sanitize
ctest --preset native-sanitize
cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz

cmake --preset windows
cmake --build --preset windows
scripts/with-wine.sh ctest --preset windows
if [ "${VARNOK_WINE10:-1}" != 0 ]; then
    scripts/with-wine10.sh ctest --preset windows -L win32
fi
