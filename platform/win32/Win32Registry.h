#pragma once
#include <windows.h>

#include "platform/Registry.h"
#include "platform/win32/unique_handles.h"

namespace platform {

HKEY rootKeyOf(Hive hive);

class Win32Registry final : public Registry {
public:
    std::optional<RegistryData> read(Hive hive, const std::wstring& key, const std::wstring& name) override;
    bool writeString(Hive hive, const std::wstring& key, const std::wstring& name, const std::wstring& text) override;
    bool write(Hive hive, const std::wstring& key, const std::wstring& name, const RegistryData& data) override;
    bool remove(Hive hive, const std::wstring& key, const std::wstring& name) override;
    std::vector<std::wstring> valueNames(Hive hive, const std::wstring& key) override;
    std::wstring expandEnvironment(const std::wstring& text) override;
    void forgetOpenKeys() override { open_.reset(); }

private:
    // The key of the last read, kept open: the watched value is read on every
    // tick, and opening and closing its key each time costs two more trips
    // to the registry. A key deleted under the handle is opened afresh; one
    // renamed away is not noticed here: see forgetOpenKeys().
    HKEY openKey(Hive hive, const std::wstring& key, bool afresh);

    Hive openHive_ = Hive::CurrentUser;
    std::wstring openPath_;
    unique_hkey open_;
    // The size of the last value read: usually the next read fits, and one
    // call does instead of a size query and a read.
    DWORD lastSize_ = 512;
};

} // namespace platform
