// The document host UI handler, the message and help display and the drop target.
#include "browser/host/HwbCore.h"

#include "browser/host/HwbUtils.h"
#include "classlib/Menus.h"

namespace tn {

namespace {

constexpr UINT kContextMenuResource = 24641;
constexpr UINT kEncodingItem = 2292;
constexpr DWORD kGetEncodingMenu = 27;

struct MenuResource {
    HMENU menu;
    ~MenuResource() {
        if (menu) ::DestroyMenu(menu);
    }
};

} // namespace

// --- IDocHostUIHandler2 -------------------------------------------------------------------------

HRESULT TCustomHostedWB::ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                         IDispatch* pdispReserved) {
    return ComBoundary(E_NOTIMPL, [&]() -> HRESULT {
        HRESULT result = E_NOTIMPL;
        if (OnShowContextMenu)
            OnShowContextMenu(this, dwID, ppt, pcmdtReserved, pdispReserved, result);
        if (result != E_NOTIMPL) return result;
        const bool suppressed = DisabledPopupMenus.Contains(rcmAll) ||
                                (dwID < rcmAll && DisabledPopupMenus.Contains(TIEPopupMenu(dwID)));
        if (suppressed) {
            if (TPopupMenu* menu = PopupMenu()) {
                POINT at{};
                ::GetCursorPos(&at);
                menu->PopupComponent = this;
                menu->Popup(at.x, at.y);
            }
            return S_OK;
        }
        if (IsMenuFilterActive())
            return ShowBuiltInContextMenu(dwID, ppt, pcmdtReserved, pdispReserved) ? S_OK : S_FALSE;
        return S_FALSE;
    });
}

bool TCustomHostedWB::ShowBuiltInContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                             IDispatch* pdispReserved) {
    const HMODULE resources = GetShdoclcModule();
    if (!resources || !pcmdtReserved || !ppt) return false;
    ComPtr<IOleCommandTarget> target;
    ComPtr<IOleWindow> window;
    if (FAILED(pcmdtReserved->QueryInterface(__uuidof(IOleCommandTarget), target.put_void())) ||
        FAILED(pcmdtReserved->QueryInterface(__uuidof(IOleWindow), window.put_void())))
        return false;
    HWND targetWnd = nullptr;
    if (FAILED(window->GetWindow(&targetWnd)) || !targetWnd) return false;

    const MenuResource resource{::LoadMenuW(resources, MAKEINTRESOURCEW(kContextMenuResource))};
    if (!resource.menu) return false;
    const HMENU sub = ::GetSubMenu(resource.menu, static_cast<int>(dwID));
    if (!sub) return false;

    // The encoding item opens the control's own encoding menu, which it hands out on request.
    bool encodingAttached = false;
    if (DefaultInterface()) {
        OleVariant in, out;
        if (SUCCEEDED(DefaultInterface()->ExecWB(static_cast<OLECMDID>(kGetEncodingMenu),
                                                 OLECMDEXECOPT_DODEFAULT, in.ptr(), out.ptr()))) {
            HMENU encoding = nullptr;
            const VARIANT& v = out.get();
            if (v.vt == VT_BYREF || v.vt == VT_INT_PTR || v.vt == VT_I4)
                encoding = static_cast<HMENU>(v.byref);
            if (encoding && ::IsMenu(encoding)) {
                MENUITEMINFOW item{};
                item.cbSize = sizeof item;
                item.fMask = MIIM_SUBMENU;
                item.hSubMenu = encoding;
                encodingAttached = ::SetMenuItemInfoW(sub, kEncodingItem, FALSE, &item) != FALSE;
            }
        }
    }
    FilterPopupMenu(dwID, sub, pdispReserved);
    const UINT flags =
        TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_HORPOSANIMATION | TPM_VERPOSANIMATION;
    const int cmd =
        static_cast<int>(::TrackPopupMenu(sub, flags, ppt->x, ppt->y, 0, targetWnd, nullptr));
    if (encodingAttached) {
        // The encoding menu is the control's: destroying the resource must not take it along.
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_SUBMENU;
        ::SetMenuItemInfoW(sub, kEncodingItem, FALSE, &item);
    }
    if (cmd) ::SendMessageW(targetWnd, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
    return true;
}

bool TCustomHostedWB::IsMenuFilterActive() {
    return static_cast<bool>(OnFilterPopupMenu);
}

void TCustomHostedWB::FilterPopupMenu(DWORD ID, HMENU Menu, IDispatch* Context) {
    if (OnFilterPopupMenu) OnFilterPopupMenu(this, ID, Menu, Context);
}

HRESULT TCustomHostedWB::GetHostInfo(DOCHOSTUIINFO* pInfo) {
    if (!pInfo) return E_POINTER;
    return ComBoundary(E_UNEXPECTED, [&] {
        *pInfo = DOCHOSTUIINFO{};
        pInfo->cbSize = sizeof(DOCHOSTUIINFO);
#ifndef _WIN64
        static_assert(sizeof(DOCHOSTUIINFO) == 20);
#endif
        pInfo->dwFlags = FUserInterfaceValue;
        pInfo->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        if (OnGetHostInfo) OnGetHostInfo(this, *pInfo);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                IOleInPlaceUIWindow* pDoc) {
    return ComBoundary(S_FALSE, [&] {
        HRESULT result = S_FALSE;
        if (OnShowUI) OnShowUI(this, dwID, pActiveObject, pCommandTarget, pFrame, pDoc, result);
        return result;
    });
}

HRESULT TCustomHostedWB::HideUI() {
    return ComBoundary(S_FALSE, [&] {
        HRESULT result = S_FALSE;
        if (OnHideUI) OnHideUI(this, result);
        return result;
    });
}

HRESULT TCustomHostedWB::UpdateUI() {
    return ComBoundary(S_FALSE, [&] {
        HRESULT result = S_FALSE;
        if (OnUpdateUI) OnUpdateUI(this, result);
        return result;
    });
}

HRESULT TCustomHostedWB::EnableModeless(BOOL fEnable) {
    return ComBoundary(S_OK, [&] {
        if (OnEnableModeless) OnEnableModeless(this, fEnable);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::OnDocWindowActivate(BOOL fActivate) {
    return ComBoundary(S_OK, [&] {
        if (OnOnDocWindowActivate) OnOnDocWindowActivate(this, fActivate);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::OnFrameWindowActivate(BOOL fActivate) {
    return ComBoundary(S_OK, [&] {
        if (OnOnFrameWindowActivate) OnOnFrameWindowActivate(this, fActivate);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                      BOOL fRameWindow) {
    return ComBoundary(S_OK, [&] {
        if (OnResizeBorder) OnResizeBorder(this, prcBorder, pUIWindow, fRameWindow);
        return S_OK;
    });
}

bool TCustomHostedWB::IsCtrlShortcutMasked(const MSG& Msg) {
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    if (DisableCtrlShortcuts.empty() || Msg.message != WM_KEYDOWN || !ctrl || shift) return false;
    // The virtual-key code is taken as a character: letters match in upper case only.
    const auto ch = static_cast<wchar_t>(Msg.wParam & 0xFFFF);
    if (CharPos(ch, DisableCtrlShortcuts) == 0) return false;
    if (OnMaskedCtrlChar) OnMaskedCtrlChar(this, ch);
    return true;
}

HRESULT TCustomHostedWB::TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup,
                                              DWORD nCmdID) {
    if (!lpMsg) return S_FALSE;
    return ComBoundary(S_FALSE, [&] {
        bool done = IsCtrlShortcutMasked(*lpMsg);
        if (!done && OnTranslateAccelerator)
            OnTranslateAccelerator(this, lpMsg, pguidCmdGroup, nCmdID, done);
        return done ? S_OK : S_FALSE;
    });
}

HRESULT TCustomHostedWB::GetKeyPath(bool overriding, LPOLESTR* pchKey) const noexcept {
    if (!pchKey) return E_POINTER;
    *pchKey = nullptr;
    if (OptionKeyPath.empty() || OverrideOptionKeyPath != overriding) return S_FALSE;
    *pchKey = CopyToTaskMem(OptionKeyPath);
    return *pchKey ? S_OK : E_OUTOFMEMORY;
}

HRESULT TCustomHostedWB::GetOptionKeyPath(LPOLESTR* pchKey, DWORD) {
    return GetKeyPath(false, pchKey);
}

HRESULT TCustomHostedWB::GetOverrideKeyPath(LPOLESTR* pchKey, DWORD) {
    return GetKeyPath(true, pchKey);
}

HRESULT TCustomHostedWB::GetDropTarget(IDropTarget*, IDropTarget** ppDropTarget) {
    if (!ppDropTarget) return E_POINTER;
    *ppDropTarget = nullptr;
    return ComBoundary(E_UNEXPECTED, [&]() -> HRESULT {
        switch (FDropHandlingType) {
        case ddtMS:
            WriteRegisterAsDropTarget(true);
            return E_NOTIMPL;
        case ddtMy:
            *ppDropTarget = static_cast<IDropTarget*>(this);
            HostAddRef();
            return S_OK;
        case ddtCustom: {
            ComPtr<IDropTarget> target(static_cast<IDropTarget*>(this));
            if (OnGetDropTarget) OnGetDropTarget(this, target);
            *ppDropTarget = target.detach();
            return S_OK;
        }
        default:
            WriteRegisterAsDropTarget(false);
            return S_OK;
        }
    });
}

HRESULT TCustomHostedWB::GetExternal(IDispatch** ppDispatch) {
    if (!ppDispatch) return E_POINTER;
    *ppDispatch = nullptr;
    return ComBoundary(S_FALSE, [&] {
        ComPtr<IDispatch> external;
        if (OnGetExternal) OnGetExternal(this, external);
        *ppDispatch = external.detach();
        return *ppDispatch ? S_OK : S_FALSE;
    });
}

HRESULT TCustomHostedWB::TranslateUrl(DWORD, LPWSTR pchURLIn, LPWSTR* ppchURLOut) {
    if (!ppchURLOut) return E_POINTER;
    *ppchURLOut = nullptr;
    return ComBoundary(S_FALSE, [&] {
        std::wstring out;
        if (OnTranslateUrl) OnTranslateUrl(this, pchURLIn, out);
        if (out.empty()) return S_FALSE;
        *ppchURLOut = CopyToTaskMem(out);
        return *ppchURLOut ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT TCustomHostedWB::FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) {
    if (!ppDORet) return E_POINTER;
    *ppDORet = nullptr;
    return ComBoundary(S_FALSE, [&] {
        ComPtr<IDataObject> filtered;
        if (OnFilterDataObject) OnFilterDataObject(this, pDO, filtered);
        *ppDORet = filtered.detach();
        return *ppDORet ? S_OK : S_FALSE;
    });
}

// --- IDocHostShowUI -----------------------------------------------------------------------------

HRESULT TCustomHostedWB::ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption,
                                     DWORD dwType, LPOLESTR lpstrHelpFile, DWORD dwHelpContext,
                                     LRESULT* plResult) {
    return ComBoundary(S_FALSE, [&] {
        if (!OnShowMessage) return S_FALSE;
        LRESULT unused = 0;
        return OnShowMessage(this, hwnd, lpstrText, lpstrCaption, dwType, lpstrHelpFile,
                             dwHelpContext, plResult ? *plResult : unused);
    });
}

HRESULT TCustomHostedWB::ShowHelp(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData,
                                  POINT ptMouse, IDispatch* pDispatchObjectHit) {
    return ComBoundary(S_FALSE, [&] {
        if (OnShowHelpRequest)
            return OnShowHelpRequest(this, hwnd, pszHelpFile, uCommand, dwData, ptMouse,
                                     pDispatchObjectHit);
        if (!pszHelpFile && !HelpFile.empty()) {
            (void)CallHtmlHelp(hwnd, HelpFile.c_str(), static_cast<int>(uCommand),
                               static_cast<int>(dwData));
            return S_OK;
        }
        return S_FALSE;
    });
}

// --- drop target --------------------------------------------------------------------------------

HRESULT TCustomHostedWB::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                   DWORD* pdwEffect) {
    if (!pdwEffect) return E_INVALIDARG;
    *pdwEffect = DROPEFFECT_NONE;
    return ComBoundary(E_UNEXPECTED, [&] {
        HRESULT result = S_OK;
        if (OnDragEnter) OnDragEnter(this, pDataObj, grfKeyState, pt, *pdwEffect, result);
        return result;
    });
}

HRESULT TCustomHostedWB::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
    if (!pdwEffect) return E_INVALIDARG;
    *pdwEffect = DROPEFFECT_NONE;
    return ComBoundary(E_UNEXPECTED, [&] {
        HRESULT result = S_OK;
        if (OnDragOver2) OnDragOver2(this, grfKeyState, pt, *pdwEffect, result);
        return result;
    });
}

HRESULT TCustomHostedWB::DragLeave() {
    return ComBoundary(S_OK, [&] {
        if (OnDragLeave) OnDragLeave(this);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                              DWORD* pdwEffect) {
    if (!pdwEffect) return E_INVALIDARG;
    *pdwEffect = DROPEFFECT_NONE;
    return ComBoundary(E_UNEXPECTED, [&] {
        HRESULT result = S_OK;
        if (OnDropEvent) OnDropEvent(this, pDataObj, grfKeyState, pt, *pdwEffect, result);
        return result;
    });
}

void TCustomHostedWB::SetDropHandlingType(TDragDropHandlingType value) {
    if (value == FDropHandlingType) return;
    FDropHandlingType = value;
    HWND doc = nullptr;
    if (HandleAllocated()) {
        doc = GetIEWin(L"Internet Explorer_Server");
        if (doc) (void)::RevokeDragDrop(doc);
    }
    ComPtr<IDropTarget> target;
    switch (value) {
    case ddtMS:
        WriteRegisterAsDropTarget(true);
        break;
    case ddtMy:
        target = ComPtr<IDropTarget>(static_cast<IDropTarget*>(this));
        break;
    case ddtCustom:
        if (doc) {
            target = ComPtr<IDropTarget>(static_cast<IDropTarget*>(this));
            if (OnGetDropTarget) OnGetDropTarget(this, target);
        }
        break;
    default:
        WriteRegisterAsDropTarget(false);
        break;
    }
    if (doc && target) (void)::RegisterDragDrop(doc, target.get());
}

void TCustomHostedWB::DropEffect(DWORD grfKeyState, DWORD& dwEffect) noexcept {
    const bool shift = (grfKeyState & MK_SHIFT) != 0;
    const bool ctrl = (grfKeyState & MK_CONTROL) != 0;
    if (shift && !ctrl && (dwEffect & DROPEFFECT_MOVE))
        dwEffect = DROPEFFECT_MOVE;
    else if (ctrl && shift && (dwEffect & DROPEFFECT_LINK))
        dwEffect = DROPEFFECT_LINK;
    else if (dwEffect & DROPEFFECT_COPY)
        dwEffect = DROPEFFECT_COPY;
    else if (dwEffect & DROPEFFECT_MOVE)
        dwEffect = DROPEFFECT_MOVE;
    else if (dwEffect & DROPEFFECT_LINK)
        dwEffect = DROPEFFECT_LINK;
    else
        dwEffect = DROPEFFECT_NONE;
}

std::wstring TCustomHostedWB::dwEffectToStr(int Command) {
    switch (static_cast<unsigned>(Command)) {
    case 0:
        return L"Drop target cannot accept the data.";
    case 1:
        return L"Drag source should copy the data.";
    case 2:
        return L"Drag source should remove the data.";
    case 4:
        return L"Drag source should create a link to the original data.";
    case 7:
        return L"operation was successful.";
    case 0x40100:
        return L"The drag-and-drop operation was successful.";
    case 0x40101:
        return L"The drag-and-drop operation was canceled.";
    case 0x40102:
        return L"Successful completion. Restoring defaults.";
    case 0x80004005:
        return L"Unexpected error occurred.";
    case 0x80040100:
        return L"Failed to revoke a drop target that has not been registered.";
    case 0x80040102:
        return L"Invalid handle returned in the hwnd parameter.";
    case 0x8007000E:
        return L"Out of memory.";
    default:
        return L"Unknown.";
    }
}

} // namespace tn
