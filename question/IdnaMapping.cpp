#include "question/IdnaMapping.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "question/Characters.h"

namespace question {
namespace {

namespace u = unicode;

template <size_t N>
const u::Mapping* find(const u::Mapping (&table)[N], std::uint32_t c) {
    const auto* m = std::lower_bound(std::begin(table), std::end(table), c,
                                     [](const u::Mapping& x, std::uint32_t v) { return (x.cpAndLength >> 8) < v; });
    return m != std::end(table) && (m->cpAndLength >> 8) == c ? m : nullptr;
}
const u::Mapping* mappingOf(std::uint32_t c) { return find(u::kMappings, c); }

std::uint32_t combiningClass(std::uint32_t c) {
    const auto* x = std::lower_bound(std::begin(u::kCombiningClasses), std::end(u::kCombiningClasses), c,
                                     [](std::uint32_t entry, std::uint32_t v) { return (entry >> 8) < v; });
    return x != std::end(u::kCombiningClasses) && (*x >> 8) == c ? (*x & 0xFF) : 0;
}

// Hangul syllables compose by arithmetic: a leading and a vowel jamo, then
// a trailing one.
constexpr std::uint32_t kSyllables = 0xAC00, kLeads = 0x1100, kVowels = 0x1161, kTrails = 0x11A7;
constexpr std::uint32_t kVowelCount = 21, kTrailCount = 28, kSyllableCount = 19 * kVowelCount * kTrailCount;

// The composition of `first` and `second`, or 0.
std::uint32_t composed(std::uint32_t first, std::uint32_t second) {
    if (first >= kLeads && first < kLeads + 19 && second >= kVowels && second < kVowels + kVowelCount) {
        return kSyllables + ((first - kLeads) * kVowelCount + (second - kVowels)) * kTrailCount;
    }
    if (first >= kSyllables && first < kSyllables + kSyllableCount && (first - kSyllables) % kTrailCount == 0 &&
        second > kTrails && second < kTrails + kTrailCount) {
        return first + (second - kTrails);
    }
    const auto* c = std::lower_bound(std::begin(u::kCompositions), std::end(u::kCompositions), std::pair{first, second},
                                     [](const u::Composition& x, const std::pair<std::uint32_t, std::uint32_t>& v) {
                                         return x.first != v.first ? x.first < v.first : x.second < v.second;
                                     });
    return c != std::end(u::kCompositions) && c->first == first && c->second == second ? c->composite : 0;
}

// `c` as a table maps it: itself when unmapped, one code point kept in the
// entry, or a run of the table's pool.
void appendMapped(std::vector<std::uint32_t>& out, std::uint32_t c, const u::Mapping* m, const std::uint32_t* pool) {
    const std::uint32_t length = m ? m->cpAndLength & 0xFF : 1;
    if (!m) {
        out.push_back(c);
    } else if (length == 1) {
        out.push_back(m->to);
    } else {
        out.insert(out.end(), pool + m->to, pool + m->to + length);
    }
}

std::vector<std::uint32_t> decomposed(const std::vector<std::uint32_t>& label) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t c : label) {
        appendMapped(out, c, mappingOf(c), u::kMappedPool);
    }
    // Marks in canonical order: by their class, each class in the order written.
    for (size_t i = 1; i < out.size(); ++i) {
        const std::uint32_t cc = combiningClass(out[i]);
        for (size_t j = i; cc != 0 && j > 0 && combiningClass(out[j - 1]) > cc; --j) std::swap(out[j], out[j - 1]);
    }
    return out;
}

} // namespace

std::vector<std::uint32_t> skeletonOf(const std::vector<std::uint32_t>& label) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t c : decomposed(label)) {
        if (combiningClass(c) != 0 || chars::has(c, u::kMark)) continue; // diacritics
        appendMapped(out, c, find(u::kSkeletons, c), u::kSkeletonPool);
    }
    return out;
}

std::vector<std::uint32_t> mappedLabel(const std::vector<std::uint32_t>& label) {
    if (std::all_of(label.begin(), label.end(), [](std::uint32_t c) { return c < 0x80; })) {
        std::vector<std::uint32_t> out(label);
        for (std::uint32_t& c : out) c = c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
        return out;
    }
    const std::vector<std::uint32_t> marks = decomposed(label);
    std::vector<std::uint32_t> out;
    size_t starter = SIZE_MAX;
    std::uint32_t lastClass = 0;
    for (std::uint32_t c : marks) {
        const std::uint32_t cc = combiningClass(c);
        // A mark composes with the last starter unless a mark of its own
        // class or higher, or another starter, stands between them.
        const bool blocked = starter == SIZE_MAX || (starter + 1 != out.size() && (lastClass == 0 || lastClass >= cc));
        if (const std::uint32_t composite = blocked ? 0 : composed(out[starter], c)) {
            out[starter] = composite;
            continue;
        }
        if (cc == 0) starter = out.size();
        lastClass = cc;
        out.push_back(c);
    }
    return out;
}

} // namespace question
