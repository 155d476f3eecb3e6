// The owner hook with the activated-dialog check, the child-window subclasses and the
// context-menu filter of the browser component.
#include "browser/component/HostedWB.h"

#include "browser/component/BrowserModule.h"
#include "browser/host/HwbUtils.h"
#include "classlib/Application.h"
#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/SystemEntries.h"
#include "classlib/Text.h"

#include <commctrl.h>

#include <cstdio>
#include <iterator>
#include <memory>

namespace tn {

namespace {

// The subclass identifiers of the three child windows.
constexpr UINT_PTR kViewSubclass = 1;
constexpr UINT_PTR kServerSubclass = 2;
constexpr UINT_PTR kListViewSubclass = 3;

// The extended style of the browser's error dialogs.
constexpr DWORD kErrorDialogExStyle = 0x410101;

// Page-setup dialog items.
constexpr int kPortraitButton = 1056;
constexpr int kLandscapeButton = 1057;
constexpr int kHeaderEdit = 8147;
constexpr int kFooterEdit = 8149;
constexpr int kMarginEdits[] = {1155, 1156, 1157, 1158}; // left, top, right, bottom

constexpr double kMillimetresPerInch = 25.4;

// "Microsoft " dropped, then "Internet Explorer" replaced; the first of each, case-sensitive.
std::wstring CleanedCaption(std::wstring caption, const std::wstring& newCaption) {
    if (const auto at = caption.find(L"Microsoft "); at != std::wstring::npos)
        caption.erase(at, 10);
    if (const auto at = caption.find(L"Internet Explorer"); at != std::wstring::npos)
        caption.replace(at, 17, newCaption);
    return caption;
}

// A margin in the dialog's unit: general format, up to 15 significant digits, the locale's
// decimal separator.
std::wstring MarginText(double value, TMeasure measure, TMeasure runtime) {
    if (measure != runtime)
        value = runtime != mMetric ? value / kMillimetresPerInch : value * kMillimetresPerInch;
    char digits[40] = {};
    std::snprintf(digits, sizeof digits, "%.15G", value);
    wchar_t separator[8] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator,
                         static_cast<int>(std::size(separator))) == 0)
        separator[0] = L'.';
    std::wstring text;
    for (const char* c = digits; *c; ++c) {
        if (*c == '.')
            text += separator;
        else
            text += static_cast<wchar_t>(*c);
    }
    return text;
}

bool IsNtAboveVersion4() noexcept {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
    return ::GetVersionExW(&v) && v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion > 4;
}

} // namespace

// --- owner hook ---------------------------------------------------------------------------------

// The browser while it lives, then a plain way on to the procedure it found: a hook set on the
// owner after it keeps calling it, and must neither be dropped nor reach a freed browser.
struct THostedWB::TOwnerLink {
    THostedWB* Browser; // null once the browser left the chain
    TWndMethod Next;
    bool OwnerGone = false; // the browser left with its owner, which is freed
    // What the owner calls: a type of its own, so that the browser can tell its link.
    struct Proc {
        std::shared_ptr<TOwnerLink> Link;
        void operator()(TMessage& m) const {
            // Copies: the browser's share pumps messages, which may free it and unlink it, and
            // free the owner with it: the owner's own procedure is then not reached.
            const std::shared_ptr<TOwnerLink> link = Link;
            const TWndMethod next = link->Next;
            if (THostedWB* browser = link->Browser) browser->OwnerWindowProc(m);
            if (next && !link->OwnerGone) next(m);
        }
    };
};

void THostedWB::InstallOwnerHook() {
    TBrowserModuleFlags& flags = BrowserModuleFlags();
    if (flags.OwnerHooked || Designing()) return;
    auto* owner = dynamic_cast<TWinControl*>(Owner());
    if (!owner || !owner->HandleAllocated()) return;
    FParentForm = owner;
    FOwnerLink = std::make_shared<TOwnerLink>(TOwnerLink{this, owner->WindowProc()});
    owner->SetWindowProc(TOwnerLink::Proc{FOwnerLink});
    FOwnerHooked = true;
    flags.OwnerHooked = true;
}

void THostedWB::RemoveOwnerHook() noexcept {
    if (!FOwnerHooked) return;
    // Put back even while the owner has no window: one it makes later must not reach this
    // instance. The owner frees this instance before itself, so it is still there. Only while
    // the owner calls this link first: else a later hook holds it, and it stays as a way on.
    bool first = false;
    try {
        const TWndMethod current = FParentForm ? FParentForm->WindowProc() : nullptr;
        const auto* proc = current.target<TOwnerLink::Proc>();
        first = proc && proc->Link == FOwnerLink;
    } catch (...) {
        first = false; // no memory to look: the link stays, harmlessly
    }
    FOwnerLink->Browser = nullptr;
    FOwnerLink->OwnerGone = FParentForm && FParentForm->Destroying();
    if (first) FParentForm->SetWindowProc(std::move(FOwnerLink->Next));
    FOwnerLink.reset();
    FParentForm = nullptr;
    FOwnerHooked = false;
    BrowserModuleFlags().OwnerHooked = false;
}

void THostedWB::OwnerWindowProc(TMessage& m) {
    if (m.Msg == WM_ACTIVATE && LOWORD(m.WParam) == WA_INACTIVE)
        CheckActivatedDialog(reinterpret_cast<HWND>(m.LParam));
}

void THostedWB::CheckActivatedDialog(HWND h) noexcept {
    try {
        if (!h || !::IsWindow(h)) return;
        const TLifeToken life = Life();
        // Unsigned: the comparison below is with the style as the system keeps it.
        const auto exStyle = static_cast<DWORD>(::GetWindowLongW(h, GWL_EXSTYLE));
        const std::wstring cls = GetWindowClassName(h);
        std::wstring caption = GetWindowTextString(h);

        bool treated = cls == L"Internet Explorer_TridentDlgFrame";
        if (!treated && cls == L"#32770") {
            // Not the program's own boxes: those belong to its application window or controls,
            // or the program shows them itself, owned or not.
            const HWND parent = ::GetParent(h);
            treated = GetWindowClassName(parent) != L"TApplication" && !FindControl(parent) &&
                      !IsProgramMessageBox(h);
        }
        if (!treated) return;

        if (OnShowDialog) {
            OnShowDialog(this, h, static_cast<int>(exStyle), caption, FDialogBoxes.NewCaption,
                         FDialogBoxes.DisableAll);
            if (!life.Alive()) return;
        }
        if (FDialogBoxes.DisableAll) {
            ::SendMessageW(h, WM_CLOSE, 0, 0);
            if (!life.Alive()) return;
        }
        if (FDialogBoxes.ReplaceIcon)
            ::SendMessageW(h, WM_SETICON, ICON_SMALL,
                           reinterpret_cast<LPARAM>(tn::Application->Icon()));
        if (FDialogBoxes.ReplaceCaption) {
            caption = CleanedCaption(std::move(caption), FDialogBoxes.NewCaption);
            ::SetWindowTextW(h, caption.c_str());
        }
        if (FDisableErrors.ScriptErrorsSuppressed) {
            const std::wstring upper = text::UpperCase(caption);
            if (upper.find(L"SCRIPT") != std::wstring::npos) {
                ::PostMessageW(h, WM_LBUTTONDOWN, 0, 0);
                ::PostMessageW(h, WM_LBUTTONUP, 0, 0);
                ::SendMessageW(h, WM_CLOSE, 0, 0);
                tn::Application->ProcessMessages();
                return;
            }
            if (upper.find(L"ERROR") != std::wstring::npos || exStyle == kErrorDialogExStyle) {
                ::DestroyWindow(h);
                return;
            }
        }
        TBrowserModuleFlags& flags = BrowserModuleFlags();
        if (FPrintOptions.Enabled && flags.FillNextPrintDialog) {
            flags.FillNextPrintDialog = false;
            FillPrintDialog(h);
        }
    } catch (...) {
        // The check never raises: a dialog it could not treat stays as the browser made it.
    }
}

void THostedWB::FillPrintDialog(HWND h) {
    const TPrintOptions& options = FPrintOptions;
    ::SendDlgItemMessageW(h, options.Orientation == poPortrait ? kPortraitButton : kLandscapeButton,
                          BM_CLICK, 0, 0);
    ::SetDlgItemTextW(h, kHeaderEdit, options.Header.c_str());
    ::SetDlgItemTextW(h, kFooterEdit, options.Footer.c_str());
    const double margins[] = {options.Margins.Left, options.Margins.Top, options.Margins.Right,
                              options.Margins.Bottom};
    for (std::size_t i = 0; i < std::size(margins); ++i)
        ::SetDlgItemTextW(h, kMarginEdits[i],
                          MarginText(margins[i], options.Measure(), FRuntimeMeasure).c_str());
    if (IsNtAboveVersion4()) {
        // Posted: the dialog takes the click once the activation that brought it here is done.
        if (const HWND button = ::FindWindowExW(h, nullptr, L"Button", nullptr))
            ::PostMessageW(button, BM_CLICK, 0, 0);
    } else {
        ::SendDlgItemMessageW(h, IDOK, BM_CLICK, 0, 0);
    }
}

// --- child windows ------------------------------------------------------------------------------

void THostedWB::HookChildWindowsIfNeeded() {
    if (!FShellDocObjViewHandle || !FSysListViewHandle) HookChildWindows();
}

void THostedWB::HookChildWindows() {
    if (Designing() || tn::Application->Terminated()) return;
    if (!FSysListViewHandle) {
        if (const HWND list = GetIEWin(L"SysListView32")) {
            if (SubclassChild(list, kListViewSubclass)) FSysListViewHandle = list;
            return;
        }
    }
    if (FShellDocObjViewHandle || FInetExplorerServerHandle) return;
    // The view is not the first child here: the control's own window ("Shell Embedding") lies
    // between it and this window.
    const HWND view = GetIEWin(L"Shell DocObject View");
    if (!view) return;
    if (SubclassChild(view, kViewSubclass)) FShellDocObjViewHandle = view;
    if (const HWND server = ::GetWindow(view, GW_CHILD))
        if (SubclassChild(server, kServerSubclass)) FInetExplorerServerHandle = server;
}

bool THostedWB::SubclassChild(HWND wnd, UINT_PTR id) noexcept {
    return ::SetWindowSubclass(wnd, &THostedWB::ChildSubclassProc, id,
                               reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

void THostedWB::UnhookChildWindows() noexcept {
    const std::pair<HWND*, UINT_PTR> hooked[] = {{&FShellDocObjViewHandle, kViewSubclass},
                                                 {&FInetExplorerServerHandle, kServerSubclass},
                                                 {&FSysListViewHandle, kListViewSubclass}};
    for (const auto& [handle, id] : hooked) {
        // Only this instance's own subclass: the handle may by now name another window.
        DWORD_PTR owner = 0;
        if (*handle && BoundGetWindowSubclass(*handle, &THostedWB::ChildSubclassProc, id, &owner) &&
            owner == reinterpret_cast<DWORD_PTR>(this))
            ::RemoveWindowSubclass(*handle, &THostedWB::ChildSubclassProc, id);
        *handle = nullptr;
    }
}

LRESULT CALLBACK THostedWB::ChildSubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR refData) noexcept {
    return reinterpret_cast<THostedWB*>(refData)->ChildWindowProc(wnd, msg, wParam, lParam);
}

LRESULT THostedWB::ChildWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    // The window's own procedure may free this instance; afterwards only the token is read.
    const TLifeToken life = Life();
    const LRESULT result = ::DefSubclassProc(wnd, msg, wParam, lParam);
    if (!life.Alive()) return result;
    if (msg == WM_DESTROY) {
        UnhookChildWindows();
    } else if (msg == WM_SETFOCUS) {
        try {
            ActivateBrowser(nullptr);
        } catch (...) {
            // A foreign window's procedure: the focus stays where the system put it.
        }
    }
    return result;
}

void THostedWB::ActivateBrowser(TForm* form) {
    // Focusing the document lands here again through the child windows' WM_SETFOCUS.
    if (FActivating) return;
    // Focusing the document may free this instance: the flag is then left alone.
    const TScopedLivingFlag activating(FActivating, Life());
    if (!form) form = GetParentForm(this);
    if (!form || !CanFocus()) return;
    // A focus already inside (a click into the page) stays where it is.
    form->SetActiveControl(this);
    if (activating.Alive()) SetFocusToDoc();
}

// --- context-menu filter ------------------------------------------------------------------------

bool THostedWB::IsMenuFilterActive() {
    return TCustomHostedWB::IsMenuFilterActive() || !DisabledPopupMenuItems.Empty();
}

void THostedWB::FilterPopupMenu(DWORD ID, HMENU Menu, IDispatch* Context) {
    TCustomHostedWB::FilterPopupMenu(ID, Menu, Context);
    for (unsigned i = 0; i < std::size(kMenuCommandTable); ++i)
        if (DisabledPopupMenuItems.Contains(static_cast<TIEPopupMenuItem>(i)))
            ::DeleteMenu(Menu, kMenuCommandTable[i], MF_BYCOMMAND);
}

} // namespace tn
