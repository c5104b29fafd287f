#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace question {

// RFC 3492's encoding of one host label: its ASCII characters as they are,
// then the rest as digits. Without the "xn--" that marks a label encoded.
std::wstring punycode(const std::vector<std::uint32_t>& label);

} // namespace question
