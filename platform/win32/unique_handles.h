#pragma once
// One owner per handle, in the manner of WIL's unique_any: move-only, with an
// explicit empty value, released exactly once.
#include <windows.h>
#include <objbase.h>

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
inline void closeFind(HANDLE h) { FindClose(h); }

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
// A search: empty is null, so a failed FindFirstFile (INVALID_HANDLE_VALUE) is never kept.
using unique_hfind = unique_any<HANDLE, closeFind>;

// One reference to a COM object, released once.
template <typename T>
class unique_com {
public:
    unique_com() = default;
    unique_com(const unique_com&) = delete;
    unique_com& operator=(const unique_com&) = delete;
    unique_com(unique_com&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    unique_com& operator=(unique_com&& other) noexcept {
        if (this != &other) reset(std::exchange(other.p_, nullptr));
        return *this;
    }
    ~unique_com() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset(T* p = nullptr) {
        if (p_) p_->Release();
        p_ = p;
    }
    // For the functions that hand out a reference through void**.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }
    template <typename U>
    unique_com<U> query() const {
        unique_com<U> out;
        if (p_) p_->QueryInterface(__uuidof(U), out.put());
        return out;
    }

private:
    T* p_ = nullptr;
};

// COM on this thread while it lives: the shell's objects are made and used
// on the thread that started it.
class ComApartment {
public:
    ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    bool started() const { return SUCCEEDED(hr_); }

private:
    HRESULT hr_;
};

} // namespace platform
