#pragma once
// An in-memory registry: keys and value names compare without case, as the
// real one does.
#include <algorithm>
#include <cwctype>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

#include "platform/Registry.h"

class FakeRegistry : public platform::Registry {
public:
    std::optional<platform::RegistryData> read(platform::Hive hive, const std::wstring& key,
                                               const std::wstring& name) override {
        ++reads;
        const auto it = values.find(id(hive, key, name));
        if (it == values.end()) return std::nullopt;
        return it->second;
    }

    bool writeString(platform::Hive hive, const std::wstring& key, const std::wstring& name,
                     const std::wstring& text) override {
        return write(hive, key, name, stringData(text));
    }

    bool write(platform::Hive hive, const std::wstring& key, const std::wstring& name,
               const platform::RegistryData& data) override {
        ++writes;
        if (failWrites) return false;
        values[id(hive, key, name)] = data;
        if (afterWrite) afterWrite();
        return true;
    }

    bool remove(platform::Hive hive, const std::wstring& key, const std::wstring& name) override {
        ++writes;
        if (failWrites) return false;
        values.erase(id(hive, key, name));
        if (afterWrite) afterWrite();
        return true;
    }

    std::vector<std::wstring> valueNames(platform::Hive hive, const std::wstring& key) override {
        std::vector<std::wstring> names;
        for (const auto& [at, data] : values) {
            if (std::get<0>(at) == hive && std::get<1>(at) == lower(key)) names.push_back(std::get<2>(at));
        }
        return names;
    }

    std::wstring expandEnvironment(const std::wstring& text) override {
        std::wstring out = text;
        for (const auto& [var, value] : environment) {
            for (size_t at; (at = out.find(L'%' + var + L'%')) != std::wstring::npos;) {
                out.replace(at, var.size() + 2, value);
            }
        }
        return out;
    }

    void set(platform::Hive hive, const std::wstring& key, const std::wstring& name, platform::RegistryData data) {
        values[id(hive, key, name)] = std::move(data);
    }
    void erase(platform::Hive hive, const std::wstring& key, const std::wstring& name) {
        values.erase(id(hive, key, name));
    }
    const platform::RegistryData* find(platform::Hive hive, const std::wstring& key, const std::wstring& name) const {
        const auto it = values.find(id(hive, key, name));
        return it == values.end() ? nullptr : &it->second;
    }

    static platform::RegistryData stringData(const std::wstring& text, std::uint32_t type = platform::RegSz) {
        platform::RegistryData d{type, {}};
        for (wchar_t c : text) {
            d.bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
            d.bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
        }
        d.bytes.push_back(0);
        d.bytes.push_back(0);
        return d;
    }

    std::map<std::wstring, std::wstring> environment;
    bool failWrites = false;
    std::function<void()> afterWrite; // another program, quicker than the next read

    int reads = 0;
    int writes = 0;

private:
    using Id = std::tuple<platform::Hive, std::wstring, std::wstring>;
    static std::wstring lower(std::wstring s) {
        std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return std::towlower(c); });
        return s;
    }
    static Id id(platform::Hive hive, const std::wstring& key, const std::wstring& name) {
        return {hive, lower(key), lower(name)};
    }
    std::map<Id, platform::RegistryData> values;
};

// The watched value in a fake registry.
struct StartPageInRegistry {
    FakeRegistry& registry;
    static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Internet Explorer\\Main";
    void set(const std::wstring& text) { registry.set(platform::Hive::CurrentUser, kKey, L"Start Page", FakeRegistry::stringData(text)); }
    void erase() { registry.erase(platform::Hive::CurrentUser, kKey, L"Start Page"); }
    const platform::RegistryData* get() const { return registry.find(platform::Hive::CurrentUser, kKey, L"Start Page"); }
};
