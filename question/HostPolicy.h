#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace question {

// The characters of a host label (or of a user name's) that decide how it
// is shown: those the display shows as themselves. What is escaped anyway
// (an ideographic space, a direction override) shows as the escape it is.
using Label = std::vector<std::uint32_t>;

// The top-level domain as the labels under it are judged by it.
struct TopLevelDomain {
    std::wstring name;  // in lower case, where it is shown in ASCII
    // Reads as Latin: in Latin letters that are no xn-- form of its
    // script's own name, or in letters that all look like Latin ones.
    bool latin = false;
};
// `label` as the browser reads it; `inAsciiForm`, whether the display shows
// it in the ASCII form that it made of it.
TopLevelDomain topLevelDomain(const Label& label, bool inAsciiForm);

// Whether a label under `tld` with characters beyond ASCII may be shown as
// it is, by the rules browsers use for their address bars: no scripts mixed
// that could pass for one, no Latin lookalike among Latin letters, no
// compatibility form, and no name wholly in lookalikes of Latin letters
// under a Latin top-level domain that is not at home in its script.
bool readableLabel(const Label& label, const TopLevelDomain& tld);
// The same for the host's top-level label, `others` being the host's other
// labels: one wholly in lookalikes of Latin letters is readable only where
// another label shows its script in letters that look like no Latin one.
bool readableTopLevel(const Label& label, const std::vector<Label>& others);

// A label's ASCII form as browsers show it: the label as they map it, in
// xn-- form where that is not ASCII. `label` is the label as the browser
// reads it, all its characters.
std::wstring asciiForm(const Label& label);

} // namespace question
