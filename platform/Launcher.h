#pragma once
#include <string>

#include "platform/NativeWindow.h"

namespace platform {

// Hands a document or link to the program the system has for it.
class Launcher {
public:
    virtual ~Launcher() = default;
    // The outcome is not reported: a failed launch goes unnoticed, as the shell leaves it.
    virtual void shellExecute(NativeWindow owner, const std::wstring& operation, const std::wstring& file,
                              const std::wstring& parameters, const std::wstring& directory, int show) = 0;
};

} // namespace platform
