#pragma once
// One owner per handle, in the manner of WIL's unique_any: move-only, with an
// explicit empty value, released exactly once.
#include <windows.h>

#include <utility>

namespace platform {

template <typename T, auto Close, T Empty = T{}>
class unique_any {
public:
    unique_any() = default;
    explicit unique_any(T value) : value_(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(std::exchange(other.value_, Empty)) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, Empty));
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Empty; }
    void reset(T value = Empty) {
        if (value_ != Empty) Close(value_);
        value_ = value;
    }
    T release() { return std::exchange(value_, Empty); }
    T* put() {
        reset();
        return &value_;
    }

private:
    T value_ = Empty;
};

inline void closeKey(HKEY k) { RegCloseKey(k); }
inline void destroyIcon(HICON i) { DestroyIcon(i); }
inline void deleteFont(HFONT f) { DeleteObject(f); }
inline void destroyMenu(HMENU m) { DestroyMenu(m); }
inline void closeHandle(HANDLE h) { CloseHandle(h); }
inline void releaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
inline void deleteBitmap(HBITMAP b) { DeleteObject(b); }
inline void deleteDc(HDC dc) { DeleteDC(dc); }
inline void unhook(HHOOK h) { UnhookWindowsHookEx(h); }
inline void unhookWinEvent(HWINEVENTHOOK h) { UnhookWinEvent(h); }

using unique_hkey = unique_any<HKEY, closeKey>;
using unique_hicon = unique_any<HICON, destroyIcon>;
using unique_hfont = unique_any<HFONT, deleteFont>;
using unique_hmenu = unique_any<HMENU, destroyMenu>;
using unique_handle = unique_any<HANDLE, closeHandle>;
using unique_screen_dc = unique_any<HDC, releaseScreenDc>;
using unique_hbitmap = unique_any<HBITMAP, deleteBitmap>;
using unique_hdc = unique_any<HDC, deleteDc>;
using unique_hhook = unique_any<HHOOK, unhook>;
using unique_hwinevent = unique_any<HWINEVENTHOOK, unhookWinEvent>;

} // namespace platform
