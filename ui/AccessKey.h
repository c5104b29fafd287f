#pragma once
#include <string>

namespace ui {

// A caption as the system shows it, without its access key: "&Yes" is
// "Yes", and a key in brackets at the end, as East Asian captions add it
// ("はい(&Y)"), goes with its brackets. A literal ampersand ("&&") stays
// one: shown as a caption, a single "&" would make the next letter a key.
inline std::wstring withoutAccessKey(const std::wstring& caption) {
    std::wstring out = caption;
    const size_t n = out.size();
    if (n >= 4 && out.compare(n - 4, 2, L"(&") == 0 && out[n - 1] == L')' && out[n - 2] != L'&') {
        out.erase(n - 4);
        while (!out.empty() && out.back() == L' ') out.pop_back();
    }
    std::wstring plain;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] == L'&' && ++i == out.size()) break;
        if (out[i] == L'&') plain += L'&';
        plain += out[i];
    }
    return plain;
}

} // namespace ui
