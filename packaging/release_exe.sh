#!/usr/bin/env bash
# release_exe.sh OBJCOPY LINKED_EXE OUT_EXE OUT_DEBUG EPOCH_FILE
# The shipped varnok.exe: the linked program without its debug sections and
# symbols, which go to OUT_DEBUG (found again through .gnu_debuglink), then
# signed when a key is given.
set -euo pipefail

objcopy=$1 linked=$2 exe=$3 debug=$4 epoch_file=$5
here=$(dirname "$0")

# objcopy stamps the PE header with the time it runs, unless told otherwise.
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(cat "$epoch_file")
"$objcopy" --only-keep-debug "$linked" "$debug"
"$objcopy" --strip-all --add-gnu-debuglink="$debug" "$linked" "$exe.tmp"
bash "$here/sign.sh" "$exe.tmp"
mv -f "$exe.tmp" "$exe"
