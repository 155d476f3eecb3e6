#include "browser/host/HwbUtils.h"

#include "classlib/ComPtr.h"
#include "classlib/Fpu.h"
#include "classlib/Handles.h"

#include <algorithm>
#include <cstring>

namespace tn {

namespace {
// The module's cached libraries and entries (GUI thread only).
UniqueModule HtmlHelpModule;
UniqueModule UrlMonModule;
HMODULE ShdoclcModule = nullptr;
UrlMonProcCell SetFeatureCell = 0;
UrlMonProcCell IsFeatureCell = 0;

constexpr UrlMonProcCell kMissing = 1;

// Old loaders report failure as a value of 32 or less.
HMODULE Usable(HMODULE h) noexcept {
    return reinterpret_cast<std::uintptr_t>(h) > 32 ? h : nullptr;
}
} // namespace

HMODULE SafeLoadLibrary(const wchar_t* name) noexcept {
    const UINT oldMode = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
    const std::uint16_t cw = Get8087CW();
    const HMODULE h = ::LoadLibraryW(name);
    Set8087CW(cw);
    ::SetErrorMode(oldMode);
    return h;
}

HMODULE LoadHtmlHelpLibrary() noexcept {
    if (!HtmlHelpModule) {
        HMODULE h = SafeLoadLibrary(L"hhctrl.ocx");
        if (!Usable(h) && h) ::FreeLibrary(h);
        HtmlHelpModule.reset(Usable(h));
    }
    return HtmlHelpModule.get();
}

HWND CallHtmlHelp(HWND hwndCaller, const wchar_t* pszFile, int uCommand, int dwData) noexcept {
    const HMODULE h = LoadHtmlHelpLibrary();
    if (!h) return nullptr;
    using HtmlHelpFn = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);
    const auto fn =
        reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(::GetProcAddress(h, "HtmlHelpW")));
    if (!fn) return nullptr;
    return fn(hwndCaller, pszFile, static_cast<UINT>(uCommand), static_cast<DWORD_PTR>(dwData));
}

bool LoadUrlMon() noexcept {
    if (!UrlMonModule) {
        HMODULE h = SafeLoadLibrary(L"URLMON.DLL");
        if (!Usable(h) && h) ::FreeLibrary(h);
        UrlMonModule.reset(Usable(h));
    }
    return static_cast<bool>(UrlMonModule);
}

bool GetUrlMonProc(const char* name, UrlMonProcCell& cell) noexcept {
    if (!LoadUrlMon()) return false;
    const FARPROC p = ::GetProcAddress(UrlMonModule.get(), name);
    cell = p ? reinterpret_cast<UrlMonProcCell>(p) : kMissing;
    return p != nullptr;
}

HRESULT SetInternetFeatureEnabled(TInternetFeatureList feature, DWORD flags, bool enable) noexcept {
    if (SetFeatureCell <= kMissing && !GetUrlMonProc("CoInternetSetFeatureEnabled", SetFeatureCell))
        return E_NOTIMPL;
    using Fn = HRESULT(WINAPI*)(int, DWORD, BOOL);
    return reinterpret_cast<Fn>(SetFeatureCell)(static_cast<int>(feature), flags, enable ? -1 : 0);
}

HRESULT IsInternetFeatureEnabled(TInternetFeatureList feature, DWORD flags) noexcept {
    if (IsFeatureCell <= kMissing && !GetUrlMonProc("CoInternetIsFeatureEnabled", IsFeatureCell))
        return E_NOTIMPL;
    using Fn = HRESULT(WINAPI*)(int, DWORD);
    return reinterpret_cast<Fn>(IsFeatureCell)(static_cast<int>(feature), flags);
}

HMODULE GetShdoclcModule() noexcept {
    if (!ShdoclcModule) {
        HMODULE h = ::GetModuleHandleW(L"SHDOCLC.DLL");
        if (!h) h = SafeLoadLibrary(L"SHDOCLC.DLL");
        ShdoclcModule = Usable(h);
    }
    return ShdoclcModule;
}

void HwbUtilsShutdown() noexcept {
    // The entries live in the modules freed here.
    SetFeatureCell = IsFeatureCell = 0;
    HtmlHelpModule.reset();
    UrlMonModule.reset();
}

bool SameLocaleText(std::wstring_view a, std::wstring_view b) noexcept {
    if (a.empty() || b.empty()) return a.empty() && b.empty();
    return ::CompareStringW(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                            static_cast<int>(b.size())) == CSTR_EQUAL;
}

HWND FindParentByClassName(HWND wnd, std::wstring_view className) noexcept {
    for (HWND p = ::GetParent(wnd); p && ::IsWindow(p); p = ::GetParent(p)) {
        wchar_t name[256];
        const int n = ::GetClassNameW(p, name, 256);
        if (n > 0 &&
            SameLocaleText(std::wstring_view(name, static_cast<std::size_t>(n)), className))
            return p;
    }
    return nullptr;
}

std::wstring GetWindowClassName(HWND wnd) {
    if (!wnd || !::IsWindow(wnd)) return {};
    wchar_t name[256];
    const int n = ::GetClassNameW(wnd, name, 256);
    return n > 0 ? std::wstring(name, static_cast<std::size_t>(n)) : std::wstring();
}

std::wstring GetWindowTextString(HWND wnd) {
    const int len = ::GetWindowTextLengthW(wnd);
    if (len <= 0) return {};
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    const int n = ::GetWindowTextW(wnd, text.data(), len + 1);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0u);
    return text;
}

int CharPos(wchar_t ch, std::wstring_view s) noexcept {
    const auto at = s.find(ch);
    return at == std::wstring_view::npos ? 0 : static_cast<int>(at) + 1;
}

int IndexOfString(std::wstring_view s, std::span<const std::wstring_view> list, int high) noexcept {
    // A bound beyond the list is not trusted: only entries that exist are compared.
    const int last = std::min(high, static_cast<int>(list.size()) - 1);
    for (int i = 0; i <= last; ++i)
        if (SameLocaleText(s, list[static_cast<std::size_t>(i)])) return i;
    return -1;
}

std::string AnsiText(std::wstring_view s) {
    if (s.empty()) return {};
    const int size = static_cast<int>(s.size());
    const int n = ::WideCharToMultiByte(CP_ACP, 0, s.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, s.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring TextFromAnsi(const char* s) {
    if (!s || !*s) return {};
    const int n = ::MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 1) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s, -1, out.data(), n);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

wchar_t* StringToTaskMem(std::wstring_view s) noexcept {
    return CopyToTaskMem(s);
}

wchar_t* WideStringToTaskMem(std::wstring_view s) noexcept {
    const std::size_t bytes = 2 * s.size() + 2;
    auto* p = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
    if (!p) return nullptr;
    std::memset(p, 0, bytes);
    if (!s.empty()) std::memcpy(p, s.data(), s.size() * sizeof(wchar_t));
    return p;
}

} // namespace tn
