#include "store/RegistryPath.h"

#include <array>
#include <cwctype>

namespace store {
namespace {

struct HiveName {
    std::wstring_view name;
    platform::Hive hive;
};

constexpr std::array<HiveName, 8> kHives{{
    {L"HKEY_CURRENT_USER", platform::Hive::CurrentUser},
    {L"HKCU", platform::Hive::CurrentUser},
    {L"HKEY_LOCAL_MACHINE", platform::Hive::LocalMachine},
    {L"HKLM", platform::Hive::LocalMachine},
    {L"HKEY_CLASSES_ROOT", platform::Hive::ClassesRoot},
    {L"HKCR", platform::Hive::ClassesRoot},
    {L"HKEY_USERS", platform::Hive::Users},
    {L"HKEY_CURRENT_CONFIG", platform::Hive::CurrentConfig},
}};

} // namespace

bool sameRegistryName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    }
    return true;
}

std::optional<RegistryPath> parseRegistryPath(std::wstring_view path) {
    const size_t firstSlash = path.find(L'\\');
    if (firstSlash == std::wstring_view::npos) return std::nullopt;

    std::optional<platform::Hive> hive;
    for (const auto& h : kHives) {
        if (sameRegistryName(path.substr(0, firstSlash), h.name)) hive = h.hive;
    }
    if (!hive) return std::nullopt;

    const size_t lastSlash = path.rfind(L'\\');
    const std::wstring_view key =
        lastSlash > firstSlash ? path.substr(firstSlash + 1, lastSlash - firstSlash - 1) : std::wstring_view{};
    // Key names are never empty, so "a\\b" or a leading slash can name no key.
    if (!key.empty() && (key.front() == L'\\' || key.back() == L'\\' || key.find(L"\\\\") != std::wstring_view::npos)) {
        return std::nullopt;
    }
    if (path.find(L'\0') != std::wstring_view::npos) return std::nullopt;
    return RegistryPath{*hive, std::wstring(key), std::wstring(path.substr(lastSlash + 1))};
}

} // namespace store
