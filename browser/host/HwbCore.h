// The browser host control: hosts the system web-browser control and answers its host requests
// (UI handler, message and help display, drop target, ambient properties, command target and the
// services it hands out) from its properties, letting an event change each answer.
#pragma once

#include "browser/host/EnumSet.h"
#include "browser/host/Hwb.h"
#include "browser/host/HwbUtils.h"

#include <windows.h>
#include <docobj.h>
#include <downloadmgr.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <servprov.h>
#include <shobjidl.h>
#include <urlmon.h>

#include <functional>
#include <span>
#include <string>

namespace tn {

class TForm;

enum TIEPopupMenu : unsigned {
    rcmDefault,
    rcmImage,
    rcmControl,
    rcmTable,
    rcmSelText,
    rcmAnchor,
    rcmUnKnown,
    rcmImageArt,
    rcmImgDynSrc,
    rcmDebug,
    rcmAll
};
using TIEPopupMenus = TEnumSet<TIEPopupMenu>;

enum TIEPopupMenuItem : unsigned {
    rcsBack,
    rcsForward,
    rcsSavePageBkg,
    rcsSetAsBkg,
    rcsCopyBkg,
    rcsSetAsDeskT,
    rcsSelectAll,
    rcsPaste,
    rcsCreateSC,
    rcsAddToFav,
    rcsEncoding,
    rcsRefresh,
    rcsViewSource,
    rcsProperties,
    rcsPrint,
    rcsOpenNWindow,
    rcsOpenLink
};
using TIEPopupMenuItems = TEnumSet<TIEPopupMenuItem>;

enum TDragDropHandlingType : unsigned { ddtMS, ddtMy, ddtCustom, ddtNo };
enum TDocDesignMode : unsigned { ddmOn, ddmOff, ddmInherit, ddmUnknown };
enum TScriptErrorAction : unsigned { eaContinue, eaCancel, eaAskUser };

enum class TUserInterfaceOption : unsigned {
    DisableTextSelect,
    DisableHelpMenu,
    DontUse3DBorders,
    DontUseScrollBars,
    PostponeScriptUntilActive,
    ForceOpenNewWindow,
    Reserved_OFFSCREEN,
    ForceFlatScrollBars,
    InsertDivTagOnEditMode,
    ActivateUIOnlyOnDocClick,
    ConsultBeforeRetrievingBehavior,
    CheckFontSupportsCodePage,
    DisableSubmitUrlInUTF8,
    EnableSubmitUrlInUTF8,
    EnablesFormsAutoComplete,
    ForceSameWindowNavigation,
    EmableImeLocalLanguages,
    EnableThemes,
    DisableThemes,
    DisablePicsRatings,
    DisableFrameSetBorder,
    DisablesAutoNameSpaceCorrection,
    DisableLocalFileAccess,
    DisableUntrustedProtocol,
    CheckNavigationDelegatedToHost,
    EnableRedirectNotification,
    EnableDomWindlessControls,
    EnableWindowedControls,
    ForceUserActivationOnActiveXJava
};
using TUserInterfaceOptions = TEnumSet<TUserInterfaceOption>;

enum class TDownloadControlOption : unsigned {
    DownloadImages,
    DownloadVideos,
    DownloadBGSounds,
    DontExecuteScripts,
    DontExecuteJava,
    DontExecuteActiveX,
    DontDownloadActiveX,
    DownloadButDontDisplay,
    DontDownloadFrame,
    CheckPageResynchronize,
    DownloadAndIgnoreCache,
    DontDownloadBehaviors,
    SuppressedMetaCharset,
    DisableUrlIfEncodingUTF8,
    EnableUrlIfEncodingUTF8,
    ForceOfflineMode,
    DontPerformClientPull,
    DownloadInSilentMode,
    WorkOffline
};
using TDownloadControlOptions = TEnumSet<TDownloadControlOption>;

// The flag words the control receives for the option sets.
[[nodiscard]] DWORD UserInterfaceFlags(TUserInterfaceOptions options) noexcept;
[[nodiscard]] DWORD DownloadControlFlags(TDownloadControlOptions options) noexcept;

// Events; Rezult is passed with the default the raising method states.
using TZoomPercentChangeEvent = std::function<HRESULT(TObject* Sender, ULONG ulZoomPercent)>;
using TGetIDsOfNamesEvent =
    std::function<void(TObject* Sender, REFIID riid, LPOLESTR* Names, UINT NameCount, LCID LocaleID,
                       DISPID* DispIDs, HRESULT& Rezult)>;
using TGetTypeInfoEvent = std::function<void(TObject* Sender, UINT Index, LCID LocaleID,
                                             ITypeInfo** TypeInfo, HRESULT& Rezult)>;
using TGetTypeInfoCountEvent = std::function<void(TObject* Sender, UINT* Count, HRESULT& Rezult)>;
using TInvokeEvent = std::function<void(TObject* Sender, DISPID DispID, REFIID IID, LCID LocaleID,
                                        WORD Flags, DISPPARAMS* Params, VARIANT* VarResult,
                                        EXCEPINFO* ExcepInfo, UINT* ArgErr, HRESULT& Rezult)>;
using TShowMessageEvent = std::function<HRESULT(
    TObject* Sender, HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType,
    LPOLESTR lpstrHelpFile, DWORD dwHelpContext, LRESULT& plResult)>;
using TShowHelpRequestEvent =
    std::function<HRESULT(TObject* Sender, HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand,
                          DWORD dwData, POINT ptMouse, IDispatch* pDispatchObjectHit)>;
using TFilterDataObjectEvent =
    std::function<void(TObject* Sender, IDataObject* pDO, ComPtr<IDataObject>& ppDORet)>;
using TGetExternalEvent = std::function<void(TObject* Sender, ComPtr<IDispatch>& ppDispatch)>;
using TGetHostInfoEvent = std::function<void(TObject* Sender, DOCHOSTUIINFO& pInfo)>;
using TEnableModelessEvent = std::function<void(TObject* Sender, BOOL fEnable)>;
using TGetDropTargetEvent = std::function<void(TObject* Sender, ComPtr<IDropTarget>& DropTarget)>;
using THWBNotifyEvent = std::function<void(TObject* Sender, HRESULT& Rezult)>;
using TOnActivateEvent = std::function<void(TObject* Sender, BOOL fActivate)>;
using TResizeBorderEvent = std::function<void(TObject* Sender, const RECT* prcBorder,
                                              IOleInPlaceUIWindow* pUIWindow, BOOL fRameWindow)>;
using TShowContextMenuEvent =
    std::function<void(TObject* Sender, DWORD dwID, POINT* ppt, IUnknown* CommandTarget,
                       IDispatch* Context, HRESULT& Result)>;
using TShowUIEvent =
    std::function<void(TObject* Sender, DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                       IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                       IOleInPlaceUIWindow* pDoc, HRESULT& Rezult)>;
using TTranslateAcceleratorEvent = std::function<void(
    TObject* Sender, const MSG* lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID, bool& Done)>;
using TTranslateUrlEvent =
    std::function<void(TObject* Sender, const wchar_t* pchURLIn, std::wstring& ppchURLOut)>;
using TDragEnterEvent = std::function<void(TObject* Sender, IDataObject* dataObj, DWORD grfKeyState,
                                           POINTL pt, DWORD& dwEffect, HRESULT& Rezult)>;
using TDropEvent = TDragEnterEvent;
using TDragOver2Event = std::function<void(TObject* Sender, DWORD grfKeyState, POINTL pt,
                                           DWORD& dwEffect, HRESULT& Rezult)>;
using TMaskedCtrlCharEvent = std::function<void(TObject* Sender, wchar_t MaskedChar)>;
using TMenuPreprocess =
    std::function<void(TObject* Sender, DWORD ID, HMENU Menu, IDispatch* Context)>;
using TScriptErrorEvent = std::function<void(
    TObject* Sender, const std::wstring& ErrorLine, const std::wstring& ErrorCharacter,
    const std::wstring& ErrorCode, const std::wstring& ErrorMessage, const std::wstring& ErrorUrl,
    TScriptErrorAction& ScriptErrorAction)>;
using TRefreshEvent = std::function<void(TObject* Sender, int CmdID, bool& Cancel)>;
using TComTargetExecEvent =
    std::function<void(TObject* Sender, const GUID* CmdGroup, DWORD nCmdID, DWORD nCmdexecopt,
                       const VARIANT& vaIn, VARIANT& vaOut, HRESULT& Rezult)>;
using TQueryServiceEvent =
    std::function<void(TObject* Sender, REFGUID rsid, REFIID iid, ComPtr<IUnknown>& Obj)>;
using TEvaluateNewWindowEvent = std::function<void(
    TObject* Sender, LPCWSTR pszUrl, LPCWSTR pszName, LPCWSTR pszUrlContext, LPCWSTR pszFeatures,
    BOOL fReplace, DWORD dwFlags, DWORD dwUserActionTime, HRESULT& Rezult)>;
using TBoolQueryEvent = std::function<void(TObject* Sender, BOOL& Value)>;
using TDownloadEvent = std::function<void(
    TObject* Sender, IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, DWORD grfBINDF,
    BINDINFO* pBindInfo, LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP, HRESULT& Rezult)>;
using TOMWindowMoveEvent = std::function<void(TObject* Sender, LONG cx, LONG cy)>;
using TAuthenticateEvent = std::function<void(TObject* Sender, HWND& hwnd, std::wstring& szUserName,
                                              std::wstring& szPassWord, HRESULT& Rezult)>;
using TSetUserAgentEvent = std::function<HRESULT(std::wstring& UserAgent)>;

class TCustomHostedWB : public THWB,
                        public IDocHostUIHandler2,
                        public IDocHostShowUI,
                        public IDropTarget,
                        public IOleCommandTarget,
                        public IServiceProvider,
                        public INewWindowManager,
                        public IProtectFocus,
                        public IDownloadManager,
                        public IHostBehaviorInit,
                        public IHTMLOMWindowServices,
                        public IAuthenticate,
                        public IZoomEvents {
public:
    explicit TCustomHostedWB(TComponent* owner);

    // Published properties.
    [[nodiscard]] int ZoomPercent() const noexcept { return FZoomPercent; }
    void SetZoomPercent(int value);
    std::wstring DisableCtrlShortcuts;
    [[nodiscard]] TDownloadControlOptions DownloadOptions() const noexcept {
        return FDownloadOptions;
    }
    void SetDownloadOptions(TDownloadControlOptions value);
    [[nodiscard]] TUserInterfaceOptions UserInterfaceOptions() const noexcept {
        return FUserInterfaceOptions;
    }
    void SetUserInterfaceOptions(TUserInterfaceOptions value);
    std::wstring HelpFile;
    std::wstring OptionKeyPath;
    bool OverrideOptionKeyPath = false;
    [[nodiscard]] TDragDropHandlingType DropHandlingType() const noexcept {
        return FDropHandlingType;
    }
    void SetDropHandlingType(TDragDropHandlingType value);
    TIEPopupMenus DisabledPopupMenus;
    bool FloatingHosting = false;
    TScriptErrorAction ScriptErrorAction = eaContinue;

    // Public properties.
    [[nodiscard]] int Zoom();
    void SetZoom(int value);
    [[nodiscard]] int ZoomRangeLow();
    [[nodiscard]] int ZoomRangeHigh();
    [[nodiscard]] std::wstring Cookie() const;
    [[nodiscard]] bool DesignMode() const noexcept { return FDesignMode; }
    void SetDesignMode(bool value);
    [[nodiscard]] ComPtr<IHTMLDocument2> Doc2() const;
    [[nodiscard]] ComPtr<IHTMLDocument3> Doc3() const;
    [[nodiscard]] ComPtr<IHTMLDocument4> Doc4() const;
    [[nodiscard]] ComPtr<IHTMLDocument5> Doc5() const;
    [[nodiscard]] ComPtr<IHTMLElement> Body() const;
    [[nodiscard]] TDocDesignMode DocDesignMode() const;
    void SetDocDesignMode(TDocDesignMode value);
    [[nodiscard]] std::wstring CharactersSet() const;
    void SetCharactersSet(const std::wstring& value);
    bool CanGrabFocus = true;

    // A token of this component's life, ended when its destruction starts: whoever runs something
    // that may free it (a nested message loop, a call into the control) reads it afterwards.
    [[nodiscard]] TLifeToken Life() const noexcept { return FLiveness.Token(); }

    // The first window of the first-child chain below the control's window with that class.
    [[nodiscard]] HWND GetIEWin(const std::wstring& ClassName);
    [[nodiscard]] HRESULT InvokeCommand(const GUID* CmdGroup, DWORD Cmd, DWORD nCmdexecopt,
                                        VARIANT& vaIn, VARIANT& vaOut);
    [[nodiscard]] HRESULT InvokeCommand(const GUID* CmdGroup, DWORD Cmd);
    [[nodiscard]] HRESULT QueryCommandStatus(const GUID* CmdGroup, ULONG cCmds, OLECMD* prgCmds,
                                             OLECMDTEXT* CmdText);
    [[nodiscard]] DWORD QueryCMDStatus(const GUID* CmdGroup, DWORD cmdID);
    [[nodiscard]] bool QueryCMDEnabled(const GUID* CmdGroup, DWORD cmdID);
    [[nodiscard]] bool QueryCMDLatched(const GUID* CmdGroup, DWORD cmdID);
    bool QueryCMDArrayStatus(const GUID* CmdGroup, std::span<OLECMD> Cmds);
    bool ScrollToElement(IHTMLElement* Element);
    void SetFocusToBody();
    void SetFocusToDoc();
    void SetFocusToParent();
    void Client2HostWin(int& CX, int& CY);
    bool GetElementNamespaceTable(ComPtr<IElementNamespaceTable>& aTable);
    [[nodiscard]] static std::wstring dwEffectToStr(int Command);
    static void DropEffect(DWORD grfKeyState, DWORD& dwEffect) noexcept;

    // The flag words handed to the control.
    [[nodiscard]] DWORD UserInterfaceValue() const noexcept { return FUserInterfaceValue; }
    [[nodiscard]] DWORD DownloadOptionValue() const noexcept { return FDownloadOptionValue; }

    TZoomPercentChangeEvent OnZoomPercentChange;
    TGetIDsOfNamesEvent OnGetIDsOfNames;
    TGetTypeInfoEvent OnGetTypeInfo;
    TGetTypeInfoCountEvent OnGetTypeInfoCount;
    TInvokeEvent OnInvoke;
    TShowMessageEvent OnShowMessage;
    TShowHelpRequestEvent OnShowHelpRequest;
    TFilterDataObjectEvent OnFilterDataObject;
    TGetExternalEvent OnGetExternal;
    TGetHostInfoEvent OnGetHostInfo;
    TEnableModelessEvent OnEnableModeless;
    TGetDropTargetEvent OnGetDropTarget;
    THWBNotifyEvent OnHideUI, OnUpdateUI;
    TOnActivateEvent OnOnDocWindowActivate, OnOnFrameWindowActivate;
    TResizeBorderEvent OnResizeBorder;
    TShowContextMenuEvent OnShowContextMenu;
    TShowUIEvent OnShowUI;
    TTranslateAcceleratorEvent OnTranslateAccelerator;
    TTranslateUrlEvent OnTranslateUrl;
    TDragEnterEvent OnDragEnter;
    TDropEvent OnDropEvent;
    TDragOver2Event OnDragOver2;
    TNotifyEvent OnDragLeave;
    TMaskedCtrlCharEvent OnMaskedCtrlChar;
    TMenuPreprocess OnFilterPopupMenu;
    TScriptErrorEvent OnScriptError;
    TRefreshEvent OnRefresh;
    TNotifyEvent OnStop, OnUnload, OnPreRefresh;
    TComTargetExecEvent OnCommandExec;
    TQueryServiceEvent OnQueryService;
    TEvaluateNewWindowEvent OnEvaluateNewWindow;
    TBoolQueryEvent OnAllowFocusChange;
    TDownloadEvent OnFileDownload;
    // These window-service events hide the control's own OnResize notification.
    TOMWindowMoveEvent OnMove, OnMoveBy, OnResize, OnResizeBy;
    TNotifyEvent OnPopulateNSTable;
    TAuthenticateEvent OnAuthenticate;

    // IUnknown of every host interface: the control host's one identity.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TCustomHostedWB"; }
    void CreateWnd() override;
    void DestroyWnd() noexcept override;
    void BeforeDestruction() noexcept override;
    void DefaultHandler(TMessage& m) override;
    [[nodiscard]] void* QueryHostInterface(REFIID riid) noexcept override;

    HRESULT AmbientGetTypeInfoCount(UINT* pctinfo) override;
    HRESULT AmbientGetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT AmbientGetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                 DISPID* rgDispId) override;
    HRESULT AmbientInvoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                          DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                          UINT* puArgErr) override;

    virtual bool IsCtrlShortcutMasked(const MSG& Msg);
    // S_OK or S_FALSE, the answer to the control's script-error command.
    virtual HRESULT HandleScriptError(const VARIANT& vaIn, VARIANT& vaOut);
    virtual bool QueryHostService(REFGUID rsid, REFIID iid, void** Obj);
    virtual bool IsMenuFilterActive();
    // The host flags and the rest of the document host information; a derived component adds.
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* pInfo) override;
    virtual void FilterPopupMenu(DWORD ID, HMENU Menu, IDispatch* Context);

    // The document's command target (the seam the zoom and command helpers use); empty
    // without a document.
    [[nodiscard]] virtual ComPtr<IOleCommandTarget> DocumentCommandTarget() const;
    // The tick count that spaces the pre-refresh notifications.
    [[nodiscard]] virtual DWORD TickCount() const noexcept { return ::GetTickCount(); }

    // Tells the control that an ambient property changed; a control that cannot be told is
    // not told. Virtual: the seam where a test counts the announcements.
    virtual void NotifyAmbientChange(DISPID id) noexcept;

    // Fields set by the derived component.
    TSetUserAgentEvent FOnSetUserAgent;
    TNotifyEvent FOnHookChildWindow;
    // The control window while it is parked during the parent's window re-creation.
    HWND CurrentHandle = nullptr;
    // Ended first thing by the destruction of the most derived component.
    TLiveness FLiveness;

private:
    // IDocHostUIHandler2
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                              IDispatch* pdispReserved) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                     IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                     IOleInPlaceUIWindow* pDoc) override;
    HRESULT STDMETHODCALLTYPE HideUI() override;
    HRESULT STDMETHODCALLTYPE UpdateUI() override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                           BOOL fRameWindow) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup,
                                                   DWORD nCmdID) override;
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* pDropTarget,
                                            IDropTarget** ppDropTarget) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** ppDispatch) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn,
                                           LPWSTR* ppchURLOut) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) override;
    HRESULT STDMETHODCALLTYPE GetOverrideKeyPath(LPOLESTR* pchKey, DWORD dw) override;
    // IDocHostShowUI
    HRESULT STDMETHODCALLTYPE ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption,
                                          DWORD dwType, LPOLESTR lpstrHelpFile, DWORD dwHelpContext,
                                          LRESULT* plResult) override;
    HRESULT STDMETHODCALLTYPE ShowHelp(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData,
                                       POINT ptMouse, IDispatch* pDispatchObjectHit) override;
    // IDropTarget
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                        DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                   DWORD* pdwEffect) override;
    // IOleCommandTarget
    HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                                          OLECMDTEXT* pCmdText) override;
    HRESULT STDMETHODCALLTYPE Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt,
                                   VARIANT* pvaIn, VARIANT* pvaOut) override;
    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID guidService, REFIID riid,
                                           void** ppvObject) override;
    // The services.
    HRESULT STDMETHODCALLTYPE EvaluateNewWindow(LPCWSTR pszUrl, LPCWSTR pszName,
                                                LPCWSTR pszUrlContext, LPCWSTR pszFeatures,
                                                BOOL fReplace, DWORD dwFlags,
                                                DWORD dwUserActionTime) override;
    HRESULT STDMETHODCALLTYPE AllowFocusChange(BOOL* pfAllow) override;
    HRESULT STDMETHODCALLTYPE Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb,
                                       LONG grfBINDF, BINDINFO* pBindInfo, LPCOLESTR pszHeaders,
                                       LPCOLESTR pszRedir, UINT uiCP) override;
    HRESULT STDMETHODCALLTYPE PopulateNamespaceTable() override;
    HRESULT STDMETHODCALLTYPE moveTo(LONG x, LONG y) override;
    HRESULT STDMETHODCALLTYPE moveBy(LONG x, LONG y) override;
    HRESULT STDMETHODCALLTYPE resizeTo(LONG x, LONG y) override;
    HRESULT STDMETHODCALLTYPE resizeBy(LONG x, LONG y) override;
    HRESULT STDMETHODCALLTYPE Authenticate(HWND* phwnd, LPWSTR* pszUsername,
                                           LPWSTR* pszPassword) override;
    HRESULT STDMETHODCALLTYPE OnZoomPercentChanged(ULONG ulZoomPercent) override;

    bool ShowBuiltInContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                IDispatch* pdispReserved);
    HRESULT GetKeyPath(bool overriding, LPOLESTR* pchKey) const noexcept;
    void WriteRegisterAsDropTarget(bool value) noexcept;
    [[nodiscard]] ComPtr<IDispatch> DocumentOrNull() const noexcept;
    [[nodiscard]] TForm* ParentForm() const noexcept;
    // OLECMDID_GETZOOMRANGE or its optical twin; false when the range cannot be read.
    bool ReadZoomRange(DWORD cmd, DWORD& range, VARIANT& out);
    void TakeBackParkedWindow() noexcept;

    int FZoomPercent = 100;
    TDownloadControlOptions FDownloadOptions;
    TUserInterfaceOptions FUserInterfaceOptions;
    TDragDropHandlingType FDropHandlingType = ddtMS;
    DWORD FDownloadOptionValue = 0;
    DWORD FUserInterfaceValue = 0;
    bool FDesignMode = false;
};

} // namespace tn
