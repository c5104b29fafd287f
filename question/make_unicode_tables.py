#!/usr/bin/python3
"""Writes the character tables that the question's display reads, from the
Unicode Character Database (Debian's unicode-data: categories, Scripts and
Script_Extensions), the identifier status, confusables and skeletons of
UTS #39 (ICU's spoof checker, through PyICU; ICU's recommended and inclusion
sets together are Identifier_Status = Allowed), and the mapping that
browsers apply to a host label before they encode it (UTS #46, ICU's uts46
data).

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
FLAGS = ["Mark", "Escape", "HostOk", "LooksAscii", "RightToLeft", "LeftToRight", "Letter", "Apostrophe",
         "ReadsLatin", "ReadsDigit"]
FLAG_BITS = 11  # beside a 21-bit code point in one 32-bit word

# Letters that read as Latin ones by their shape, though ICU's confusables do
# not map them so; a label wholly in such letters reads as a Latin name
# (whole-script lookalikes, as Chromium's IDN display policy lists them per
# script). Each with the letters it reads as.
SHAPES = {
    0x043F: "n", 0x044E: "io", 0x0438: "u", 0x0446: "u",  # Cyrillic pe, yu, i, tse
    0x03B7: "n", 0x03BA: "k", 0x03BD: "v", 0x03C9: "w", 0x03C4: "t",  # Greek eta, kappa, nu, omega, tau
    0x056C: "l", 0x056B: "h", 0x0580: "n", 0x0574: "u",  # Armenian liwn, ini, re, men
    0x10D8: "o", 0x10DD: "m", 0x10E1: "b", 0x10EB: "d",  # Georgian in, on, san, dzil
    0x05D7: "n", 0x05D4: "n",  # Hebrew het, he
    0x12D0: "O", 0x1200: "U", 0x1235: "h", 0x1290: "y",  # Ethiopic
    0x1002: "o", 0x101D: "o", 0x1040: "o",  # Myanmar ga, wa, digit zero
    0x0E17: "n", 0x0E19: "u", 0x0E1A: "u", 0x0E23: "s", 0x0E2D: "o", 0x0E50: "o", 0x0E1E: "w", 0x0E1F: "w",  # Thai
    0x0966: "o", 0x09E6: "o", 0x0A66: "o", 0x0AE6: "o", 0x0B66: "o", 0x0BE6: "o", 0x0C66: "o", 0x0CE6: "o",
    0x0D66: "o", 0x0DE6: "o",  # Indic digit zeros
    0x0A20: "o", 0x0D1F: "s", 0x0C20: "o", 0x0B20: "o",  # Gurmukhi ttha, Malayalam tta, Telugu ttha, Oriya ttha
}
# Latin letters that ICU's skeletons use for letters of other scripts and
# that read as ASCII ones: tone six as b, kra as k, dotless j as j.
LATIN_READS = {0x0185: "b", 0x0138: "k", 0x0237: "j"}
# Characters of another numbering system, or letters, that read as ASCII
# digits by their shape: a label of them and ASCII digits reads as a number.
DIGIT_SHAPES = {0x0A68: "2", 0x0AE8: "2", 0x0968: "2", 0x09E8: "2", 0x0A69: "3", 0x0AE9: "3", 0x0437: "3",
                0x0499: "3", 0x04E1: "3", 0x0AED: "7", 0x0A6A: "8", 0x09EA: "8", 0x0B68: "9", 0x03B8: "0"}

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

# Marks drawn through a letter (a long solidus overlay on the m of
# google.com̸abc reads as a slash): escaped wherever they stand.
overlays = {int(row[0], 16) for row in rows if row[2] == "Mn" and "OVERLAY" in row[1]}

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
# Identifier_Status = Allowed: ICU's recommended and inclusion sets together.
allowed = checker.getRecommendedUnicodeSet()
allowed.addAll(checker.getInclusionUnicodeSet())
nfd = icu.Normalizer2.getNFDInstance()
MARKS = (icu.UCharCategory.NON_SPACING_MARK, icu.UCharCategory.ENCLOSING_MARK)


def without_marks(text):
    return "".join(x for x in nfd.normalize(text) if icu.Char.charType(x) not in MARKS)


def reads_as(cp):
    """The ASCII letters that a letter of a script other than Latin reads
    as: its skeleton without marks and spacing modifiers (the macron of ъ's
    ˉb), where that is made of ASCII letters; or its shape."""
    if cp in SHAPES:
        return SHAPES[cp]
    skeleton = "".join(LATIN_READS.get(ord(x), x) for x in without_marks(checker.getSkeleton(0, chr(cp)))
                       if icu.Char.charType(x) != icu.UCharCategory.MODIFIER_SYMBOL)
    return skeleton if skeleton and all(ord(x) < 0x80 and x.isalpha() for x in skeleton) else None


def looks_like_one_letter(cp):
    skeleton = checker.getSkeleton(0, chr(cp))
    return len(skeleton) == 1 and ord(skeleton) < 0x80 and skeleton.isalpha()


def reads_as_digit(cp):
    skeleton = checker.getSkeleton(0, chr(cp))
    return cp in DIGIT_SHAPES or (cp >= 0x80 and skeleton and all("0" <= x <= "9" for x in skeleton))


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
            or cp in APOSTROPHE_MARKS or cp in overlays or cp == 0x2800):  # the braille blank is a space by its looks
        f |= 2
    if gc == "Cs":
        return f
    ch = chr(cp)
    if (cp < 0x80 and (ch.isalnum() or ch == "-")) or (cp >= 0x80 and allowed.contains(ch)):
        f |= 4
    if cp >= 0x80 and not f & 2:
        # Looks like ASCII (the strokes that look like a dash have rules of their own).
        # One character, as æ (ae) is not: ı reads as i, ɑ as a.
        skeleton = checker.getSkeleton(0, ch)
        if len(skeleton) == 1 and 0x21 <= ord(skeleton) <= 0x7E:
            f |= 8
    if bidi[cp] in ("R", "AL", "AN"):
        f |= 16
    if bidi[cp] == "L" and gc != "Cn":
        f |= 32
    if gc.startswith("L"):
        f |= 64
    if cp in apostrophes:
        f |= 128
    if cp >= 0x80 and f & 4 and (gc.startswith("L") or gc == "Nd"):
        # Latin letters only where they read as an ASCII letter as they
        # stand (ı, ɑ), diacritics and all.
        if not scripts[cp] & BITS["Latin"] and reads_as(cp):
            f |= 256
        elif scripts[cp] & BITS["Latin"] and (cp in LATIN_READS or looks_like_one_letter(cp)):
            f |= 256
    if cp >= 0x80 and f & 4 and reads_as_digit(cp):
        f |= 512
    if cp in LATIN_READS:
        f |= 8
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

# The digit zero of each numbering system (general category Nd), so that
# digits of two systems in one label are seen.
zeros = [int(row[0], 16) for row in rows if row[2] == "Nd" and row[6] == "0"]

# Each character's UTS #39 skeleton without diacritics, where it differs:
# for the characters a host can show (lower case, composed, Allowed), and
# for the characters that they decompose to.
skeletons, skeleton_pool = [], []
for cp in range(0x21, N):
    if 0xD800 <= cp <= 0xDFFF or 0xAC00 <= cp <= 0xD7A3:
        continue
    ch = chr(cp)
    if (cp >= 0x80 and not allowed.contains(ch)) or nfd.normalize(ch) != ch or uts46.normalize(ch) != ch:
        continue
    skeleton = without_marks(checker.getSkeleton(0, ch))
    if skeleton == ch:
        continue
    if len(skeleton) == 1:
        skeletons.append((cp, 1, ord(skeleton)))
    else:
        skeletons.append((cp, len(skeleton), len(skeleton_pool)))
        skeleton_pool.extend(ord(x) for x in skeleton)

ranges = []
last = None
for cp in range(N):
    key = (flags(cp), scripts[cp])
    if key != last:
        ranges.append(((cp << FLAG_BITS) | key[0], key[1]))
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
        out.write("inline constexpr std::uint16_t k%s = 0x%03X;\n" % (name, 1 << i))
    out.write("inline constexpr int kFlagBits = %d;\n" % FLAG_BITS)
    for name in RECOMMENDED + PSEUDO:
        out.write("inline constexpr std::uint32_t k%s = 0x%08Xu;\n" % (name, BITS[name]))
    out.write("inline constexpr std::uint32_t kScriptCount = %d;\n\n" % len(BITS))
    out.write("// From `first` until the next range: flags in the low kFlagBits, and the\n"
              "// Recommended scripts of Script_Extensions as bits.\n")
    out.write("struct Range {\n    std::uint32_t firstAndFlags;\n    std::uint32_t scripts;\n};\n")
    write_array(out, "Range kRanges", ("{0x%08Xu, 0x%Xu}" % r for r in ranges))
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
    out.write("\n// The zero of each numbering system.\n")
    write_array(out, "std::uint32_t kDigitZeros", ("0x%X" % z for z in zeros))
    out.write("\n// UTS #39 skeletons without diacritics, as kMappings are laid out.\n")
    write_array(out, "Mapping kSkeletons", ("{0x%06X%02Xu, 0x%Xu}" % m for m in skeletons))
    write_array(out, "std::uint32_t kSkeletonPool", ("0x%X" % c for c in skeleton_pool))
    out.write("\n} // namespace question::unicode\n")
