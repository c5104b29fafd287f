#pragma once
#include <string>

#include "platform/NativeWindow.h"

namespace ui {

using platform::NativeWindow;

class Window {
public:
    virtual ~Window() = default;
    // Modeless: returns at once; showing a shown window leaves it shown.
    virtual void show() = 0;
    // Keeps the window and its state.
    virtual void hide() = 0;
    // Destroys the window.
    virtual void unload() = 0;
    virtual NativeWindow handle() const = 0;
};

class Program {
public:
    virtual ~Program() = default;
    // Ends the process's event loop: no handler runs after it.
    virtual void end() = 0;
    // The folder that holds the running executable.
    virtual std::wstring directory() const = 0;
};

} // namespace ui
