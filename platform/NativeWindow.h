#pragma once

namespace platform {

// A window's native handle, opaque to the logic: the shell and stacking calls take it.
using NativeWindow = void*;

} // namespace platform
