// The browser component's user agent, HTML code, document loading, GetHostInfo of its own
// UI-handler entry and its protocol object.
#include "browser/component/HostedWB.h"
#include "browser/component/StreamAdapter.h"

#include "classlib/FileUtil.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"

#include <mshtmdid.h>

#include <array>
#include <cstdint>
#include <string_view>

namespace tn {

namespace {

// Without the leading backslash: some registry implementations refuse a path that has one.
constexpr wchar_t kPostPlatformKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";
constexpr std::wstring_view kRegistryTokenHead =
    L"User-agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)(";

// A one-line HTML code that is an address rather than markup.
bool IsAddressLine(const std::wstring& line) {
    static constexpr std::array<std::wstring_view, 5> kPrefixes = {L"http", L"www.", L"ftp:",
                                                                   L"file", L"about:"};
    const std::wstring lower = text::LowerCase(line);
    for (const std::wstring_view prefix : kPrefixes)
        if (lower.starts_with(prefix)) return true;
    return false;
}

} // namespace

// --- host information ---------------------------------------------------------------------------

// Serves both UI-handler entries: the extra style sheet and namespace go wherever the base left
// none.
HRESULT THostedWB::GetHostInfo(DOCHOSTUIINFO* pInfo) {
    const HRESULT result = TCustomHostedWB::GetHostInfo(pInfo);
    // A failed answer is not read by the control, so nothing is handed to it to free.
    if (FAILED(result) || !pInfo) return result;
    if (!pInfo->pchHostCss && !HostCSS.empty()) pInfo->pchHostCss = CopyToTaskMem(HostCSS);
    if (!pInfo->pchHostNS && !HostNS.empty()) pInfo->pchHostNS = CopyToTaskMem(HostNS);
    return result;
}

// --- protocol object ----------------------------------------------------------------------------

HRESULT THostedWB::Start(LPCWSTR szUrl, IInternetProtocolSink* pOIProtSink,
                         IInternetBindInfo* pOIBindInfo, DWORD, HANDLE_PTR) {
    FProtSink = ComPtr<IInternetProtocolSink>(pOIProtSink);
    FBindInfo = ComPtr<IInternetBindInfo>(pOIBindInfo);
    if (const auto services = FProtSink.as<IServiceProvider>()) {
        ComPtr<IHttpNegotiate> negotiate;
        if (SUCCEEDED(services->QueryService(IID_IHttpNegotiate, IID_IHttpNegotiate,
                                             negotiate.put_void())) &&
            negotiate) {
            LPWSTR extra = nullptr;
            (void)negotiate->BeginningTransaction(szUrl, nullptr, 0, &extra);
            // The headers are ours once handed out; nothing is added to the request.
            const UniqueTaskMem<wchar_t> freed(extra);
        }
    }
    return INET_E_USE_DEFAULT_PROTOCOLHANDLER;
}
HRESULT THostedWB::Continue(PROTOCOLDATA*) {
    return S_OK;
}
HRESULT THostedWB::Abort(HRESULT, DWORD) {
    return E_NOTIMPL;
}
HRESULT THostedWB::Terminate(DWORD) {
    return S_OK;
}
HRESULT THostedWB::Suspend() {
    return E_NOTIMPL;
}
HRESULT THostedWB::Resume() {
    return E_NOTIMPL;
}
// Nothing is ever read, and the count says so.
HRESULT THostedWB::Read(void*, ULONG, ULONG* pcbRead) {
    if (pcbRead) *pcbRead = 0;
    return S_OK;
}
HRESULT THostedWB::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) {
    return E_NOTIMPL;
}
HRESULT THostedWB::LockRequest(DWORD) {
    return S_OK;
}
HRESULT THostedWB::UnlockRequest() {
    return S_OK;
}

// --- user agent ---------------------------------------------------------------------------------

void THostedWB::SetUserAgent(const std::wstring& value) {
    if (value == FUserAgent) return;
    FUserAgent = value;
    ApplyUserAgentMode();
}

void THostedWB::SetUserAgentMode(TUserAgentMode value) {
    if (value == FUserAgentMode) return;
    FUserAgentMode = value;
    ApplyUserAgentMode();
}

void THostedWB::ApplyUserAgentMode() {
    switch (FUserAgentMode) {
    case uaDefault:
        RemoveUserAgentToken();
        break;
    case uaInternal:
        if (FUserAgent != FUserAgentInt) {
            RemoveUserAgentToken();
            FUserAgentInt = FUserAgent;
            NotifyAmbientChange(DISPID_AMBIENT_USERAGENT);
        }
        break;
    case uaRegistry:
        // The bare text never equals the decorated token, so each application writes the token
        // afresh.
        if (FUserAgent != FUserAgentReg) {
            RemoveUserAgentToken();
            FUserAgentReg = std::wstring(kRegistryTokenHead) + FUserAgent + L")";
            if (!Designing()) WriteUserAgentToken();
        }
        break;
    }
}

void THostedWB::WriteUserAgentToken() noexcept {
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.OpenKey(kPostPlatformKey, true)) return;
        reg.WriteString(FUserAgentReg, L"");
        FUserAgentRegSet = true;
    } catch (...) {
        // A key or value the registry refuses leaves the browser's own user agent in force; the
        // setters never raise.
    }
}

void THostedWB::RemoveUserAgentToken() noexcept {
    if (FUserAgentReg.empty() || !FUserAgentRegSet) return;
    if (!Designing()) {
        try {
            TRegistry reg(HKEY_CURRENT_USER);
            if (reg.OpenKey(kPostPlatformKey, false)) (void)reg.DeleteValue(FUserAgentReg);
        } catch (...) {
            // A token that cannot be taken out stays behind; the key's other values are never
            // touched.
        }
    }
    FUserAgentReg.clear();
    FUserAgentRegSet = false;
}

HRESULT THostedWB::SupplyUserAgent(std::wstring& agent) {
    if (FUserAgentMode == uaInternal && !FUserAgent.empty()) {
        agent = FUserAgent;
        return S_OK;
    }
    agent.clear();
    return S_FALSE;
}

// --- HTML code ----------------------------------------------------------------------------------

void THostedWB::SetHTMLCode(const std::vector<std::wstring>& value) {
    FHTMLCode = value;
    if (FHTMLCodeLoaded) ApplyHTMLCode();
}

void THostedWB::ApplyHTMLCode() {
    if (Designing()) return;
    if (FHTMLCode.size() == 1 && IsAddressLine(FHTMLCode.front())) {
        (void)Go(FHTMLCode.front(), 0);
        return;
    }
    bool handled = false;
    if (OnHTMLCodeChange) OnHTMLCodeChange(this, FHTMLCode, handled);
    if (!handled && !FHTMLCode.empty()) (void)LoadFromStrings(FHTMLCode);
}

// --- navigation and loading ---------------------------------------------------------------------

bool THostedWB::Go(const std::wstring& Url, DWORD TimeOut) {
    try {
        if (DirectoryExists(Url)) return NavigateWait(L"file:///" + Url, 0);
        if (text::Trim(Url).empty()) return true;
        IWebBrowser2* browser = Browser();
        if (!browser) return false;
        OleVariant url(Url);
        OleVariant empty;
        OleCheck(browser->Navigate2(url.ptr(), empty.ptr(), empty.ptr(), empty.ptr(), empty.ptr()));
        return TimeOut == 0 || Wait(TimeOut);
    } catch (const EOleError&) {
        // Navigation never raises: a navigation the control refuses did not happen.
        return false;
    }
}

void THostedWB::AssignEmptyDocument(bool bWait) {
    Navigate(L"about:blank");
    if (bWait) (void)Wait(0);
}

HRESULT THostedWB::LoadFromStrings(const std::vector<std::wstring>& AStrings) {
    return LoadFromStrings(AStrings, false);
}

HRESULT THostedWB::LoadFromStrings(const std::vector<std::wstring>& AStrings, bool AddHtmlTags) {
    try {
        std::wstring t = text::LinesText(AStrings);
        if (AddHtmlTags && !text::UpperCase(t).starts_with(L"<HTML>"))
            t = L"<html>\r\n<body>\r\n<body bgcolor=\"#ffffff\">\r\n" + t +
                L"</body>\r\n</html>\r\n";
        const std::vector<std::uint8_t> bytes = EncodeText(t, FEncoding);
        TMemoryStream stream;
        stream.Write(bytes.data(), bytes.size());
        return LoadFromStream(stream);
    } catch (...) {
        return S_FALSE;
    }
}

HRESULT THostedWB::LoadFromStream(TMemoryStream& AStream) {
    try {
        if (!Document()) AssignEmptyDocument(false);
        const auto persist = Document().as<IPersistStreamInit>();
        if (!persist) return S_FALSE;
        AStream.SetPosition(0);
        const auto adapter = MemoryStreamAdapter::Create(AStream);
        const HRESULT result = persist->Load(adapter.get());
        adapter->Detach();
        return result;
    } catch (const EOleSysError& e) {
        return e.ErrorCode();
    }
}

} // namespace tn
