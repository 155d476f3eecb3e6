// The browser component that the launcher's windows place on their layouts: the hosted browser
// with option objects read at load time, its own window procedure, waiting and stopping,
// suppression of the browser's dialogs, hooks on its owner and child windows, the user agent,
// the HTML code property and a protocol object that answers the control.
#pragma once

#include "browser/HostedWBOptions.h"
#include "browser/HwbCore.h"
#include "browser/tools/TextSearch.h"
#include "browser/tools/ToolHost.h"
#include "classlib/MemoryStream.h"

#include <windows.h>
#include <urlmon.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tn {

class TForm;

enum TUserAgentMode : unsigned { uaDefault, uaInternal, uaRegistry };

using TOnBusyWait =
    std::function<void(TObject* Sender, DWORD AStartTime, DWORD& TimeOut, bool& Cancel)>;
using TKeyEventEx =
    std::function<void(TObject* Sender, WORD& Key, WORD ScanCode, TShiftState Shift)>;
using TMsgEvent = std::function<void(TObject* Sender, TMessage& Msg, bool& Handled)>;
using TShowDialogEvent =
    std::function<void(TObject* Sender, HWND h, int StyleEx, const std::wstring& OldCaption,
                       std::wstring& NewCaption, bool& Cancel)>;
using THWBOnVisible = std::function<void(TObject* ASender, bool Visible)>;
using THTMLCodeChangeEvent =
    std::function<void(TObject* Sender, const std::vector<std::wstring>& HTMLCode, bool& Handled)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// The command identifiers of the context-menu items, in TIEPopupMenuItem order.
inline constexpr DWORD kMenuCommandTable[17] = {2282, 2283, 2263, 2264, 2265, 2278, 31,   26,  2266,
                                                2261, 2292, 2300, 2139, 28,   27,   2137, 2136};
class THostedWB : public TCustomHostedWB, public IInternetProtocol, public TBrowserToolHost {
public:
    explicit THostedWB(TComponent* owner);

    // The tool host. One override serves both bases, so a test's document or automation object
    // reaches the tools as well.
    [[nodiscard]] ComPtr<IDispatch> Document() const override { return THWB::Document(); }
    [[nodiscard]] ComPtr<IDispatch> Application() const override { return THWB::Application(); }
    [[nodiscard]] IWebBrowser2* Browser() const override { return DefaultInterface(); }
    [[nodiscard]] std::wstring LocationURL() const override { return THWB::LocationURL(); }
    [[nodiscard]] std::wstring LocationName() const override { return THWB::LocationName(); }
    [[nodiscard]] HWND HostWindow() const override { return HandleIfAllocated(); }
    [[nodiscard]] int HostWidth() const override { return Width(); }
    [[nodiscard]] int HostHeight() const override { return Height(); }

    // Applies the option objects and installs the hooks; the window calls it once its window
    // and layout values exist (there is no load-complete notification here).
    void LoadSettings();

    // Focus.
    void SetFocus() override;
    [[nodiscard]] bool Focused() const override;

    // Navigation and waiting.
    // Asks the control to stop; failures are swallowed. Ends a running wait loop.
    void Stop() noexcept;
    // Empties the WinINet URL cache; touches no field, so any thread may call it.
    static void ClearCache() noexcept;
    // Pump until the page is complete; false when stopped, cancelled or timed out (0: no limit).
    bool Wait(DWORD TimeOut) override;
    // Pump while the control is busy; the same endings.
    bool WaitWhileBusy(DWORD TimeOut);
    // Navigates (an existing folder as a file URL); a blank URL does nothing. With a time-out,
    // waits for the page. Never raises: false when the control refuses the navigation.
    bool Go(const std::wstring& Url, DWORD TimeOut) override;

    // --- navigation, editing commands, incremental search and scrolling ---
    // None of these raises but DecodeUrl and SearchNextText; the others report a failure through
    // their result, or not at all.
    enum TSearchDirections : unsigned { sdDown, sdUp };
    enum TSearchResult : unsigned { srNotFound, srEndOf, srFound };
    using TSearchResults = TEnumSet<TSearchResult>;
    // Navigates; with a time-out other than 0, waits for the page. False when the control refused
    // the navigation or the wait failed.
    bool NavigateWait(const std::wstring& URL, DWORD TimeOut);
    // Shows the special folder (a CSIDL) or the item-id list; nothing when it cannot be had.
    void NavigateFolder(int CSIDL);
    void NavigatePidl(PCIDLIST_ABSOLUTE pidl);
    void GoBack();
    void GoForward();
    void GoAboutBlank();
    // Leaves no entry in the URL history.
    void GoNoHistory(const std::wstring& URL);
    // Url + Query with a fixed form body posted.
    void GoWithQueryDetails(const std::wstring& Url, const std::wstring& Query);
    void GoSearchInGoogle(const std::wstring& SearchTerm);
    void GoSearchInMSN(const std::wstring& SearchTerm);
    void GoSearchInYahoo(const std::wstring& SearchTerm);
    void GoSearchInBaidu(const std::wstring& SearchTerm);
    // The browser's own download of URL.
    void GoDownloadFile(const std::wstring& URL);
    // With Notify a message box tells how the download went.
    void GoDownloadMaskedFile(const std::wstring& SourceFile, const std::wstring& TargetFile,
                              bool Notify);
    bool DownloadFile(const std::wstring& SourceFile, const std::wstring& DestFile);
    // Starts the machine's default program of the kind ("Mail", "News", ...).
    bool OpenClient(const std::wstring& Client);
    void ExploreFolder(const std::wstring& Path);
    void OpenIEBrowserWithAddress();
    // The browser's start page of the current user; empty when there is none.
    [[nodiscard]] static std::wstring GetIEHomePage();
    [[nodiscard]] static bool IsValidProtocol(const std::wstring& URL) noexcept;
    // Raises EConvertError for an escape that is cut off or not hexadecimal.
    [[nodiscard]] static std::wstring DecodeUrl(const std::wstring& InputStr);
    [[nodiscard]] static std::wstring EncodeUrl(const std::wstring& InputStr, bool bQueryStr);

    // The editing commands: true only when the document ran the command (S_OK).
    bool Cut();
    bool Copy();
    bool Paste();
    bool PasteSpecial();
    bool Undo();
    bool Redo();
    bool SelectAll();
    bool ClearSelection();
    bool Delete();
    // A document command, in the browser's command group with InvokeIE, else in none.
    HRESULT InvokeCMD(bool InvokeIE, int Value1, int Value2, VARIANT& vaIn, VARIANT& vaOut);
    // WM_COMMAND Cmd to the component's window.
    void InvokeIEServerCommand(int Cmd);
    void ShowImportExportFavoritesAndCookies();
    // False, and the variant false, without a document or when it cannot answer.
    [[nodiscard]] bool IsCommandEnabled(const std::wstring& sCmdId);
    [[nodiscard]] OleVariant QueryCommandValue(const std::wstring& sCmdId);
    // The control's about box, else the browser view's version command.
    void ShowAboutBox();

    // The next match of Value from the last one (or the start of the page) in Direction, scrolled
    // into view and, with AutoSelect, selected. srEndOf: nothing more that way. A failing call of
    // the page's text range raises EOleSysError.
    TSearchResults SearchNextText(const std::wstring& Value, TSearchDirections Direction,
                                  bool AutoSelect);
    // The match of Value found with the find flags iPos after the first character of the page
    // (the routine's own reading of its arguments); empty when there is none.
    [[nodiscard]] ComPtr<IHTMLTxtRange> SearchText(const std::wstring& Value, int iPos);
    [[nodiscard]] bool SearchString(const std::wstring& strText);
    // Colours every match (in each frame), after the user confirmed or changed the text.
    void SearchAndHighlight(const std::wstring& AText, const std::wstring& ACaption,
                            const std::wstring& APrompt, TSearchFlags Flags,
                            const std::wstring& cbackColor, const std::wstring& cForeColor,
                            TScrollIntoView ScrollIntoView);
    void SearchAndHighlight(const std::wstring& aText, TSearchFlags Flags,
                            const std::wstring& cbackColor, const std::wstring& cForeColor,
                            TScrollIntoView ScrollIntoView);
    void ScrollToID(int ID);
    void ScrollToIDEx(const std::wstring& ID);
    // These three wait for the page first.
    void ScrollToTop();
    void ScrollToBottom();
    void ScrollToPosition(int X, int Y);
    [[nodiscard]] bool HScrollBarVisible();
    [[nodiscard]] bool VScrollBarVisible();
    // -1 when the position cannot be read.
    [[nodiscard]] int HScrollBarPosition();
    [[nodiscard]] int VScrollBarPosition();
    // Navigates to "about:blank"; with bWait, then waits without a time-out.
    void AssignEmptyDocument(bool bWait);
    // Loads markup as the document (each line ended by a line break, in Encoding()); asks for an
    // empty document first when there is none. Load's result, S_FALSE without a document that
    // loads from streams; the strings form gives S_FALSE for any failure of its own.
    HRESULT LoadFromStrings(const std::vector<std::wstring>& AStrings);
    HRESULT LoadFromStrings(const std::vector<std::wstring>& AStrings, bool AddHtmlTags);
    // AStream is rewound and stays the caller's: the document cannot read it after the load.
    HRESULT LoadFromStream(TMemoryStream& AStream);
    // After a wait without time-out: the HTML document, else empty.
    [[nodiscard]] ComPtr<IHTMLDocument2> GetDocument();
    // After a wait without time-out: the document saved to the file (not remembered as its file).
    HRESULT SaveToFile(const std::wstring& FileName) override;

    // Published properties with code behind them.
    void SetSilent(bool value);
    [[nodiscard]] bool RegisterAsBrowser() const;
    void SetRegisterAsBrowser(bool value);
    [[nodiscard]] const std::wstring& About() const noexcept { return FAbout; }
    std::wstring HostCSS;
    std::wstring HostNS;
    bool EnableMessageHandler = true;
    TIEPopupMenuItems DisabledPopupMenuItems;
    [[nodiscard]] TDisableErrors& DisableErrors() noexcept { return FDisableErrors; }
    [[nodiscard]] TDialogBoxes& DialogBoxes() noexcept { return FDialogBoxes; }
    [[nodiscard]] TPrintOptions& PrintOptions() noexcept { return FPrintOptions; }
    [[nodiscard]] TProxySettings& ProxySettings() noexcept { return FProxySettings; }
    [[nodiscard]] TVisualEffects& VisualEffects() noexcept { return FVisualEffects; }
    [[nodiscard]] const std::vector<std::wstring>& HTMLCode() const noexcept { return FHTMLCode; }
    void SetHTMLCode(const std::vector<std::wstring>& value);
    [[nodiscard]] const std::wstring& UserAgent() const noexcept { return FUserAgent; }
    void SetUserAgent(const std::wstring& value);
    [[nodiscard]] TUserAgentMode UserAgentMode() const noexcept { return FUserAgentMode; }
    void SetUserAgentMode(TUserAgentMode value);

    // Public properties.
    // The page's window: "Internet Explorer_Server", else "SysListView32"; null without a window.
    // (The property's own name would hide the HWND type inside this class.)
    [[nodiscard]] HWND Hwnd();
    bool Resizable = false; // stored only
    [[nodiscard]] UINT Encoding() const noexcept { return FEncoding; }
    void SetEncoding(UINT codePage) noexcept { FEncoding = codePage; }
    [[nodiscard]] bool Modified() const noexcept { return FModified; }
    void SetModified(bool value);
    // The document's design mode ("On"), named apart from the ambient DesignMode of the base.
    [[nodiscard]] bool DocumentDesignMode() const;
    void SetDocumentDesignMode(bool value);

    // Forwards of the system-services family that the component runs itself.
    void RefreshProxy();
    void DisableNavSound(bool bDisable);

    TCloseQueryEvent OnCloseQuery;
    TMsgEvent OnMessage;
    TShowDialogEvent OnShowDialog;
    TOnBusyWait OnBusyWait;
    THWBOnVisible OnVisible;
    TKeyEventEx OnKeyDown, OnKeyUp;
    // Hides the control's click notification: raised from the window procedure with a button.
    TMouseEvent OnClick;
    THTMLCodeChangeEvent OnHTMLCodeChange;

    // IUnknown for every interface, the protocol pair's included.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"THostedWB"; }
    void WndProc(TMessage& m) override;
    void AfterConstruction() override;
    void BeforeDestruction() noexcept override;
    void VisibleChanged() override;
    [[nodiscard]] void* QueryHostInterface(REFIID riid) noexcept override;
    bool IsMenuFilterActive() override;
    void FilterPopupMenu(DWORD ID, HMENU Menu, IDispatch* Context) override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* pInfo) override;

    // Seams at the control: its ready state (-525) and the version test made at creation.
    [[nodiscard]] virtual long ReadyState() const;
    [[nodiscard]] virtual bool VersionIsXPSP2OrLater() const noexcept;

    // The owner hook and the activated-dialog check.
    void InstallOwnerHook();
    void RemoveOwnerHook() noexcept;
    // This instance's share of the owner's messages, before the procedure it found.
    void OwnerWindowProc(TMessage& m);
    void CheckActivatedDialog(HWND h) noexcept;
    // Child windows.
    void HookChildWindowsIfNeeded();
    void HookChildWindows();
    void UnhookChildWindows() noexcept;
    LRESULT ChildWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void ActivateBrowser(TForm* form);
    // User agent and HTML code.
    void ApplyUserAgentMode();
    void RemoveUserAgentToken() noexcept;
    HRESULT SupplyUserAgent(std::wstring& agent);
    void ApplyHTMLCode();

private:
    // IInternetProtocolRoot
    HRESULT STDMETHODCALLTYPE Start(LPCWSTR szUrl, IInternetProtocolSink* pOIProtSink,
                                    IInternetBindInfo* pOIBindInfo, DWORD grfPI,
                                    HANDLE_PTR dwReserved) override;
    HRESULT STDMETHODCALLTYPE Continue(PROTOCOLDATA* pProtocolData) override;
    HRESULT STDMETHODCALLTYPE Abort(HRESULT hrReason, DWORD dwOptions) override;
    HRESULT STDMETHODCALLTYPE Terminate(DWORD dwOptions) override;
    HRESULT STDMETHODCALLTYPE Suspend() override;
    HRESULT STDMETHODCALLTYPE Resume() override;
    // IInternetProtocol
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                                   ULARGE_INTEGER* plibNewPosition) override;
    HRESULT STDMETHODCALLTYPE LockRequest(DWORD dwOptions) override;
    HRESULT STDMETHODCALLTYPE UnlockRequest() override;

    bool RunWaitLoop(DWORD TimeOut, const std::function<bool()>& waiting);
    // The child windows' subclass procedure (reference data: the instance).
    static LRESULT CALLBACK ChildSubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR id, DWORD_PTR refData) noexcept;
    bool SubclassChild(HWND wnd, UINT_PTR id) noexcept;
    void FillPrintDialog(HWND h);
    bool HandleFolderListKey(WORD key, TShiftState shift) noexcept;

    std::wstring FAbout;
    ComPtr<IInternetBindInfo> FBindInfo;
    bool FDestroying = false;
    TDialogBoxes FDialogBoxes;
    TDisableErrors FDisableErrors;
    std::vector<std::wstring> FHTMLCode;
    bool FHTMLCodeLoaded = false; // LoadSettings ran: later changes apply at once
    bool FModified = false;
    TPrintOptions FPrintOptions;
    ComPtr<IInternetProtocolSink> FProtSink;
    TProxySettings FProxySettings;
    bool FResizing = false;
    TMeasure FRuntimeMeasure = mMetric;
    bool FSilent = true;
    std::wstring FUserAgent;
    std::wstring FUserAgentInt;
    TUserAgentMode FUserAgentMode = uaDefault;
    std::wstring FUserAgentReg;
    bool FUserAgentRegSet = false;
    TVisualEffects FVisualEffects;
    bool FStopped = false;
    bool FWinXPSP2orLater = true;
    bool FWndProcSubClassed = false;
    // The running incremental search: its text, its range and the document that range was made
    // from, 0 or the direction of the last match + 1, and the direction of the last search.
    std::wstring FSearchText;
    ComPtr<IHTMLTxtRange> FTextRange;
    ComPtr<IUnknown> FTextRangeDocument;
    int FHTMLChar = 0;
    TSearchDirections FLastSearchDirection = sdDown;
    struct TOwnerLink; // this instance's link in its owner's chain of window procedures
    std::shared_ptr<TOwnerLink> FOwnerLink;
    TWinControl* FParentForm = nullptr;
    bool FOwnerHooked = false; // this instance installed the owner hook
    HWND FShellDocObjViewHandle = nullptr;
    HWND FSysListViewHandle = nullptr;
    HWND FInetExplorerServerHandle = nullptr;
    bool FActivating = false; // activating the browser now: focus changes it makes come back
    UINT FEncoding = CP_ACP;
    ComPtr<IInternetSecurityManager> SecurityManager;
    ComPtr<IInternetZoneManager> ZoneManager;
    // Tells a running wait loop that this instance is gone without reading it.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

} // namespace tn
