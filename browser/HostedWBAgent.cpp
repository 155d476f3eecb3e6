// The browser component's user agent, HTML code, document loading, GetHostInfo of its own
// UI-handler entry and its protocol object.
#include "browser/HostedWB.h"

namespace tn {

HRESULT THostedWB::GetHostInfo(DOCHOSTUIINFO* pInfo) {
    return TCustomHostedWB::GetHostInfo(pInfo);
}

HRESULT THostedWB::Start(LPCWSTR, IInternetProtocolSink*, IInternetBindInfo*, DWORD, HANDLE_PTR) {
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

void THostedWB::SetUserAgent(const std::wstring& value) {
    FUserAgent = value;
}
void THostedWB::SetUserAgentMode(TUserAgentMode value) {
    FUserAgentMode = value;
}
void THostedWB::ApplyUserAgentMode() {}
void THostedWB::RemoveUserAgentToken() noexcept {}
HRESULT THostedWB::SupplyUserAgent(std::wstring& agent) {
    agent.clear();
    return S_FALSE;
}
void THostedWB::SetHTMLCode(const std::vector<std::wstring>& value) {
    FHTMLCode = value;
}
void THostedWB::ApplyHTMLCode() {}

bool THostedWB::Go(const std::wstring&, DWORD) {
    return true;
}
void THostedWB::AssignEmptyDocument(bool) {}
HRESULT THostedWB::LoadFromStrings(const std::vector<std::wstring>& AStrings) {
    return LoadFromStrings(AStrings, false);
}
HRESULT THostedWB::LoadFromStrings(const std::vector<std::wstring>&, bool) {
    return S_FALSE;
}
HRESULT THostedWB::LoadFromStream(TMemoryStream&) {
    return E_NOTIMPL;
}

} // namespace tn
