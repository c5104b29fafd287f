#pragma once
#include <string>

namespace ui {

// A label, button or menu entry whose caption carries program state: what is
// read back is exactly what was last set.
class Caption {
public:
    virtual ~Caption() = default;
    virtual std::wstring caption() const = 0;
    virtual void setCaption(const std::wstring& text) = 0;
};

} // namespace ui
