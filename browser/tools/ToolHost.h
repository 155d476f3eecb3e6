// What the browser tool routines ask of the component they work for: its document, automation
// object and control, where it is, and its own waiting, navigation and saving. The component is
// one such host; a test hands the tools another.
#pragma once

#include "browser/host/HwbUtils.h"
#include "classlib/ComPtr.h"

#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>

#include <string>
#include <utility>

namespace tn {

class TBrowserToolHost {
public:
    // The control's document (dispatch property 203); empty while there is none.
    [[nodiscard]] virtual ComPtr<IDispatch> Document() const = 0;
    // The control's automation object (dispatch property 200).
    [[nodiscard]] virtual ComPtr<IDispatch> Application() const = 0;
    // The control's own interface (borrowed); null without a control.
    [[nodiscard]] virtual IWebBrowser2* Browser() const = 0;
    [[nodiscard]] virtual std::wstring LocationURL() const = 0;  // 211
    [[nodiscard]] virtual std::wstring LocationName() const = 0; // 210
    // The host's own window; null while it has none.
    [[nodiscard]] virtual HWND HostWindow() const = 0;
    [[nodiscard]] virtual int HostWidth() const = 0;
    [[nodiscard]] virtual int HostHeight() const = 0;
    // Waits for the page (0: no limit); false when stopped, cancelled or timed out, and when the
    // wait freed the host (a message it pumped did).
    virtual bool Wait(DWORD TimeOut) = 0;
    // A token of the host's life, ended when its destruction starts.
    [[nodiscard]] virtual TLifeToken Life() const noexcept = 0;
    // Runs what pumps messages (a wait, a dialog, a message box): false when a message it pumped
    // freed the host, which must then be left untouched, its control and owner included.
    template <typename Pumping> [[nodiscard]] bool LivesAfter(Pumping&& pumping) {
        const TLifeToken life = Life();
        std::forward<Pumping>(pumping)();
        return life.Alive();
    }
    // The answer of what pumps messages; neutral when a message it pumped freed the host.
    template <typename Result, typename Pumping>
    [[nodiscard]] Result AnswerIfLives(Result neutral, Pumping&& pumping) {
        Result answer = neutral;
        return LivesAfter([&] { answer = std::forward<Pumping>(pumping)(); }) ? answer : neutral;
    }
    // The wait without time-out, for a routine that goes on with the host whatever the wait
    // answered: false only when the wait freed the host.
    [[nodiscard]] bool LivesAfterWait() {
        return LivesAfter([this] { (void)Wait(0); });
    }
    // Navigates, waiting for the page when a time-out is given; false when refused.
    virtual bool Go(const std::wstring& Url, DWORD TimeOut) = 0;
    // Saves the document to the file: S_OK, S_FALSE without a document that saves to files, else
    // the failing code. Never raises.
    virtual HRESULT SaveToFile(const std::wstring& FileName) = 0;

    // A document is there and it is an HTML document.
    [[nodiscard]] bool DocumentLoaded() const {
        ComPtr<IHTMLDocument2> doc;
        return DocumentLoaded(doc);
    }
    // The same, handing out the document (empty when false).
    bool DocumentLoaded(ComPtr<IHTMLDocument2>& Doc2) const {
        Doc2.reset();
        Doc2 = Document().as<IHTMLDocument2>();
        return static_cast<bool>(Doc2);
    }

protected:
    TBrowserToolHost() = default;
    TBrowserToolHost(const TBrowserToolHost&) = default;
    TBrowserToolHost& operator=(const TBrowserToolHost&) = default;
    ~TBrowserToolHost() = default;
};

} // namespace tn
