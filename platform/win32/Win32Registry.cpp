#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include "platform/win32/unique_handles.h"

namespace platform {

// Data read on Windows goes to the conversion untranslated.
static_assert(RegNone == REG_NONE && RegSz == REG_SZ && RegExpandSz == REG_EXPAND_SZ && RegBinary == REG_BINARY &&
              RegDword == REG_DWORD && RegDwordBigEndian == REG_DWORD_BIG_ENDIAN && RegLink == REG_LINK &&
              RegMultiSz == REG_MULTI_SZ && RegQword == REG_QWORD);

HKEY rootKeyOf(Hive hive) {
    switch (hive) {
    case Hive::ClassesRoot: return HKEY_CLASSES_ROOT;
    case Hive::CurrentUser: return HKEY_CURRENT_USER;
    case Hive::LocalMachine: return HKEY_LOCAL_MACHINE;
    case Hive::Users: return HKEY_USERS;
    case Hive::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return nullptr;
}

HKEY Win32Registry::openKey(Hive hive, const std::wstring& key, bool afresh) {
    if (afresh || !open_ || hive != openHive_ || key != openPath_) {
        openHive_ = hive;
        openPath_ = key;
        if (RegOpenKeyExW(rootKeyOf(hive), key.c_str(), 0, KEY_QUERY_VALUE, open_.put()) != ERROR_SUCCESS) open_.reset();
    }
    return open_.get();
}

std::optional<RegistryData> Win32Registry::read(Hive hive, const std::wstring& key, const std::wstring& name) {
    // Raw data without expansion: the conversion expands, so the same rules
    // hold on every platform.
    constexpr DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
    RegistryData data;
    DWORD size = lastSize_;
    HKEY k = openKey(hive, key, false);
    // The value can grow between one call and the next: ask again.
    for (int attempt = 0; attempt < 16 && k; ++attempt) {
        data.bytes.resize(size + sizeof(wchar_t));
        size = static_cast<DWORD>(data.bytes.size());
        DWORD type = 0;
        const LSTATUS status = RegGetValueW(k, nullptr, name.c_str(), flags, &type, data.bytes.data(), &size);
        if (status == ERROR_KEY_DELETED) {
            k = openKey(hive, key, true);
            continue;
        }
        if (status == ERROR_SUCCESS) {
            data.bytes.resize(size);
            data.type = type;
            lastSize_ = size;
            return data;
        }
        if (status != ERROR_MORE_DATA) return std::nullopt;
    }
    return std::nullopt;
}

bool Win32Registry::writeString(Hive hive, const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    const auto* first = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return write(hive, key, name, {RegSz, {first, first + (text.size() + 1) * sizeof(wchar_t)}});
}

bool Win32Registry::write(Hive hive, const std::wstring& key, const std::wstring& name, const RegistryData& data) {
    if (data.bytes.size() > MAXDWORD) return false;
    unique_hkey k;
    if (RegCreateKeyExW(rootKeyOf(hive), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, k.put(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(k.get(), name.c_str(), 0, data.type, data.bytes.data(), static_cast<DWORD>(data.bytes.size())) ==
           ERROR_SUCCESS;
}

bool Win32Registry::remove(Hive hive, const std::wstring& key, const std::wstring& name) {
    unique_hkey k;
    const LSTATUS opened = RegOpenKeyExW(rootKeyOf(hive), key.c_str(), 0, KEY_SET_VALUE, k.put());
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    const LSTATUS status = RegDeleteValueW(k.get(), name.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

std::vector<std::wstring> Win32Registry::valueNames(Hive hive, const std::wstring& key) {
    std::vector<std::wstring> names;
    unique_hkey k;
    if (RegOpenKeyExW(rootKeyOf(hive), key.c_str(), 0, KEY_QUERY_VALUE, k.put()) != ERROR_SUCCESS) return names;
    // Value names are at most 16,383 characters long.
    std::wstring name(16384, L'\0');
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueW(k.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

std::wstring Win32Registry::expandEnvironment(const std::wstring& text) {
    std::wstring out(text.size() + 1, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), out.data(), static_cast<DWORD>(out.size()));
        if (needed == 0) return text;
        if (needed <= out.size()) {
            out.resize(needed - 1);
            return out;
        }
        out.resize(needed);
    }
    return text;
}

} // namespace platform
