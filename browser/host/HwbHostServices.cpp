// Ambient properties, the command target (script errors, refresh, stop) and the services the
// host hands out through IServiceProvider.
#include "browser/host/HwbCore.h"

#include "browser/host/HwbGuids.h"
#include "classlib/Forms.h"
#include "classlib/Text.h"

#include <mshtmdid.h>
#include <olectl.h>

namespace tn {

namespace {

constexpr HRESULT kNotHandled = S_FALSE;
constexpr WORD kExceptionCode = 9999;
constexpr LCID kScriptLocale = 2048;
constexpr DWORD kPreRefreshSpacingMs = 150;

// When any instance last raised OnPreRefresh (GUI thread only).
DWORD LastPreRefreshTick = 0;

void SetBool(VARIANT& v, bool value) noexcept {
    (void)::VariantClear(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

// A property of a late-bound object, by name; an unknown name is an OLE error.
std::wstring ReadNamedProperty(IDispatch* object, const wchar_t* name) {
    std::wstring n(name);
    LPOLESTR names[] = {n.data()};
    DISPID id = 0;
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, kScriptLocale, &id)))
        throw EOleError(L"'" + n + L"' is not supported.");
    DISPPARAMS none{};
    OleVariant value;
    OleCheck(object->Invoke(id, IID_NULL, kScriptLocale, DISPATCH_PROPERTYGET, &none, value.put(),
                            nullptr, nullptr));
    return VariantToString(value.get());
}

} // namespace

// --- ambient properties -------------------------------------------------------------------------

HRESULT TCustomHostedWB::AmbientGetTypeInfoCount(UINT* pctinfo) {
    HRESULT result = THWB::AmbientGetTypeInfoCount(pctinfo);
    if (OnGetTypeInfoCount) OnGetTypeInfoCount(this, pctinfo, result);
    return result;
}

HRESULT TCustomHostedWB::AmbientGetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) {
    HRESULT result = THWB::AmbientGetTypeInfo(iTInfo, lcid, ppTInfo);
    if (OnGetTypeInfo) OnGetTypeInfo(this, iTInfo, lcid, ppTInfo, result);
    return result;
}

HRESULT TCustomHostedWB::AmbientGetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                              LCID lcid, DISPID* rgDispId) {
    HRESULT result = THWB::AmbientGetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
    if (OnGetIDsOfNames) OnGetIDsOfNames(this, riid, rgszNames, cNames, lcid, rgDispId, result);
    return result;
}

HRESULT TCustomHostedWB::AmbientInvoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                       DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                       EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    HRESULT result = kNotHandled;
    try {
        if ((wFlags & DISPATCH_PROPERTYGET) && pVarResult) {
            result = S_OK;
            switch (dispIdMember) {
            case DISPID_AMBIENT_USERAGENT: {
                result = kNotHandled;
                std::wstring agent;
                if (FOnSetUserAgent && FOnSetUserAgent(agent) == S_OK && !agent.empty()) {
                    ::VariantInit(pVarResult);
                    *pVarResult = OleVariant(agent + L"\r\n").Detach();
                    result = S_OK;
                }
                break;
            }
            case DISPID_AMBIENT_DLCONTROL:
                ::VariantInit(pVarResult);
                pVarResult->vt = VT_I4;
                pVarResult->lVal = static_cast<LONG>(FDownloadOptionValue);
                break;
            case DISPID_AMBIENT_USERMODE:
                ::VariantInit(pVarResult);
                SetBool(*pVarResult, !FDesignMode);
                break;
            default:
                result = kNotHandled;
                break;
            }
        } else if ((wFlags & DISPATCH_PROPERTYPUT) && dispIdMember == DISPID_AMBIENT_USERMODE) {
            // The argument array is the caller's: read only what it says it holds.
            if (!pDispParams || pDispParams->cArgs < 1 || !pDispParams->rgvarg)
                return DISP_E_BADPARAMCOUNT;
            result = S_OK;
            FDesignMode = !VariantToBool(pDispParams->rgvarg[0]);
        }
        if (result == kNotHandled) {
            result = THWB::AmbientInvoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult,
                                         pExcepInfo, puArgErr);
            if (result == DISP_E_MEMBERNOTFOUND && OnInvoke)
                OnInvoke(this, dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult,
                         pExcepInfo, puArgErr, result);
        }
    } catch (const std::exception& e) {
        result = DISP_E_EXCEPTION;
        if (pExcepInfo) {
            const auto* ole = dynamic_cast<const EOleError*>(&e);
            *pExcepInfo = EXCEPINFO{};
            pExcepInfo->wCode = kExceptionCode;
            pExcepInfo->bstrDescription =
                ::SysAllocString(ole ? ole->Message().c_str() : text::FromUtf8(e.what()).c_str());
            pExcepInfo->bstrSource = ::SysAllocString(ole ? ole->ClassName() : L"Exception");
            pExcepInfo->dwHelpContext = ole ? static_cast<DWORD>(ole->HelpContext()) : 0;
        }
    }
    return result;
}

// --- command target -----------------------------------------------------------------------------

HRESULT TCustomHostedWB::QueryStatus(const GUID*, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT*) {
    if (!prgCmds) return E_POINTER;
    if (cCmds == 0) return E_INVALIDARG;
    prgCmds[0].cmdf = OLECMDF_ENABLED;
    return S_OK;
}

HRESULT TCustomHostedWB::Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt,
                              VARIANT* pvaIn, VARIANT* pvaOut) {
    return ComBoundary(E_UNEXPECTED, [&]() -> HRESULT {
        HRESULT result = OLECMDERR_E_NOTSUPPORTED;
        // Missing variants are read as empty and written nowhere.
        OleVariant emptyIn, unusedOut;
        const VARIANT& in = pvaIn ? *pvaIn : emptyIn.get();
        VARIANT& out = pvaOut ? *pvaOut : *unusedOut.ptr();

        if (nCmdID == OLECMDID_STOP && OnStop) OnStop(this);
        if (pguidCmdGroup && *pguidCmdGroup == CGID_Explorer) {
            if (nCmdID == 37 && OnUnload) {
                OnUnload(this);
                return S_OK;
            }
            if (nCmdID == 39) {
                if (OnPreRefresh) {
                    const DWORD now = TickCount();
                    if (now - LastPreRefreshTick > kPreRefreshSpacingMs) {
                        LastPreRefreshTick = now;
                        OnPreRefresh(this);
                    }
                }
                if (FOnHookChildWindow &&
                    (GetIEWin(L"Internet Explorer_Server") || GetIEWin(L"SysListView32")))
                    FOnHookChildWindow(this);
            }
        } else if (pguidCmdGroup && *pguidCmdGroup == CGID_DocHostCommandHandler) {
            if (nCmdID == OLECMDID_SHOWSCRIPTERROR) return HandleScriptError(in, out);
            if (nCmdID == 2300 || nCmdID == 6041 || nCmdID == 6042) {
                if (!OnRefresh) return OLECMDERR_E_NOTSUPPORTED;
                bool cancel = false;
                OnRefresh(this, static_cast<int>(nCmdID), cancel);
                return cancel ? S_OK : OLECMDERR_E_NOTSUPPORTED;
            }
        }
        if (OnCommandExec) OnCommandExec(this, pguidCmdGroup, nCmdID, nCmdexecopt, in, out, result);
        return result;
    });
}

HRESULT TCustomHostedWB::HandleScriptError(const VARIANT& vaIn, VARIANT& vaOut) {
    HRESULT answer = S_OK;
    switch (ScriptErrorAction) {
    case eaContinue:
        SetBool(vaOut, true);
        break;
    case eaCancel:
        SetBool(vaOut, false);
        break;
    default:
        answer = S_FALSE;
        break;
    }
    if (!OnScriptError) return answer;

    ComPtr<IHTMLDocument2> doc;
    const VARIANT& source =
        (vaIn.vt == (VT_BYREF | VT_VARIANT) && vaIn.pvarVal) ? *vaIn.pvarVal : vaIn;
    if ((source.vt == VT_UNKNOWN || source.vt == VT_DISPATCH) && source.punkVal)
        (void)source.punkVal->QueryInterface(__uuidof(IHTMLDocument2), doc.put_void());
    if (!doc) return answer;
    ComPtr<IHTMLWindow2> window;
    if (FAILED(doc->get_parentWindow(window.put())) || !window) return answer;
    ComPtr<IHTMLEventObj> eventObj;
    if (FAILED(window->get_event(eventObj.put())) || !eventObj) return answer;
    const auto event = eventObj.as<IDispatch>();
    if (!event) return answer;

    std::wstring character, code, message, url, line;
    try {
        character = ReadNamedProperty(event.get(), L"errorCharacter");
        code = ReadNamedProperty(event.get(), L"errorCode");
        message = ReadNamedProperty(event.get(), L"errorMessage");
        url = ReadNamedProperty(event.get(), L"errorUrl");
        line = ReadNamedProperty(event.get(), L"errorline");
    } catch (const EOleError&) {
        // An event object without the error fields: the answer fixed above stands, unreported.
        return answer;
    }
    OnScriptError(this, line, character, code, message, url, ScriptErrorAction);
    return answer;
}

// --- services -----------------------------------------------------------------------------------

HRESULT TCustomHostedWB::QueryService(REFGUID guidService, REFIID riid, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    return ComBoundary(E_NOINTERFACE, [&] {
        if (!QueryHostService(guidService, riid, ppvObject) && OnQueryService) {
            ComPtr<IUnknown> supplied;
            OnQueryService(this, guidService, riid, supplied);
            // Handed out as the interface asked for, not as whatever the handler gave.
            if (supplied) (void)supplied->QueryInterface(riid, ppvObject);
        }
        return *ppvObject ? S_OK : E_NOINTERFACE;
    });
}

bool TCustomHostedWB::QueryHostService(REFGUID rsid, REFIID iid, void** Obj) {
    bool offered = false;
    if (rsid == __uuidof(INewWindowManager) && OnEvaluateNewWindow)
        offered = true;
    else if (rsid == __uuidof(IProtectFocus))
        offered = true;
    else if (rsid == __uuidof(IDownloadManager) && OnFileDownload)
        offered = true;
    else if (rsid == __uuidof(IHostBehaviorInit) && OnPopulateNSTable)
        offered = true;
    else if (rsid == __uuidof(IHTMLOMWindowServices) &&
             (FloatingHosting || OnMove || OnMoveBy || OnResize || OnResizeBy))
        offered = true;
    else if (iid == __uuidof(IAuthenticate) && OnAuthenticate)
        offered = true;
    return offered && SUCCEEDED(HostQueryInterface(iid, Obj));
}

HRESULT TCustomHostedWB::EvaluateNewWindow(LPCWSTR pszUrl, LPCWSTR pszName, LPCWSTR pszUrlContext,
                                           LPCWSTR pszFeatures, BOOL fReplace, DWORD dwFlags,
                                           DWORD dwUserActionTime) {
    return ComBoundary(E_FAIL, [&] {
        HRESULT result = E_FAIL;
        if (OnEvaluateNewWindow)
            OnEvaluateNewWindow(this, pszUrl, pszName, pszUrlContext, pszFeatures, fReplace,
                                dwFlags, dwUserActionTime, result);
        return result;
    });
}

HRESULT TCustomHostedWB::AllowFocusChange(BOOL* pfAllow) {
    if (!pfAllow) return E_POINTER;
    return ComBoundary(E_UNEXPECTED, [&] {
        *pfAllow = CanGrabFocus ? -1 : 0;
        if (OnAllowFocusChange) OnAllowFocusChange(this, *pfAllow);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF,
                                  BINDINFO* pBindInfo, LPCOLESTR pszHeaders, LPCOLESTR pszRedir,
                                  UINT uiCP) {
    return ComBoundary(E_NOTIMPL, [&] {
        HRESULT result = E_NOTIMPL;
        if (OnFileDownload)
            OnFileDownload(this, pmk, pbc, dwBindVerb, static_cast<DWORD>(grfBINDF), pBindInfo,
                           pszHeaders, pszRedir, uiCP, result);
        return result;
    });
}

HRESULT TCustomHostedWB::PopulateNamespaceTable() {
    return ComBoundary(S_OK, [&] {
        if (OnPopulateNSTable) OnPopulateNSTable(this);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::moveTo(LONG x, LONG y) {
    return ComBoundary(S_OK, [&] {
        if (TForm* form = FloatingHosting ? ParentForm() : nullptr)
            form->SetBounds(x, y, form->Width(), form->Height());
        if (OnMove) OnMove(this, x, y);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::moveBy(LONG x, LONG y) {
    return ComBoundary(S_OK, [&] {
        if (TForm* form = FloatingHosting ? ParentForm() : nullptr)
            form->SetBounds(form->Left() + x, form->Top() + y, form->Width(), form->Height());
        if (OnMoveBy) OnMoveBy(this, x, y);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::resizeTo(LONG x, LONG y) {
    return ComBoundary(S_OK, [&] {
        if (TForm* form = FloatingHosting ? ParentForm() : nullptr)
            form->SetBounds(form->Left(), form->Top(), x, y);
        if (OnResize) OnResize(this, x, y);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::resizeBy(LONG x, LONG y) {
    return ComBoundary(S_OK, [&] {
        if (TForm* form = FloatingHosting ? ParentForm() : nullptr)
            form->SetBounds(form->Left(), form->Top(), form->Width() + x, form->Height() + y);
        if (OnResizeBy) OnResizeBy(this, x, y);
        return S_OK;
    });
}

HRESULT TCustomHostedWB::Authenticate(HWND* phwnd, LPWSTR* pszUsername, LPWSTR* pszPassword) {
    if (!phwnd || !pszUsername || !pszPassword) return E_INVALIDARG;
    *phwnd = HandleIfAllocated();
    *pszUsername = nullptr;
    *pszPassword = nullptr;
    return ComBoundary(E_UNEXPECTED, [&] {
        HWND wnd = *phwnd;
        std::wstring user, password;
        HRESULT result = S_OK;
        if (OnAuthenticate) OnAuthenticate(this, wnd, user, password, result);
        *phwnd = wnd;
        UniqueTaskMem<wchar_t> u(user.empty() ? nullptr : CopyToTaskMem(user));
        UniqueTaskMem<wchar_t> p(password.empty() ? nullptr : CopyToTaskMem(password));
        if ((!user.empty() && !u) || (!password.empty() && !p)) return E_OUTOFMEMORY;
        *pszUsername = u.release();
        *pszPassword = p.release();
        return result;
    });
}

HRESULT TCustomHostedWB::OnZoomPercentChanged(ULONG ulZoomPercent) {
    return ComBoundary(S_FALSE, [&] {
        return OnZoomPercentChange ? OnZoomPercentChange(this, ulZoomPercent) : S_FALSE;
    });
}

} // namespace tn
