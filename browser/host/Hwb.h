// The typed wrapper of the system web-browser control: navigation, the dispatch properties the
// launcher reads, and the browser events raised as typed callbacks.
#pragma once

#include "classlib/OleControl.h"

#include <windows.h>
#include <exdisp.h>

#include <functional>
#include <string>

namespace tn {

class THWB : public TOleControl {
public:
    using TBeforeNavigate2Event = std::function<void(
        TObject* ASender, IDispatch* pDisp, VARIANT& URL, VARIANT& Flags, VARIANT& TargetFrameName,
        VARIANT& PostData, VARIANT& Headers, bool& Cancel)>;
    using TDocumentCompleteEvent =
        std::function<void(TObject* ASender, IDispatch* pDisp, VARIANT& URL)>;
    using TNavigateComplete2Event = TDocumentCompleteEvent;
    using TNavigateErrorEvent =
        std::function<void(TObject* ASender, IDispatch* pDisp, VARIANT& URL, VARIANT& Frame,
                           VARIANT& StatusCode, bool& Cancel)>;
    using TTitleChangeEvent = std::function<void(TObject* ASender, const std::wstring& Text)>;
    using TNewWindow3Event =
        std::function<void(TObject* ASender, ComPtr<IDispatch>& ppDisp, bool& Cancel, DWORD dwFlags,
                           const std::wstring& bstrUrlContext, const std::wstring& bstrUrl)>;

    explicit THWB(TComponent* owner);

    // The control's IWebBrowser2; null before construction ends and after teardown.
    [[nodiscard]] IWebBrowser2* DefaultInterface() const noexcept { return FIntf.get(); }

    // A failing call raises EOleSysError.
    void Navigate(const std::wstring& URL);
    void Refresh();

    // Virtual: the seam where tests put an automation object, a document, a location or a busy
    // state that this platform's control never has.
    [[nodiscard]] virtual ComPtr<IDispatch> Application() const;
    [[nodiscard]] virtual ComPtr<IDispatch> Document() const;
    [[nodiscard]] virtual std::wstring LocationURL() const;
    [[nodiscard]] virtual std::wstring LocationName() const;
    [[nodiscard]] virtual bool Busy() const;
    [[nodiscard]] bool Silent() const;
    void SetSilent(bool value);
    [[nodiscard]] bool RegisterAsDropTarget() const;
    void SetRegisterAsDropTarget(bool value);

    TBeforeNavigate2Event OnBeforeNavigate2;
    TDocumentCompleteEvent OnDocumentComplete;
    TNavigateComplete2Event OnNavigateComplete2;
    TNavigateErrorEvent OnNavigateError;
    TTitleChangeEvent OnTitleChange;
    TNewWindow3Event OnNewWindow3;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"THWB"; }
    void AfterConstruction() override;
    void BeforeDestruction() noexcept override;
    HRESULT InvokeEvent(DISPID dispId, DISPPARAMS& params) override;

private:
    ComPtr<IWebBrowser2> FIntf;
};

} // namespace tn
