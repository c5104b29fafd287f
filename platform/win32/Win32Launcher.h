#pragma once
#include "platform/Launcher.h"

namespace platform {

class Win32Launcher final : public Launcher {
public:
    void shellExecute(NativeWindow owner, const std::wstring& operation, const std::wstring& file,
                      const std::wstring& parameters, const std::wstring& directory, int show) override;
};

} // namespace platform
