#pragma once
#include "platform/Stacking.h"
#include "ui/Window.h"

namespace Module2 {

void MakeTopmost(const ui::Window& window, platform::Stacking& stacking);

} // namespace Module2
