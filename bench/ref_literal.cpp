// The watcher as first written: every 1 ms tick creates a WScript.Shell,
// reads the start page through RegRead and rewrites a label with it.
#include "common.h"

#include <ole2.h>
#include <oleauto.h>

namespace {

constexpr wchar_t kRegReadPath[] = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main\\Start Page";

HWND label = nullptr;
std::wstring reference;
bool asking = false;

// A fresh object per call, as late-bound CreateObject("WScript.Shell") does.
std::wstring regRead() {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(L"WScript.Shell", &clsid))) return {};
    IDispatch* shell = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&shell))))
        return {};
    std::wstring text;
    OLECHAR* name = const_cast<OLECHAR*>(L"RegRead");
    DISPID id = 0;
    if (SUCCEEDED(shell->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) {
        VARIANT arg;
        VariantInit(&arg);
        arg.vt = VT_BSTR;
        arg.bstrVal = SysAllocString(kRegReadPath);
        DISPPARAMS params{&arg, nullptr, 1, 0};
        VARIANT result;
        VariantInit(&result);
        if (SUCCEEDED(shell->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                                    nullptr)) &&
            SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BSTR)) && result.bstrVal)
            text.assign(result.bstrVal, SysStringLen(result.bstrVal));
        VariantClear(&result);
        VariantClear(&arg);
    }
    shell->Release();
    return text;
}

void tick(HWND main) {
    // The question's modal loop goes on delivering ticks.
    if (asking) return;
    const std::wstring page = regRead();
    SetWindowTextW(label, page.c_str());
    if (page == reference) return;
    asking = true;
    if (bench::askAboutChange(main, page))
        bench::writeStartPage(reference);
    else
        reference = page;
    asking = false;
}

LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER: tick(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    HWND main = bench::createHiddenMain(instance, L"BenchRefLiteral", proc);
    if (!main) return 1;
    reference = regRead();
    label = CreateWindowExW(0, L"STATIC", reference.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 8, 8, 360,
                            20, main, nullptr, instance, nullptr);
    SetTimer(main, 1, 1, nullptr);
    const int rc = bench::runMessageLoop();
    CoUninitialize();
    return rc;
}
