// The game-page frame: the browser showing the game page inside the game window, and the client's
// side of the page protocol (server id and the page's fixed function after each document, refused
// "client_command" windows, the page title in its window's title bar).
#pragma once

#include "browser/component/HostedWB.h"
#include "classlib/Forms.h"

#include <functional>
#include <string>

namespace tn {

// The page function called with 0 and 0 after each completed document.
inline constexpr wchar_t kPageLoadedFunction[] = L"A4F07C19E2B35D86C0E1F4A97B2D";

class TFrameWeb : public TFrame {
public:
    // Makes the frame's browser, owned by the frame; tests put a double in its place.
    using TBrowserMaker = std::function<THostedWB*(TFrameWeb& frame)>;

    explicit TFrameWeb(TComponent* owner, const TBrowserMaker& makeBrowser = {});

    // Layout.
    THostedWB* hostedwb;

    // Handlers bound by the layout.
    void hostedwbDocumentComplete(TObject* ASender, IDispatch* pDisp, VARIANT& URL);
    void hostedwbNewWindow3(TObject* ASender, ComPtr<IDispatch>& ppDisp, bool& Cancel,
                            DWORD dwFlags, const std::wstring& bstrUrlContext,
                            const std::wstring& bstrUrl);
    void hostedwbTitleChange(TObject* ASender, const std::wstring& Text);

    // CallPageScript on this frame's browser, its document read through the component: the page
    // function receives (second, first). False when there is nothing to call.
    bool PageScript(int first, int second, const std::wstring& name) noexcept;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TFrameWeb"; }
};

} // namespace tn
