#pragma once
#include "platform/Launcher.h"

namespace platform {

// Launches through the shell, which wants COM in a single-threaded apartment
// on the calling thread. COM is started at the first launch, not at start-up:
// most runs never launch anything, and COM costs memory and start-up time.
// Made and used on the user-interface thread only.
class Win32Launcher final : public Launcher {
public:
    Win32Launcher() = default;
    ~Win32Launcher() override;
    Win32Launcher(const Win32Launcher&) = delete;
    Win32Launcher& operator=(const Win32Launcher&) = delete;

    void shellExecute(NativeWindow owner, const std::wstring& operation, const std::wstring& file,
                      const std::wstring& parameters, const std::wstring& directory, int show) override;

private:
    bool comStarted_ = false;
};

} // namespace platform
