#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace platform {

// The text in the character set that the ANSI shell functions take: the
// active code page, UTF-8 where the manifest's setting takes effect (Windows
// 10 1903 and later), else the user's own (Windows 7 to 10 1809, LTSC 2019,
// Server 2016 and 2019). Nothing where that code page cannot hold the text:
// no character is replaced by '?' or by a look-alike ("best fit": a fullwidth
// U+FF3C would become '\' and name another path).
inline std::optional<std::string> toAnsi(const std::wstring& text, UINT codePage = CP_ACP) {
    if (text.empty()) return std::string();
    const UINT cp = codePage == CP_ACP ? GetACP() : codePage;
    // UTF-8 holds every character but refuses a lone surrogate.
    const DWORD flags = cp == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* const lossyOut = cp == CP_UTF8 ? nullptr : &lossy;
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(cp, flags, text.data(), size, nullptr, 0, nullptr, lossyOut);
    if (n <= 0 || lossy) return std::nullopt;
    std::string out(static_cast<size_t>(n), '\0');
    if (WideCharToMultiByte(cp, flags, text.data(), size, out.data(), n, nullptr, lossyOut) != n || lossy) {
        return std::nullopt;
    }
    return out;
}

// A folder as the ANSI shell functions can take it: whole, else by its short
// (8.3) name, which the file system makes of characters any code page holds.
// Nothing where neither serves (short names are off on many volumes).
inline std::optional<std::string> toAnsiFolder(const std::wstring& folder, UINT codePage = CP_ACP) {
    if (auto whole = toAnsi(folder, codePage)) return whole;
    std::wstring shortName(MAX_PATH, L'\0');
    DWORD n = GetShortPathNameW(folder.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
    if (n >= shortName.size()) {
        shortName.resize(n);
        n = GetShortPathNameW(folder.c_str(), shortName.data(), n);
    }
    if (n == 0 || n >= shortName.size()) return std::nullopt;
    shortName.resize(n);
    return toAnsi(shortName, codePage);
}

} // namespace platform
