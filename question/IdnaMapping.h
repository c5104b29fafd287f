#pragma once
#include <cstdint>
#include <vector>

namespace question {

// A host label as browsers map it before they encode it (UTS #46, without
// its transitional rules): in lower case, compatibility forms folded to
// their letters, characters that a name ignores gone, and composed (NFC).
// A character that the browser refuses in a host stays as it is.
std::vector<std::uint32_t> mappedLabel(const std::vector<std::uint32_t>& label);

} // namespace question
