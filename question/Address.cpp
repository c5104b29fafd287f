#include "question/Address.h"

#include <algorithm>

namespace question {
namespace {

constexpr size_t npos = std::wstring::npos;
// How far from its start a value may imitate a scheme before its "//".
constexpr size_t kLongestImitatedScheme = 32;

bool isSlash(wchar_t c) { return c == L'/' || c == L'\\'; }
bool isAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool isSchemeCharacter(wchar_t c) { return isAsciiLetter(c) || isDigit(c) || c == L'+' || c == L'-' || c == L'.'; }
bool endsAuthority(wchar_t c) { return isSlash(c) || c == L'?' || c == L'#'; }
bool isHostSeparator(wchar_t c) { return c == L'.' || c == L'\u3002' || c == L'\uFF0E' || c == L'\uFF61'; }
// Trimmed from both ends: U+0000 to U+0020.
bool isBlankOrControl(wchar_t c) { return c <= L' '; }

wchar_t lowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Schemes whose address always has a host, after any number of slashes.
bool isSpecial(const std::wstring& scheme) {
    return scheme == L"http" || scheme == L"https" || scheme == L"ftp" || scheme == L"ws" || scheme == L"wss";
}

// The value as the browser reads it: positions in the stored value, from
// its first to its last character that is no blank, stepping over tabs and
// line breaks. Past the end it reads as U+0000.
class Reading {
public:
    explicit Reading(std::wstring_view s) : s_(s), end_(s.size()) {
        while (begin_ < end_ && isBlankOrControl(s_[begin_])) ++begin_;
        while (end_ > begin_ && isBlankOrControl(s_[end_ - 1])) --end_;
    }
    size_t begin() const { return begin_; }
    size_t end() const { return end_; }
    wchar_t operator[](size_t i) const { return i < end_ ? s_[i] : L'\0'; }
    size_t skip(size_t i) const {
        while (i < end_ && droppedInside(s_[i])) ++i;
        return i;
    }
    size_t next(size_t i) const { return skip(i + 1); }
    bool twoSlashesAt(size_t i) const { return isSlash((*this)[i]) && isSlash((*this)[next(i)]); }

private:
    std::wstring_view s_;
    size_t begin_ = 0, end_;
};

// A scheme: a letter, then letters, digits, +, - and ., then ':'. A drive
// letter and a name with a dot ("www.example.com:80") are none.
struct Scheme {
    std::wstring name; // in lower case; empty where there is none
    size_t colon = npos;
};
Scheme schemeIn(const Reading& r) {
    if (!isAsciiLetter(r[r.begin()])) return {};
    size_t colon = r.begin();
    while (isSchemeCharacter(r[colon])) colon = r.next(colon);
    if (r[colon] != L':') return {};
    Scheme scheme{L"", colon};
    for (size_t i = r.begin(); i < colon; i = r.next(i)) scheme.name += lowerAscii(r[i]);
    if (scheme.name.size() < 2 || scheme.name.find(L'.') != npos) return {};
    return scheme;
}

// What imitates a scheme before the value's first two slashes, "httр://"
// with a Cyrillic р or "http：//": short, without spaces, with a character
// beyond ASCII. Where the host starts after it, or npos.
size_t afterImitatedScheme(const Reading& r) {
    bool beyondAscii = false;
    for (size_t i = r.begin(); i < r.end() && i - r.begin() <= kLongestImitatedScheme; i = r.next(i)) {
        if (r.twoSlashesAt(i)) return beyondAscii ? r.next(r.next(i)) : npos;
        if (r[i] == L' ') return npos;
        beyondAscii |= r[i] >= 0x80;
    }
    return npos;
}

// Without a scheme, what reads as a host name: "www.example.com/".
bool readsAsHostName(std::wstring_view s, size_t from, size_t to) {
    const std::wstring_view name = s.substr(from, to - from);
    return std::any_of(name.begin(), name.end(), isHostSeparator) && name.find(L' ') == std::wstring_view::npos;
}

bool isPortNumber(const Reading& r, Span port) {
    const size_t colon = r.skip(port.from);
    if (colon >= port.to) return true;
    if (r[colon] != L':') return false;
    for (size_t i = r.next(colon); i < port.to; i = r.next(i)) {
        if (!isDigit(r[i])) return false;
    }
    return true;
}

} // namespace

// As browsers read an address: backslashes are slashes, any number of them
// follows http: and its kind, the host ends at the first slash, ? or #,
// what comes before its last @ is a user name, and a port follows the
// host's first colon.
Address addressIn(std::wstring_view s) {
    const Reading r(s);
    Address a;
    size_t host = npos;
    if (const Scheme scheme = schemeIn(r); !scheme.name.empty()) {
        a.scheme = {r.begin(), scheme.colon};
        host = r.next(scheme.colon);
        if (isSpecial(scheme.name)) {
            while (isSlash(r[host])) host = r.next(host);
        } else if (r.twoSlashesAt(host)) {
            host = r.next(r.next(host));
        } else {
            return {}; // mailto:, about: and the like have no host
        }
    } else if (r.twoSlashesAt(r.begin())) {
        host = r.next(r.next(r.begin())); // a network path
    } else if ((host = afterImitatedScheme(r)) != npos) {
        a.scheme = {r.begin(), host};
    }
    const size_t from = host == npos ? r.begin() : host;
    size_t end = from;
    while (end < r.end() && !endsAuthority(r[end])) end = r.next(end);
    if (host == npos && !readsAsHostName(s, from, end)) return {};

    const size_t at = end == from ? npos : s.substr(0, end).rfind(L'@');
    const bool hasUser = at != npos && at >= from;
    a.user = {from, hasUser ? at : from};
    a.host.from = hasUser ? at + 1 : from;
    a.host.to = end;
    if (const size_t first = r.skip(a.host.from); r[first] == L'[') {
        const size_t close = s.substr(0, end).find(L']', first);
        if (close != npos) a.host.to = close + 1;
    } else {
        a.host.to = std::min(end, s.substr(0, end).find(L':', a.host.from));
    }
    a.port = {a.host.to, end};
    a.portIsNumber = isPortNumber(r, a.port);
    a.end = end;
    return a;
}

std::wstring asRead(std::wstring_view value, Span part) {
    const Reading r(value);
    std::wstring out;
    for (size_t i = std::max(part.from, r.begin()); i < std::min(part.to, r.end()); ++i) {
        if (!droppedInside(value[i])) out += value[i];
    }
    return out;
}

} // namespace question
