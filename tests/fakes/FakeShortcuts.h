#pragma once
// Shortcut files in memory: paths compare without case, as the real ones do.
#include <map>

#include "platform/Shortcuts.h"
#include "store/Shortcuts.h"

class FakeShortcuts : public platform::Shortcuts {
public:
    std::vector<platform::ShortcutFolder> folders() override { return watched; }
    std::vector<std::wstring> list(const platform::ShortcutFolder& folder) override {
        std::vector<std::wstring> out;
        const std::wstring prefix = store::pathKey(folder.path) + L"\\";
        for (const auto& [key, file] : files) {
            if (key.rfind(prefix, 0) != 0) continue;
            if (!folder.recursive && key.find(L'\\', prefix.size()) != std::wstring::npos) continue;
            out.push_back(file.path);
        }
        return out;
    }
    std::optional<platform::LinkData> read(const std::wstring& path) override {
        ++reads;
        const auto it = files.find(store::pathKey(path));
        if (it == files.end() || !it->second.link) return std::nullopt;
        return it->second.link;
    }
    bool write(const std::wstring& path, const platform::LinkData& link) override {
        ++writes;
        if (failWrites) return false;
        files[store::pathKey(path)] = {path, link};
        return true;
    }
    bool remove(const std::wstring& path) override {
        ++writes;
        return !failWrites && files.erase(store::pathKey(path)) == 1;
    }

    // A file that is no shortcut has no link.
    void put(const std::wstring& path, std::optional<platform::LinkData> link) {
        files[store::pathKey(path)] = {path, std::move(link)};
    }

    struct File {
        std::wstring path;
        std::optional<platform::LinkData> link;
    };
    std::map<std::wstring, File> files;
    std::vector<platform::ShortcutFolder> watched;
    bool failWrites = false;
    int reads = 0, writes = 0;
};
