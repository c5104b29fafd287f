#include "mainwindow/Module2.h"

namespace Module2 {

void MakeTopmost(const ui::Window& window, platform::Stacking& stacking) { stacking.makeTopmost(window.handle()); }

} // namespace Module2
