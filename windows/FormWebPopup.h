// The announcement popup: a small borderless window that shows one web page in the bottom-right
// corner of the work area, records the announcement's id in lander.ini once its page is reached,
// and hides on a close click, a load error or its time-out.
#pragma once

#include "browser/component/HostedWB.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

#include <string>

namespace tn {

class TFormWebPopup : public TForm {
public:
    explicit TFormWebPopup(TComponent* owner);

    // Layout.
    TPanel* pnl1;
    TImage* imgBack;
    TImage* imgClose;
    THostedWB* embdwbComment;
    TTimer* tmrAutoClose;

    // Handlers bound by the layout.
    void FormCreate(TObject* Sender);
    void imgCloseClick(TObject* Sender);
    void tmrAutoCloseTimer(TObject* Sender);
    void embdwbCommentNavigateComplete2(TObject* ASender, IDispatch* pDisp, VARIANT& URL);
    void embdwbCommentNavigateError(TObject* ASender, IDispatch* pDisp, VARIANT& URL,
                                    VARIANT& Frame, VARIANT& StatusCode, bool& Cancel);

    // Arms the auto-close timer (0: none; below 0: the interval it has), opens the page and
    // shows the window just outside the work area's corner. Width and height are not applied.
    void InitPopupParam(const std::wstring& url, int id, int height, int width, int delay);
    // Places the window at the work area's bottom-right corner, outside it (show) or inside it
    // and topmost, then makes it visible, all without activating it. False on any failure.
    bool PlacePopup(bool show) noexcept;

    // Drops the notice of a hide while the window is visible, so that no default handling (an
    // owner's minimizing or closing among them) takes the popup away; its own hides act without it.
    void WndProc(TMessage& m) override;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TFormWebPopup"; }
    void CreateParams(TCreateParams& params) override;

private:
    int FPopupId = 0;
    std::wstring FIniFileName;
    bool FIsShowedWindow = false;
};

} // namespace tn
