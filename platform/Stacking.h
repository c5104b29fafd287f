#pragma once
#include "ui/Window.h"

namespace platform {

class Stacking {
public:
    virtual ~Stacking() = default;
    // Above all non-topmost windows, position and size unchanged.
    virtual void makeTopmost(ui::NativeWindow window) = 0;
};

} // namespace platform
