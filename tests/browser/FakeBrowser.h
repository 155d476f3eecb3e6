// A double of the web-browser control's automation object: its navigations, refreshes and
// commands are recorded; its document, location, busy and ready states are bag members, under the
// control's own dispatch identifiers (Application 200, Document 203, LocationName 210,
// LocationURL 211, Busy 212, ReadyState -525), so late-bound reads and the property numbers give
// what the early-bound getters give. It paints as a view object.
#pragma once

#include "tests/browser/FakeDocument.h"

#include <windows.h>
#include <exdisp.h>

#include <string>
#include <vector>

namespace tn::test {

class FakeBrowser : public FakeDispatchObject<IWebBrowser2, IViewObject> {
public:
    FakeBrowser();
    // The document (borrowed) the control hands out.
    void SetDocument(IDispatch* document);

    struct Navigation {
        std::wstring method;                              // "Navigate" or "Navigate2"
        OleVariant url, flags, target, postData, headers; // VT_ERROR when not given
    };
    std::vector<Navigation> navigations;
    HRESULT navigateResult = S_OK;
    int refreshes = 0;                     // Refresh
    std::vector<OleVariant> refreshLevels; // Refresh2
    int stops = 0;
    CommandRecorder commands; // ExecWB, recorded without a group

    HRESULT STDMETHODCALLTYPE Navigate(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                       VARIANT* PostData, VARIANT* Headers) override;
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                        VARIANT* PostData, VARIANT* Headers) override;
    HRESULT STDMETHODCALLTYPE Refresh() override;
    HRESULT STDMETHODCALLTYPE Refresh2(VARIANT* Level) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE get_Application(IDispatch** ppDisp) override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** ppDisp) override;
    HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* LocationName) override;
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* LocationURL) override;
    HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* pBool) override;
    HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* plReadyState) override;
    HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT* pvaIn,
                                     VARIANT* pvaOut) override {
        return commands.Exec(nullptr, static_cast<DWORD>(cmdID), static_cast<DWORD>(cmdexecopt),
                             pvaIn, pvaOut);
    }

protected:
    [[nodiscard]] void* MoreInterfaces(REFIID riid) noexcept override;
};

} // namespace tn::test
