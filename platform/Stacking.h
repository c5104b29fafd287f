#pragma once
#include "platform/NativeWindow.h"

namespace platform {

class Stacking {
public:
    virtual ~Stacking() = default;
    // Above all non-topmost windows, position and size unchanged.
    virtual void makeTopmost(NativeWindow window) = 0;
};

} // namespace platform
