#!/usr/bin/python3
"""Writes the character tables that the question's display reads, from the
Unicode Character Database (Debian's unicode-data) and the confusables and
identifier data of UTS #39 (ICU's spoof checker, through PyICU), and the
mapping that browsers apply to a host label before they encode it (UTS #46,
ICU's uts46 data).

usage: make_unicode_tables.py UCD_DIR OUTPUT.h
"""
import os
import sys

import icu

ucd, output = sys.argv[1], sys.argv[2]

# UAX #31's Recommended scripts, the only ones a readable host label may use;
# bit 0 is Latin. Jpan, Kore and Hanb are the sets of UTS #39 that Han, kana,
# Hangul and Bopomofo are augmented with.
RECOMMENDED = ["Latin", "Arabic", "Armenian", "Bengali", "Bopomofo", "Cyrillic", "Devanagari", "Ethiopic",
               "Georgian", "Greek", "Gujarati", "Gurmukhi", "Han", "Hangul", "Hebrew", "Hiragana", "Kannada",
               "Katakana", "Khmer", "Lao", "Malayalam", "Myanmar", "Oriya", "Sinhala", "Tamil", "Telugu",
               "Thaana", "Thai", "Tibetan"]
PSEUDO = ["Jpan", "Kore", "Hanb"]
BITS = {name: 1 << i for i, name in enumerate(RECOMMENDED + PSEUDO)}
AUGMENT = {"Han": ["Jpan", "Kore", "Hanb"], "Hiragana": ["Jpan"], "Katakana": ["Jpan"], "Hangul": ["Kore"],
           "Bopomofo": ["Hanb"]}

# Combining commas above: drawn over a letter they read as an apostrophe.
APOSTROPHE_MARKS = {0x0312, 0x0313, 0x0314, 0x0315, 0x0343, 0x0485, 0x0486}
FLAGS = ["Mark", "Escape", "HostOk", "LooksAscii", "RightToLeft", "LeftToRight", "Letter", "Apostrophe"]

N = 0x110000


def lines(name):
    with open(os.path.join(ucd, name), encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                yield [field.strip() for field in line.split(";")]


def span(text):
    first, _, last = text.partition("..")
    return range(int(first, 16), int(last or first, 16) + 1)


category = ["Cn"] * N
bidi = ["L"] * N
decomposition = [""] * N
rows = list(lines("UnicodeData.txt"))
for i, row in enumerate(rows):
    c = int(row[0], 16)
    cps = range(c, int(rows[i + 1][0], 16) + 1) if row[1].endswith("First>") else [c]
    if row[1].endswith("Last>"):
        continue
    for cp in cps:
        category[cp], bidi[cp], decomposition[cp] = row[2], row[4], row[5]

ignorable = set()
for fields in lines("DerivedCoreProperties.txt"):
    if fields[1] == "Default_Ignorable_Code_Point":
        ignorable.update(span(fields[0]))

short = {}  # Script_Extensions names scripts by their short aliases
for fields in lines("PropertyValueAliases.txt"):
    if fields[0] == "sc":
        short[fields[1]] = fields[2]
scripts = [0] * N
for fields in lines("Scripts.txt"):
    bits = BITS.get(fields[1], 0)
    for name in AUGMENT.get(fields[1], []):
        bits |= BITS[name]
    for cp in span(fields[0]):
        scripts[cp] = bits
for fields in lines("ScriptExtensions.txt"):
    bits = 0
    for alias in fields[1].split():
        name = short.get(alias, alias)
        bits |= BITS.get(name, 0)
        for extra in AUGMENT.get(name, []):
            bits |= BITS[extra]
    for cp in span(fields[0]):
        scripts[cp] = bits

checker = icu.SpoofChecker()
allowed = checker.getRecommendedUnicodeSet()
allowed.addAll(checker.getInclusionUnicodeSet())
DASH = checker.getSkeleton(0, "\u2014")


def apostrophe_like(cp):
    if cp in APOSTROPHE_MARKS:
        return True
    shown = [ch for ch in checker.getSkeleton(0, chr(cp)) if not icu.Char.charType(ch) in
             (icu.UCharCategory.NON_SPACING_MARK, icu.UCharCategory.ENCLOSING_MARK)]
    return bool(shown) and all(ch == "'" for ch in shown)


apostrophes = {cp for cp in range(N) if not 0xD800 <= cp <= 0xDFFF and category[cp] != "Cn" and apostrophe_like(cp)}
# A character that decomposes to one (U+0149, the n after an apostrophe) starts with one.
for cp in range(N):
    parts = decomposition[cp].split()
    if parts and parts[0].startswith("<") and any(int(p, 16) in apostrophes for p in parts[1:]):
        apostrophes.add(cp)


def flags(cp):
    gc = category[cp]
    f = 0
    if gc in ("Mn", "Me"):
        f |= 1
    if (gc in ("Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp") or (gc == "Zs" and cp != 0x20) or cp in ignorable
            or cp in APOSTROPHE_MARKS or cp == 0x2800):  # the braille blank is a space by its looks
        f |= 2
    if gc == "Cs":
        return f
    ch = chr(cp)
    if (cp < 0x80 and (ch.isalnum() or ch == "-")) or (cp >= 0x80 and allowed.contains(ch)):
        f |= 4
    if cp >= 0x80 and not f & 2:
        # Looks like ASCII, or like a dash (the Han one, the prolonged sound mark).
        skeleton = checker.getSkeleton(0, ch)
        if skeleton and (all(0x21 <= ord(x) <= 0x7E for x in skeleton) or skeleton == DASH):
            f |= 8
    if bidi[cp] in ("R", "AL", "AN"):
        f |= 16
    if bidi[cp] == "L" and gc != "Cn":
        f |= 32
    if gc.startswith("L"):
        f |= 64
    if cp in apostrophes:
        f |= 128
    return f


# UTS #46's mapping of each code point, decomposed, so that the mapped label
# can be put together again with the canonical composition below. A mapping
# to ASCII that is not a letter, digit or hyphen ("／" to "/", U+00A0 to a
# space) is left out: a browser refuses such a host, and shown as ASCII it
# would draw a host that it is not.
uts46 = icu.Normalizer2.getInstance(None, "uts46", icu.UNormalizationMode2.DECOMPOSE)
nfc = icu.Normalizer2.getNFCInstance()
LDH = set("abcdefghijklmnopqrstuvwxyz0123456789-")
mappings = []
pool = []
for cp in range(N):
    if 0xD800 <= cp <= 0xDFFF or 0xAC00 <= cp <= 0xD7A3:  # Hangul syllables are composed in code
        continue
    mapped = uts46.normalize(chr(cp))
    if mapped == chr(cp) or "\ufffd" in mapped or any(ord(x) < 0x80 and x not in LDH for x in mapped):
        continue
    if len(mapped) == 1:
        mappings.append((cp, 1, ord(mapped)))
    else:
        mappings.append((cp, len(mapped), len(pool)))
        pool.extend(ord(x) for x in mapped)

combining = [(int(row[0], 16), int(row[3])) for row in rows if row[3] != "0"]
compositions = []
for row in rows:
    parts = row[5].split()
    if len(parts) == 2 and not parts[0].startswith("<"):
        first, second, composite = int(parts[0], 16), int(parts[1], 16), int(row[0], 16)
        if nfc.normalize(chr(first) + chr(second)) == chr(composite):  # not excluded from composition
            compositions.append((first, second, composite))
compositions.sort()

ranges = []
last = None
for cp in range(N):
    key = (flags(cp), scripts[cp])
    if key != last:
        ranges.append((cp, *key))
        last = key

def write_array(out, declaration, items):
    out.write("inline constexpr %s[] = {\n" % declaration)
    for item in items:
        out.write("    %s,\n" % item)
    out.write("};\n")


with open(output, "w", encoding="ascii") as out:
    out.write("// Generated by question/make_unicode_tables.py from the Unicode %s data; do not edit.\n"
              % icu.UNICODE_VERSION)
    out.write("#pragma once\n#include <cstdint>\n\nnamespace question::unicode {\n\n")
    for i, name in enumerate(FLAGS):
        out.write("inline constexpr std::uint8_t k%s = 0x%02X;\n" % (name, 1 << i))
    for name in ["Latin", "Cyrillic", "Greek", "Han", "Hiragana", "Katakana", "Bopomofo", "Hangul"] + PSEUDO:
        out.write("inline constexpr std::uint32_t k%s = 0x%08Xu;\n" % (name, BITS[name]))
    out.write("inline constexpr std::uint32_t kScriptCount = %d;\n\n" % len(BITS))
    out.write("// From `first` until the next range: flags in the low byte, and the\n"
              "// Recommended scripts of Script_Extensions as bits.\n")
    out.write("struct Range {\n    std::uint32_t firstAndFlags;\n    std::uint32_t scripts;\n};\n")
    write_array(out, "Range kRanges", ("{0x%06X%02Xu, 0x%Xu}" % r for r in ranges))
    out.write("\n// UTS #46's mapping, decomposed: the code point and the mapping's length\n"
              "// (0: the label drops it), then the code point it maps to, or where\n"
              "// its code points start in kMappedPool.\n")
    out.write("struct Mapping {\n    std::uint32_t cpAndLength;\n    std::uint32_t to;\n};\n")
    write_array(out, "Mapping kMappings", ("{0x%06X%02Xu, 0x%Xu}" % m for m in mappings))
    write_array(out, "std::uint32_t kMappedPool", ("0x%X" % c for c in pool))
    out.write("\n// Canonical combining classes other than 0: the code point, then the class.\n")
    write_array(out, "std::uint32_t kCombiningClasses", ("0x%06X%02Xu" % c for c in combining))
    out.write("\n// Canonical compositions of two code points, by the pair.\n")
    out.write("struct Composition {\n    std::uint32_t first, second, composite;\n};\n")
    write_array(out, "Composition kCompositions", ("{0x%X, 0x%X, 0x%X}" % c for c in compositions))
    out.write("\n} // namespace question::unicode\n")
