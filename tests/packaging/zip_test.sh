#!/usr/bin/env bash
# The release zip: exactly the program, README.md and LICENSE, and a program
# that starts on a clean Windows, carries the project's version and no
# symbols, and links to the symbol file that matches it.
#   zip_test.sh ZIP WINDRES OBJDUMP SOURCE_DIR VERSION FILE_VERSION_TEXT DEBUG_FILE
set -uo pipefail

zip=$1 windres=$2 objdump=$3 source_dir=$4 version=$5 file_version_text=$6 debug_file=$7

. "$(dirname "$0")/test_lib.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/varnok-zip-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

group "contents"
names=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$names" = "LICENSE README.md varnok.exe " ] || fail "the zip holds: $names"
unzip -q "$zip" -d "$work" || fail "the zip does not extract"
cmp -s "$work/README.md" "$source_dir/README.md" || fail "README.md differs from the repository's"
cmp -s "$work/LICENSE" "$source_dir/LICENSE" || fail "LICENSE differs from the repository's"

group "varnok.exe"
exe="$work/varnok.exe"
# Static: a clean Windows has none of MinGW's runtime DLLs.
dlls=$("$objdump" -p "$exe" 2>/dev/null | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$dlls" ] || fail "no import table read from varnok.exe"
for dll in $dlls; do
    case "$dll" in
        libstdc++*|libgcc*|libwinpthread*) fail "varnok.exe needs $dll" ;;
    esac
done
# The version record as Windows reads it, decompiled from the file itself.
rc=$("$windres" -J coff -O rc -i "$exe" 2>/dev/null | tr -d '\r')
[ -n "$rc" ] || fail "no resources read from varnok.exe"
IFS=. read -r major minor patch <<<"$version"
numeric="$major, $minor, $patch, 0"
grep -qx " FILEVERSION $numeric" <<<"$rc" || fail "FILEVERSION is not $numeric: $(grep FILEVERSION <<<"$rc")"
grep -qx " PRODUCTVERSION $numeric" <<<"$rc" || fail "PRODUCTVERSION is not $numeric"
for name in FileVersion ProductVersion; do
    grep -qxF "      VALUE \"$name\", \"$file_version_text\"" <<<"$rc" \
        || fail "$name is not \"$file_version_text\": $(grep "\"$name\"" <<<"$rc")"
done
grep -qxF '      VALUE "OriginalFilename", "varnok.exe"' <<<"$rc" || fail "OriginalFilename is not varnok.exe"

group "symbols split off"
sections=$("$objdump" -h "$exe" 2>/dev/null | awk '$1 ~ /^[0-9]+$/ {print $2}')
[ -n "$sections" ] || fail "no section headers read from varnok.exe"
debug_sections=$(grep '^\.debug' <<<"$sections" | tr '\n' ' ')
[ -z "$debug_sections" ] || fail "varnok.exe carries $debug_sections"
[ "$("$objdump" -t "$exe" 2>/dev/null | grep -c '^\[')" = 0 ] || fail "varnok.exe carries a symbol table"
# .gnu_debuglink: the file name, NUL padding to 4 bytes, its CRC-32.
python3 - "$exe" "$debug_file" <<'PY' || fail "the debug link does not name the symbol file that matches"
import struct, sys, zlib
exe, debug = (open(f, "rb").read() for f in sys.argv[1:3])
at = exe.find(b"varnok.exe.debug\0")
if at < 0:
    sys.exit("  no link to varnok.exe.debug")
crc_at = (at + len("varnok.exe.debug") + 1 + 3) & ~3
(crc,) = struct.unpack_from("<I", exe, crc_at)
if crc != zlib.crc32(debug):
    sys.exit("  link CRC %08x, varnok.exe.debug has %08x" % (crc, zlib.crc32(debug)))
if b".debug_info" not in debug:
    sys.exit("  varnok.exe.debug holds no .debug_info")
PY

if [ "$failures" -ne 0 ]; then
    echo "zip_test: $failures failure(s)"
    exit 1
fi
echo "zip_test: all passed"
