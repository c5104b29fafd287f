#pragma once
#include "platform/Stacking.h"

namespace platform {

class Win32Stacking final : public Stacking {
public:
    void makeTopmost(NativeWindow window) override;
};

} // namespace platform
