#pragma once
#include <utility>

namespace ui {

// Gives a variable a value for as long as a handler runs and restores the old
// one on every way out: the one guard against a handler being entered again
// from a nested event loop (a modal box, a menu).
template <typename T>
class [[nodiscard]] ScopedValue {
public:
    ScopedValue(T& variable, T value) : variable_(variable), old_(std::exchange(variable, std::move(value))) {}
    ~ScopedValue() { variable_ = std::move(old_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& variable_;
    T old_;
};

} // namespace ui
