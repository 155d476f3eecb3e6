// Loaders for the libraries the browser host needs only now and then (HTML Help, the URL moniker
// library's feature control, the browser's resource library) and small window and string helpers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace tn {

// The URL moniker library's feature list, in its published order.
enum class TInternetFeatureList : unsigned {
    ObjectCaching,
    ZoneElevation,
    MimeHandling,
    MimeSniffing,
    WindowRestrictions,
    WebocPopupManagement,
    Behaviors,
    DisableMkProtocol,
    LocalMachineLockDown,
    Securityband,
    RestrictActivexInstall,
    ValidateNavigateUrl,
    RestrictFileDownload,
    AddonManagement,
    ProtocolLockdown,
    HttpUsernamePasswordDisable,
    SafeBindToObject,
    UncSavedFileCheck,
    GetUrlDomFilePathUnencoded,
    TabbedBrowsing,
    Sslux,
    DisableNavigationSounds,
    DisableLegacyCompression,
    ForceAddrAndStatus,
    XmlHttp,
    DisableTelnetProtocol,
    Feeds,
    BlockInputPrompts,
    EntryCount
};

// Loads a library with the "file not found" box suppressed and the FPU control word kept.
[[nodiscard]] HMODULE SafeLoadLibrary(const wchar_t* name) noexcept;

// The cached HTML Help module ("hhctrl.ocx"), loaded on first use; null when missing.
[[nodiscard]] HMODULE LoadHtmlHelpLibrary() noexcept;
// HtmlHelpW of the HTML Help module; null without the module or the entry.
HWND CallHtmlHelp(HWND hwndCaller, const wchar_t* pszFile, int uCommand, int dwData) noexcept;

// The URL moniker library, loaded and cached on first use.
[[nodiscard]] bool LoadUrlMon() noexcept;
// A cell holds 0 (not looked up), 1 (looked up and missing) or the entry's address.
using UrlMonProcCell = std::uintptr_t;
bool GetUrlMonProc(const char* name, UrlMonProcCell& cell) noexcept;
// The feature-control calls; E_NOTIMPL when the library lacks them.
[[nodiscard]] HRESULT SetInternetFeatureEnabled(TInternetFeatureList feature, DWORD flags,
                                                bool enable) noexcept;
[[nodiscard]] HRESULT IsInternetFeatureEnabled(TInternetFeatureList feature, DWORD flags) noexcept;

// The browser's localized resource library; null when it is not there (tried again next time).
[[nodiscard]] HMODULE GetShdoclcModule() noexcept;

// Frees the loaded HTML Help and URL moniker modules (the browser module's shutdown).
void HwbUtilsShutdown() noexcept;

// The nearest ancestor of wnd (never wnd itself) whose class name is className (case-sensitive).
[[nodiscard]] HWND FindParentByClassName(HWND wnd, std::wstring_view className) noexcept;
// Empty when wnd is not a window.
[[nodiscard]] std::wstring GetWindowClassName(HWND wnd);
[[nodiscard]] std::wstring GetWindowTextString(HWND wnd);
// Case-sensitive comparison in the user's default locale.
[[nodiscard]] bool SameLocaleText(std::wstring_view a, std::wstring_view b) noexcept;

// 1-based position of ch in s; 0 when absent.
[[nodiscard]] int CharPos(wchar_t ch, std::wstring_view s) noexcept;
// The first index 0 ... high (within the list) whose entry equals s; -1 when none.
[[nodiscard]] int IndexOfString(std::wstring_view s, std::span<const std::wstring_view> list,
                                int high) noexcept;

// Texts in the ANSI code page, as the 8-bit system calls take and give them; a character without a
// form there becomes the page's default character.
[[nodiscard]] std::string AnsiText(std::wstring_view s);
[[nodiscard]] std::wstring TextFromAnsi(const char* s);

// Whether an object still lives, told without the object: taken before a call that may free it
// (a nested message loop may run the message that does), read afterwards.
class TLifeToken {
public:
    TLifeToken() noexcept = default; // of nothing: never alive
    [[nodiscard]] bool Alive() const noexcept { return FAlive && *FAlive; }

private:
    friend class TLiveness;
    explicit TLifeToken(std::shared_ptr<const bool> alive) noexcept : FAlive(std::move(alive)) {}
    std::shared_ptr<const bool> FAlive;
};

// An object's life, ended when its destruction starts; a copied object has a life of its own.
class TLiveness {
public:
    TLiveness() : FAlive(std::make_shared<bool>(true)) {}
    TLiveness(const TLiveness&) : TLiveness() {}
    TLiveness& operator=(const TLiveness&) noexcept { return *this; }
    ~TLiveness() { End(); }
    void End() noexcept { *FAlive = false; }
    [[nodiscard]] TLifeToken Token() const noexcept { return TLifeToken(FAlive); }

private:
    std::shared_ptr<bool> FAlive;
};

// A flag of an object set for a scope, its old value put back at the end unless the object was
// freed meanwhile.
class TScopedLivingFlag {
public:
    TScopedLivingFlag(bool& flag, TLifeToken life) noexcept
        : FFlag(flag), FOld(flag), FLife(std::move(life)) {
        FFlag = true;
    }
    TScopedLivingFlag(const TScopedLivingFlag&) = delete;
    TScopedLivingFlag& operator=(const TScopedLivingFlag&) = delete;
    ~TScopedLivingFlag() {
        if (FLife.Alive()) FFlag = FOld;
    }
    [[nodiscard]] bool Alive() const noexcept { return FLife.Alive(); }

private:
    bool& FFlag;
    bool FOld;
    TLifeToken FLife;
};

// Task-memory copies for COM out-parameters, freed by the receiver; null when out of memory.
[[nodiscard]] wchar_t* StringToTaskMem(std::wstring_view s) noexcept;
[[nodiscard]] wchar_t* WideStringToTaskMem(std::wstring_view s) noexcept;

} // namespace tn
