#!/usr/bin/env bash
# Sets up, builds and runs every test: the logic natively, the Win32 layer
# and the real program under Wine in a throwaway prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset windows
cmake --build --preset windows
scripts/with-wine.sh ctest --preset windows
