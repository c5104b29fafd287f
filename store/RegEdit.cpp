#include "store/RegEdit.h"

#include "store/RegistryPath.h"
#include "store/RegistryText.h"

std::wstring RegEdit::ReadStartPage(std::wstring_view path) const {
    const auto where = store::parseRegistryPath(path);
    if (!where) return {};
    const auto data = registry_.read(where->hive, where->key, where->value);
    if (!data) return {};
    return store::pageOf(*data, [this](const std::wstring& s) { return registry_.expandEnvironment(s); });
}

bool RegEdit::WriteStartPage(std::wstring_view path, const std::wstring& value) const {
    const auto where = store::parseRegistryPath(path);
    // A page of another type goes back as the text it showed.
    return where && registry_.writeString(where->hive, where->key, where->value, store::splitPage(value).second);
}

std::wstring RegEdit::ReadStartPageAfresh(std::wstring_view path) const {
    registry_.forgetOpenKeys();
    return ReadStartPage(path);
}
