#!/usr/bin/env bash
# Sets up, builds and runs every test: the logic natively (also under the
# sanitizers and fuzzers), the Win32 layer, the real program and its
# installer under Wine in a throwaway prefix.
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
