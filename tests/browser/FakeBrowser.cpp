#include "tests/browser/FakeBrowser.h"

namespace tn::test {

namespace {

// The argument as given, or the automation form of an argument left out.
OleVariant Given(const VARIANT* v) {
    if (v) return OleVariant(*v);
    OleVariant missing;
    VARIANT* m = missing.put();
    m->vt = VT_ERROR;
    m->scode = DISP_E_PARAMNOTFOUND;
    return missing;
}

} // namespace

FakeBrowser::FakeBrowser() {
    bag.SetObject(L"Application", Dispatch());
    bag.SetId(L"Application", 200);
    bag.DeclareObjects({L"Document"});
    bag.SetId(L"Document", 203);
    bag.Set(L"LocationName", L"");
    bag.SetId(L"LocationName", 210);
    bag.Set(L"LocationURL", L"");
    bag.SetId(L"LocationURL", 211);
    bag.Set(L"Busy", false);
    bag.SetId(L"Busy", 212);
    bag.Set(L"ReadyState", static_cast<LONG>(READYSTATE_COMPLETE));
    bag.SetId(L"ReadyState", DISPID_READYSTATE);
}

void FakeBrowser::SetDocument(IDispatch* document) {
    bag.SetObject(L"Document", document);
}

void* FakeBrowser::MoreInterfaces(REFIID riid) noexcept {
    if (riid == IID_IWebBrowserApp || riid == IID_IWebBrowser)
        return static_cast<IWebBrowser2*>(this);
    return FakeDispatchObject::MoreInterfaces(riid);
}

HRESULT FakeBrowser::Navigate(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                              VARIANT* Headers) {
    const OleVariant url(URL ? std::wstring_view(URL, ::SysStringLen(URL)) : std::wstring_view());
    navigations.push_back(
        {L"Navigate", url, Given(Flags), Given(TargetFrameName), Given(PostData), Given(Headers)});
    return navigateResult;
}

HRESULT FakeBrowser::Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                               VARIANT* PostData, VARIANT* Headers) {
    navigations.push_back({L"Navigate2", Given(URL), Given(Flags), Given(TargetFrameName),
                           Given(PostData), Given(Headers)});
    return navigateResult;
}

HRESULT FakeBrowser::Refresh() {
    ++refreshes;
    return S_OK;
}

HRESULT FakeBrowser::Refresh2(VARIANT* Level) {
    if (const HRESULT hr = bag.Get(L"Refresh2", nullptr); FAILED(hr)) return hr;
    refreshLevels.push_back(Given(Level));
    return S_OK;
}

HRESULT FakeBrowser::Stop() {
    ++stops;
    return S_OK;
}

HRESULT FakeBrowser::get_Application(IDispatch** ppDisp) {
    return bag.GetDispatch(L"Application", ppDisp);
}
HRESULT FakeBrowser::get_Document(IDispatch** ppDisp) {
    return bag.GetDispatch(L"Document", ppDisp);
}
HRESULT FakeBrowser::get_LocationName(BSTR* LocationName) {
    return bag.GetText(L"LocationName", LocationName);
}
HRESULT FakeBrowser::get_LocationURL(BSTR* LocationURL) {
    return bag.GetText(L"LocationURL", LocationURL);
}
HRESULT FakeBrowser::get_Busy(VARIANT_BOOL* pBool) {
    return bag.GetBool(L"Busy", pBool);
}
HRESULT FakeBrowser::get_ReadyState(READYSTATE* plReadyState) {
    if (!plReadyState) return E_POINTER;
    LONG state = 0;
    const HRESULT hr = bag.GetLong(L"ReadyState", &state);
    *plReadyState = static_cast<READYSTATE>(state);
    return hr;
}

} // namespace tn::test
