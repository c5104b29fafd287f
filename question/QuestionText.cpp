#include "question/QuestionText.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "question/Address.h"
#include "question/Characters.h"
#include "question/Escaping.h"
#include "question/HostPolicy.h"
#include "question/IdnaMapping.h"
#include "question/QuestionLines.h"

namespace question {
namespace {

bool isHostSeparator(wchar_t c) { return c == L'.' || c == L'\u3002' || c == L'\uFF0E' || c == L'\uFF61'; }

// One label of a user name or host: [from, to) of the value, its
// characters as the browser reads them and those that decide how it is
// shown, and the pieces it shows as when it is shown as written.
struct LabelAt {
    size_t from, to;
    Label read, kept;
    std::vector<Piece> written;
};

LabelAt labelAt(std::wstring_view s, size_t from, size_t to, bool asciiOnly) {
    LabelAt l{from, to, {}, {}, segment(s, from, to, SIZE_MAX, asciiOnly)};
    for (const Piece& p : asciiOnly ? segment(s, from, to, SIZE_MAX, false) : l.written) {
        for (size_t i = p.from; i < p.to;) {
            const chars::CodePoint cp = chars::codePointAt(s, i);
            if (!droppedInside(s[i])) l.read.push_back(cp.c);
            if (!p.escaped) l.kept.push_back(cp.c);
            i = cp.to;
        }
    }
    return l;
}

bool isAscii(const Label& label) {
    return std::all_of(label.begin(), label.end(), [](std::uint32_t c) { return c < 0x80; });
}

// A label in its ASCII form, after the escapes of the tabs and line breaks
// that the browser dropped from it.
std::vector<Piece> encoded(std::wstring_view s, const LabelAt& l, bool asciiOnly) {
    std::vector<Piece> out;
    for (size_t i = l.from; i < l.to; ++i) {
        if (droppedInside(s[i])) out.push_back({i, i + 1, escape(s[i]), true});
    }
    const std::wstring ascii = asciiForm(l.read);
    append(out, segment(ascii, 0, ascii.size(), SIZE_MAX, asciiOnly));
    for (Piece& p : out) p.from = p.to = l.to;
    return out;
}

// The labels of [from, to): split at dots, and where `colons`, at colons too.
void splitInto(std::vector<LabelAt>& labels, std::wstring_view s, Span part, bool colons, bool asciiOnly) {
    for (size_t i = part.from;;) {
        size_t j = i;
        while (j < part.to && !isHostSeparator(s[j]) && !(colons && s[j] == L':')) ++j;
        labels.push_back(labelAt(s, i, j, asciiOnly));
        if (j >= part.to) break;
        i = j + 1;
    }
}

// The top-level label: the host's last, or the one before a final dot.
size_t topLevelOf(const std::vector<LabelAt>& host) {
    size_t tld = host.size() - 1;
    if (tld > 0 && host[tld].from == host[tld].to) --tld;
    return tld;
}

// A host as the browser opens it, label by label (without a final dot's
// empty one), and its skeleton.
struct HostReading {
    std::vector<Label> mapped;
    std::vector<std::uint32_t> skeleton;
};
HostReading readingOf(std::vector<Label> read) {
    if (read.size() > 1 && read.back().empty()) read.pop_back();
    HostReading h;
    for (const Label& l : read) h.mapped.push_back(mappedLabel(l));
    h.skeleton = hostSkeleton(h.mapped);
    return h;
}

// The host of a page, label by label, as the browser reads it.
std::vector<Label> hostLabelsOf(const std::wstring& page) {
    const Address a = addressIn(page);
    if (a.end == 0 || a.host.empty()) return {};
    const std::wstring host = asRead(page, a.host);
    std::vector<Label> labels(1);
    for (size_t i = 0; i < host.size();) {
        const chars::CodePoint cp = chars::codePointAt(host, i);
        if (isHostSeparator(host[i])) labels.emplace_back();
        else labels.back().push_back(cp.c);
        i = cp.to;
    }
    return labels;
}

// Whether the host reads as one of the known pages' but is another.
bool passesForKnown(const std::vector<LabelAt>& host, const std::vector<std::wstring>& known) {
    if (known.empty()) return false;
    std::vector<Label> read;
    for (const LabelAt& l : host) read.push_back(l.read);
    const HostReading h = readingOf(std::move(read));
    return std::any_of(known.begin(), known.end(), [&h](const std::wstring& page) {
        std::vector<Label> labels = hostLabelsOf(page);
        if (labels.empty()) return false;
        const HostReading k = readingOf(std::move(labels));
        return k.skeleton == h.skeleton && k.mapped != h.mapped;
    });
}

// The dot between two host labels as the browser reads it: 。．｡ are dots.
Piece hostDot(std::wstring_view s, size_t at, bool asciiOnly) {
    if (s[at] != L'.' && isHostSeparator(s[at])) return {at, at + 1, L"."};
    return segment(s, at, at + 1, SIZE_MAX, asciiOnly).front();
}

// The scheme, user name, host and port as shown: the scheme in ASCII, the
// user name and host label by label, each as written or, where it could
// pass for another, in its ASCII form. A user name can read as a host too,
// and so can what follows a colon after the host when it is no port.
std::vector<Piece> addressPart(std::wstring_view s, const Address& a, bool asciiOnly,
                               const std::vector<std::wstring>& known) {
    std::vector<Piece> out = segment(s, 0, a.scheme.from, SIZE_MAX, asciiOnly);
    append(out, segment(s, a.scheme.from, a.scheme.to, SIZE_MAX, true));
    append(out, segment(s, a.scheme.to, a.user.from, SIZE_MAX, asciiOnly));

    std::vector<LabelAt> user, host, rest;
    if (!a.user.empty()) splitInto(user, s, a.user, true, asciiOnly);
    splitInto(host, s, a.host, false, asciiOnly);
    if (!a.portIsNumber) splitInto(rest, s, a.port, true, asciiOnly);

    // The top-level label first: the labels under it are judged by it as shown.
    const LabelAt& tld = host[topLevelOf(host)];
    std::vector<Label> others;
    for (const LabelAt& l : host) {
        if (&l != &tld) others.push_back(l.kept);
    }
    const bool tldAsWritten = isAscii(tld.kept) || (!asciiOnly && readableTopLevel(tld.kept, others));
    const TopLevelDomain domain = topLevelDomain(tld.read, !tldAsWritten);
    // A host that reads as a page this user knows, but is not it, in ASCII.
    // (Only a label beyond ASCII could show otherwise: an ASCII host is spared the reading.)
    const bool likeKnown = !asciiOnly &&
                           std::any_of(host.begin(), host.end(), [](const LabelAt& l) { return !isAscii(l.kept); }) &&
                           passesForKnown(host, known);
    const auto show = [&](const std::vector<LabelAt>& labels, Span part, bool isHost) {
        for (const LabelAt& l : labels) {
            const bool asWritten =
                isAscii(l.kept) || (!(isHost && likeKnown) &&
                                    (&l == &tld ? tldAsWritten : !asciiOnly && readableLabel(l.kept, domain)));
            append(out, asWritten ? l.written : encoded(s, l, asciiOnly));
            if (l.to >= part.to) continue;
            if (isHost) out.push_back(hostDot(s, l.to, asciiOnly));
            else append(out, segment(s, l.to, l.to + 1, SIZE_MAX, asciiOnly)); // a dot or colon
        }
    };
    // A user name in use is set apart, so that only the host reads as the host.
    if (a.userInUse) out.push_back({a.user.from, a.user.from, L"[user name: "});
    show(user, a.user, false);
    if (a.userInUse) out.push_back({a.user.to, a.user.to, L"]"});
    append(out, segment(s, a.user.to, a.host.from, SIZE_MAX, asciiOnly)); // the @
    show(host, a.host, true);
    if (a.portIsNumber) {
        append(out, segment(s, a.port.from, a.port.to, SIZE_MAX, asciiOnly));
    } else {
        show(rest, a.port, false);
    }
    return out;
}

} // namespace

std::wstring shownInQuestion(const std::wstring& value, const Display& display) {
    static const std::vector<std::wstring> none;
    const std::vector<std::wstring>& known = display.known ? *display.known : none;
    const Address address = addressIn(value);
    // Every code unit shows as at least one character: one this long
    // cannot fit, whatever it holds.
    std::vector<Piece> head;
    if (address.end > 0 && address.end <= display.longest) head = addressPart(value, address, display.asciiOnly, known);
    const size_t fixed = shownLength(head);
    if (address.end > display.longest || fixed > display.longest) {
        return L"[the host is too long to show: " + std::to_wstring(address.end) + L" characters before the path]";
    }
    QuestionLines lines(display.run);
    std::vector<Piece> rest = segment(value, address.end, value.size(), display.longest - fixed + 1, display.asciiOnly);
    if (fixed + shownLength(rest) <= display.longest && (rest.empty() || rest.back().to == value.size())) {
        lines.put(head, true);
        lines.put(rest);
        return lines.take();
    }
    // Half the budget each for the beginning and the end; the address
    // part of the beginning is shown whole.
    const size_t half = display.longest / 2;
    size_t shown = fixed, kept = 0;
    while (kept < rest.size() && shown + rest[kept].shown.size() <= half) shown += rest[kept++].shown.size();
    rest.resize(kept);
    closeRun(rest, shown);
    const size_t headEnd = rest.empty() ? address.end : rest.back().to;
    const std::vector<Piece> tail = tailOf(value, headEnd, display.longest - std::max(half, fixed), display.asciiOnly);
    const size_t tailStart = tail.empty() ? value.size() : tail.front().from;
    lines.put(head, true);
    lines.put(rest);
    lines.putMarker(L" [... " + std::to_wstring(chars::codePointsIn(value, headEnd, tailStart)) +
                    L" characters left out ...] ");
    lines.put(tail);
    return lines.take();
}

} // namespace question
