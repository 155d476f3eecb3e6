#include "windows/FormWebPopup.h"

#include "classlib/IniFile.h"
#include "services/PublicUnit.h"
#include "windows/Layouts.h"

namespace tn {
namespace {

constexpr int kPopupWidth = 258;
constexpr int kPopupHeight = 160;
constexpr UINT kAutoCloseInterval = 120000;

constexpr wchar_t kHistorySection[] = L"History";
constexpr wchar_t kPopupListKey[] = L"PopupList";
constexpr std::size_t kPopupListLimit = 250;
constexpr std::size_t kPopupListCut = 100;

// SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW: shown outside the corner.
constexpr UINT kPlaceOutsideFlags = 0x55;
// SWP_NOSIZE | SWP_NOREDRAW | SWP_NOACTIVATE: moved into the corner.
constexpr UINT kPlaceInsideFlags = 0x19;

// The oldest ids go first; the cut lands on an id boundary by dropping the id it cut into.
std::wstring AppendPopupId(std::wstring list, int id) {
    list += std::to_wstring(id) + L",";
    if (list.size() > kPopupListLimit) {
        list.erase(0, kPopupListCut);
        if (const auto comma = list.find(L','); comma != std::wstring::npos)
            list.erase(0, comma + 1);
    }
    return list;
}

} // namespace

TFormWebPopup::TFormWebPopup(TComponent* owner) : TForm(owner) {
    SetName(L"FormWebPopup");
    SetBorderStyle(TBorderStyle::bsNone);
    SetCaption(L"Varkel公告");
    SetBounds(Left(), Top(), kPopupWidth, kPopupHeight);

    pnl1 = TComponent::Create<TPanel>(*this);
    pnl1->SetName(L"pnl1");
    pnl1->SetParent(this);
    pnl1->SetAlign(TAlign::alClient);
    pnl1->SetBevelOuter(TBevelCut::bvNone);

    imgBack = TComponent::Create<TImage>(*this);
    imgBack->SetName(L"imgBack");
    imgBack->SetParent(pnl1);
    imgBack->SetAlign(TAlign::alClient);
    imgBack->SetEnabled(false);
    imgBack->SetTransparent(true);
    imgBack->Picture().LoadFromResource(L"POPUP_BACK");

    imgClose = TComponent::Create<TImage>(*this);
    imgClose->SetName(L"imgClose");
    imgClose->SetParent(pnl1);
    imgClose->SetBounds(230, 3, 26, 25);
    imgClose->SetCursor(TCursor::crHandPoint);
    imgClose->OnClick = [this](TObject* s) { imgCloseClick(s); };

    embdwbComment = TComponent::Create<THostedWB>(*this);
    embdwbComment->SetName(L"embdwbComment");
    embdwbComment->SetParent(pnl1);
    embdwbComment->SetBounds(6, 26, 246, 128);
    // Script errors and the other dialogs of the page stay visible.
    embdwbComment->SetSilent(false);
    ApplyLayoutBrowserSettings(*embdwbComment, kPageDialogOptions);
    embdwbComment->OnNavigateComplete2 = [this](TObject* s, IDispatch* d, VARIANT& url) {
        embdwbCommentNavigateComplete2(s, d, url);
    };
    embdwbComment->OnNavigateError = [this](TObject* s, IDispatch* d, VARIANT& url, VARIANT& frame,
                                            VARIANT& code, bool& cancel) {
        embdwbCommentNavigateError(s, d, url, frame, code, cancel);
    };

    tmrAutoClose = TComponent::Create<TTimer>(*this);
    tmrAutoClose->SetName(L"tmrAutoClose");
    tmrAutoClose->SetEnabled(false);
    tmrAutoClose->SetOnTimer([this](TObject* s) { tmrAutoCloseTimer(s); });

    OnCreate = [this](TObject* s) { FormCreate(s); };
    // The browser's settings take effect once its window and the layout's values exist.
    HandleNeeded();
    embdwbComment->LoadSettings();
}

void TFormWebPopup::CreateParams(TCreateParams& params) {
    TForm::CreateParams(params);
    // Owned by the desktop, not by the application's windows: it stays up whatever they do.
    params.WndParent = ::GetDesktopWindow();
}

void TFormWebPopup::WndProc(TMessage& m) {
    if (m.Msg == WM_SHOWWINDOW && m.WParam == 0 && HandleAllocated() &&
        ::IsWindowVisible(HandleIfAllocated()))
        return;
    TForm::WndProc(m);
}

void TFormWebPopup::FormCreate(TObject*) {
    tmrAutoClose->SetInterval(kAutoCloseInterval);
    tmrAutoClose->SetEnabled(false);
    SetWidth(kPopupWidth);
    SetHeight(kPopupHeight);
    FIsShowedWindow = false;
    FIniFileName = GetIniPath(false);
    const HWND wnd = Handle();
    ::SetWindowLongW(wnd, GWL_EXSTYLE, ::GetWindowLongW(wnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
}

void TFormWebPopup::InitPopupParam(const std::wstring& url, int id, int, int, int delay) {
    tmrAutoClose->SetEnabled(false);
    if (delay > 0) tmrAutoClose->SetInterval(static_cast<UINT>(delay));
    if (delay != 0) tmrAutoClose->SetEnabled(true);
    FPopupId = id;
    embdwbComment->Navigate(url);
    (void)PlacePopup(true);
}

bool TFormWebPopup::PlacePopup(bool show) noexcept {
    try {
        RECT work{};
        if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return false;
        const HWND wnd = Handle();
        RECT r{};
        if (!::GetWindowRect(wnd, &r)) return false;
        const BOOL placed =
            show ? ::SetWindowPos(wnd, nullptr, work.right, work.bottom, 0, 0, kPlaceOutsideFlags)
                 : ::SetWindowPos(wnd, HWND_TOPMOST, work.right - (r.right - r.left),
                                  work.bottom - (r.bottom - r.top), 0, 0, kPlaceInsideFlags);
        if (!placed) return false;
        // Made visible the way it was placed, without taking the activation from anyone.
        ShowNoActivate();
        return true;
    } catch (...) {
        // A window that cannot be made is a placement that failed.
        return false;
    }
}

void TFormWebPopup::embdwbCommentNavigateComplete2(TObject*, IDispatch*, VARIANT&) {
    if (FIsShowedWindow) return;
    FIsShowedWindow = true;
    const std::wstring list =
        AppendPopupId(ReadIniValue260(FIniFileName, kHistorySection, kPopupListKey), FPopupId);
    // An unwritten history only lets this announcement show once more.
    (void)WriteIniValue(FIniFileName, kHistorySection, kPopupListKey, list);
    (void)PlacePopup(false);
}

void TFormWebPopup::embdwbCommentNavigateError(TObject*, IDispatch*, VARIANT&, VARIANT&, VARIANT&,
                                               bool&) {
    Close();
}

void TFormWebPopup::imgCloseClick(TObject*) {
    Close();
}

void TFormWebPopup::tmrAutoCloseTimer(TObject*) {
    Close();
}

} // namespace tn
