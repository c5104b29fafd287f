#pragma once
// The registry as the store sees it: raw typed data in, string values out.
// Portable, so the store's conversions are tested without Windows.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class Hive { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// The registry's own type numbers, so data read on Windows needs no translation.
enum RegistryType : std::uint32_t {
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
    RegDwordBigEndian = 5,
    RegLink = 6,
    RegMultiSz = 7,
    RegQword = 11,
};

struct RegistryData {
    std::uint32_t type = RegNone;
    std::vector<std::uint8_t> bytes;
    bool operator==(const RegistryData&) const = default;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Nothing when the key or value is missing or cannot be read.
    virtual std::optional<RegistryData> read(Hive hive, const std::wstring& key, const std::wstring& name) = 0;
    // Creates missing keys on the way; false when anything fails.
    virtual bool writeString(Hive hive, const std::wstring& key, const std::wstring& name, const std::wstring& text) = 0;
    // Typed data as it stands, keys made on the way; false when anything fails.
    virtual bool write(Hive hive, const std::wstring& key, const std::wstring& name, const RegistryData& data) = 0;
    // True when the value is gone, or was never there.
    virtual bool remove(Hive hive, const std::wstring& key, const std::wstring& name) = 0;
    // The names of a key's values; none when the key is missing.
    virtual std::vector<std::wstring> valueNames(Hive hive, const std::wstring& key) = 0;
    // What REG_EXPAND_SZ means: %NAME% replaced from the environment.
    virtual std::wstring expandEnvironment(const std::wstring& text) = 0;
    // A read may go through a key kept open from the last one, and such a
    // handle follows its key wherever it is renamed to; after this the next
    // read opens the path afresh and sees what is there now.
    virtual void forgetOpenKeys() {}
};

} // namespace platform
