#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace question {

// A part of the stored value: [from, to).
struct Span {
    size_t from = 0, to = 0;
    bool empty() const { return from >= to; }
};

// The parts of a value that has the form of an address which decide the
// page that opens, read as a browser reads them, as positions in the stored
// value. A browser reads the value without the blanks and control
// characters at its ends and without the tabs and line breaks inside it;
// the parts hold whatever of those falls within them, so that the display
// can show every stored character.
struct Address {
    // The scheme's letters, or what imitates a scheme and its slashes
    // ("httр://", "http：//"): shown in ASCII.
    Span scheme;
    // The user name and password, before the host's last @ (empty where
    // there is none).
    Span user;
    Span host;
    // From the host's end to the path's start: a port, if it is ':' and
    // digits.
    Span port;
    bool portIsNumber = true;
    // Where the path starts; [0, end) is never cut. 0: no address.
    size_t end = 0;
};

Address addressIn(std::wstring_view value);

// A tab or line break, which a browser drops wherever it stands.
inline bool droppedInside(wchar_t c) { return c == L'\t' || c == L'\n' || c == L'\r'; }

// A part's text as the browser reads it, without what it drops.
std::wstring asRead(std::wstring_view value, Span part);

} // namespace question
