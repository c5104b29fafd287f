// The parts of an address that decide which page opens, as the question
// reads them and as Internet Explorer's own parser does (urlmon's CreateUri,
// which pre-processes an address as the browser does), for the values of the
// question's disguise table. Every reading is printed; where the two differ,
// the row says what Internet Explorer reads.
#include <windows.h>
#include <urlmon.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "tests/native/question_disguises.h"
#include "question/Address.h"

namespace {

struct Parts {
    std::wstring scheme, user, host, port;
    bool operator==(const Parts&) const = default;
};

std::wstring lowerAscii(std::wstring s) {
    for (wchar_t& c : s) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return s;
}

// The question's reading; the port where one is written.
std::optional<Parts> portable(const std::wstring& value) {
    const question::Address a = question::addressIn(value);
    if (a.end == 0) return std::nullopt;
    const std::wstring user = question::asRead(value, a.user), port = question::asRead(value, a.port);
    return Parts{lowerAscii(question::asRead(value, a.scheme)), user.substr(0, user.find(L':')),
                 lowerAscii(question::asRead(value, a.host)), a.portIsNumber && !port.empty() ? port.substr(1) : L""};
}

std::wstring taken(BSTR s) {
    std::wstring out = s ? s : L"";
    SysFreeString(s);
    return out;
}

// Internet Explorer's reading: a value without a scheme as the address bar
// takes it, a network path as a file's.
std::optional<Parts> internetExplorer(const std::wstring& value) {
    IUri* uri = nullptr;
    if (FAILED(CreateUri(value.c_str(), Uri_CREATE_ALLOW_IMPLICIT_WILDCARD_SCHEME | Uri_CREATE_ALLOW_IMPLICIT_FILE_SCHEME,
                         0, &uri))) {
        return std::nullopt;
    }
    Parts p;
    BSTR s = nullptr;
    uri->GetSchemeName(&s);
    p.scheme = lowerAscii(taken(s));
    uri->GetUserName(&s);
    p.user = taken(s);
    uri->GetHost(&s);
    p.host = lowerAscii(taken(s));
    DWORD port = 0;
    if (uri->GetPort(&port) == S_OK) p.port = std::to_wstring(port);
    uri->Release();
    return p;
}

// Where Internet Explorer's parser, as Wine has it, reads a value otherwise:
// the question then checks more than the browser would open, never less.
const std::pair<std::wstring, const char*> kReadOtherwise[] = {
    {L"http:www.ex\u0430mple.com", "no host: what follows http: is a path"},
    {L"http://www.example.com:g\u043e\u043egle/", "no address: the port is no number"},
    {L"htt\u0440://www.example.com/", "a wildcard scheme, the imitated one as its host"},
    {L"h\u0323ttp://www.example.com/", "a wildcard scheme, the imitated one as its host"},
    {L"http\uff1a//www.ex\u0430mple.com", "a wildcard scheme, the imitated one as its host"},
};

// A value without a scheme is the address bar's wildcard or, as a network
// path, a file; a host in brackets is read without them; a port that is not
// written is the scheme's own.
bool sameReading(Parts ours, const Parts& ie) {
    if (ours.scheme.empty() && (ie.scheme == L"*" || ie.scheme == L"file")) ours.scheme = ie.scheme;
    if (ours.port.empty()) ours.port = ie.port;
    if (ours.host.size() >= 2 && ours.host.front() == L'[' && ours.host.back() == L']') {
        ours.host = ours.host.substr(1, ours.host.size() - 2);
    }
    return ours == ie;
}

std::string shown(const std::optional<Parts>& p) {
    if (!p) return "(no address)";
    std::string out;
    for (const std::wstring* part : {&p->scheme, &p->user, &p->host, &p->port}) {
        if (part != &p->scheme) out += " | ";
        for (wchar_t c : *part) {
            char buf[12];
            std::snprintf(buf, sizeof buf, c >= 0x20 && c < 0x7F ? "%c" : "\\u%04x", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

} // namespace

// Scheme, user name, host and port of each value with the form of an
// address, as the question reads them and as Internet Explorer does.
TEST(AddressTest, TheQuestionReadsTheHostThatInternetExplorerOpens) {
    for (const Disguise& d : kDisguises) {
        const std::optional<Parts> ours = portable(d.value), ie = internetExplorer(d.value);
        const auto known = std::find_if(std::begin(kReadOtherwise), std::end(kReadOtherwise),
                                        [&d](const auto& k) { return k.first == d.value; });
        const bool same = ours && ie && sameReading(*ours, *ie);
        std::printf("%-56s ie: %-40s %s\n", shown(ours).c_str(), shown(ie).c_str(),
                    same ? "" : known != std::end(kReadOtherwise) ? known->second : ours ? "DIFFERS" : "(not an address here)");
        if (ours && known == std::end(kReadOtherwise)) {
            EXPECT_TRUE(same) << shown(ours) << " against Internet Explorer's " << shown(ie);
        }
    }
}
