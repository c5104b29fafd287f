#include "store/RegEdit.h"

#include "store/RegistryPath.h"
#include "store/RegistryText.h"

std::wstring RegEdit::ReadStartPage(std::wstring_view path) const {
    const auto where = store::parseRegistryPath(path);
    if (!where) return {};
    const auto data = registry_.read(where->hive, where->key, where->value);
    if (!data) return {};
    return store::registryDataToText(*data, [this](const std::wstring& s) { return registry_.expandEnvironment(s); });
}

bool RegEdit::WriteStartPage(std::wstring_view path, const std::wstring& value) const {
    const auto where = store::parseRegistryPath(path);
    return where && registry_.writeString(where->hive, where->key, where->value, value);
}

bool RegEdit::HoldsString(std::wstring_view path, const std::wstring& value) const {
    const auto where = store::parseRegistryPath(path);
    if (!where) return false;
    // A key kept open from the last read may have been renamed away: the
    // write went to the path, so the check reads there.
    registry_.forgetOpenKeys();
    const auto data = registry_.read(where->hive, where->key, where->value);
    return data && data->type == platform::RegSz &&
           store::registryDataToText(*data, [this](const std::wstring& s) { return registry_.expandEnvironment(s); }) ==
               value;
}
