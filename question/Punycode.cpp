#include "question/Punycode.h"

#include <algorithm>

namespace question {
namespace {

constexpr std::uint64_t kBase = 36, kTMin = 1, kTMax = 26, kSkew = 38, kDamp = 700;

wchar_t digit(std::uint64_t d) { return static_cast<wchar_t>(d < 26 ? L'a' + d : L'0' + (d - 26)); }

std::uint64_t adapt(std::uint64_t delta, std::uint64_t points, bool first) {
    delta = first ? delta / kDamp : delta / 2;
    delta += delta / points;
    std::uint64_t k = 0;
    for (; delta > ((kBase - kTMin) * kTMax) / 2; k += kBase) delta /= kBase - kTMin;
    return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

} // namespace

std::wstring punycode(const std::vector<std::uint32_t>& label) {
    std::wstring out;
    for (std::uint32_t c : label) {
        if (c < 0x80) out += static_cast<wchar_t>(c);
    }
    const size_t basic = out.size();
    if (basic > 0) out += L'-';
    std::uint64_t n = 0x80, bias = 72, delta = 0;
    for (size_t handled = basic; handled < label.size(); ++delta, ++n) {
        std::uint64_t next = UINT64_MAX;
        for (std::uint32_t c : label) {
            if (c >= n) next = std::min<std::uint64_t>(next, c);
        }
        delta += (next - n) * (handled + 1);
        n = next;
        for (std::uint32_t c : label) {
            if (c < n) ++delta;
            if (c != n) continue;
            std::uint64_t q = delta;
            for (std::uint64_t k = kBase;; k += kBase) {
                const std::uint64_t t = k <= bias ? kTMin : k >= bias + kTMax ? kTMax : k - bias;
                if (q < t) break;
                out += digit(t + (q - t) % (kBase - t));
                q = (q - t) / (kBase - t);
            }
            out += digit(q);
            bias = adapt(delta, handled + 1, handled == basic);
            delta = 0;
            ++handled;
        }
    }
    return out;
}

} // namespace question
