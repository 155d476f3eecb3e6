// The browser component that the launcher's windows place on their layouts: the hosted browser
// with option objects read at load time, its own window procedure, waiting and stopping,
// suppression of the browser's dialogs, hooks on its owner and child windows, the user agent,
// the HTML code property and a protocol object that answers the control.
#pragma once

#include "browser/component/HostedWBOptions.h"
#include "browser/host/HwbCore.h"
#include "browser/tools/ScriptTools.h"
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
class TInternetClientCalls;
struct ShellCalls;
class TImage;

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
    [[nodiscard]] TLifeToken Life() const noexcept override { return TCustomHostedWB::Life(); }

    // Applies the option objects and installs the hooks; the window calls it once its window
    // and layout values exist (there is no load-complete notification here).
    void LoadSettings();

    // Focus.
    void SetFocus() override;
    [[nodiscard]] bool Focused() const override;

    // Printing, the browser's dialogs, the page's source, text and links, and pictures of the
    // page. Failure shows only in the results (false, empty, nothing done): nothing is raised.
    // Those that say so wait for the page first, without a time-out. A dialog runs the program's
    // messages: one that frees this instance leaves the operation with its empty answer.
    // Waits; prints, without the print dialog when HideSetup; the header and footer go to the
    // print command only while the print options are not Enabled.
    void Print() noexcept;
    // Waits; the page setup (the dialog filled from the print options when they are Enabled),
    // then the print as above, without header and footer.
    void PrintWithOptions() noexcept;
    // Waits; the page-setup dialog, filled from the print options when UsePrintOptions and they
    // are Enabled. Whether the command ran.
    bool PageSetup(bool UsePrintOptions) noexcept;
    // Waits; the browser's page-setup command, without its dialog when HideSetup.
    void PrintSetup() noexcept;
    void PrintPreview() noexcept;
    // The preview window, shown with nCmdShow once it comes up (prompting unless HideSetup).
    void PrintPreviewExtended(int nCmdShow) noexcept;
    void PrintPreviewFromTemplate(const std::wstring& TemplateFileName) noexcept;
    // A file-open dialog: a chosen page is opened here. Whether the user confirmed.
    bool OpenDialog() noexcept;
    // A file-save dialog (empty filter and title: the defaults): the page is saved to the chosen
    // file, whose name is returned; empty when cancelled.
    std::wstring SaveDialogEx(const std::wstring& AFilter, const std::wstring& ATitle) noexcept;
    // The browser's own dialogs and source window: whether the command ran.
    bool SaveDialog() noexcept;
    bool ShowInternetOptions() noexcept;
    bool ShowPageProperties() noexcept;
    bool ShowFindDialog() noexcept;
    bool ViewPageSourceHtml() noexcept;
    // The page's pictures into a folder the user chooses.
    void SaveImagesDialog() noexcept;
    // Waits; the page's text through a save dialog.
    void SavePageTextDialog() noexcept;
    // The page's text in a message box.
    void ViewPageSourceText() noexcept;
    // Waits; the page's text, or its markup, as the one line of the list (empty without a page).
    void ViewPageSourceTextToStrings(std::vector<std::wstring>& TextList) noexcept;
    void ViewPageSourceHtmlToStrings(std::vector<std::wstring>& HtmlList) noexcept;
    // The addresses of the page's links, its frames' included (empty without a page).
    void ViewPageLinksToStrings(std::vector<std::wstring>& LinksList) noexcept;
    // A thumbnail of the page into the image, at the image's size.
    void GetThumbnail(class TImage* Image) noexcept;
    // The page at the component's width and height into a bitmap file.
    bool GetBmpFromBrowser(const std::wstring& FileName) noexcept;
    // The page's source area scaled to the target size into a JPEG file.
    bool GetJpegFromBrowser(const std::wstring& FileName, int SourceHeight, int SourceWidth,
                            int TargetHeight, int TargetWidth) noexcept;

    // Navigation and waiting.
    // Asks the control to stop; failures are swallowed. Ends a running wait loop.
    void Stop() noexcept;
    // Empties the WinINet URL cache; touches no field, so any thread may call it.
    static void ClearCache() noexcept;
    // Pump until the page is complete; false when stopped, cancelled or timed out (0: no limit),
    // and when a message it pumped (or the busy-wait handler) freed this instance.
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
    // WM_COMMAND Cmd to the control's window, which acts on the browser's window commands.
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

    // The document and its frames, loading and saving, source, form fields and scripts. HRESULT
    // results: S_OK, S_FALSE without a document or frame to act on, else the failing call's code.
    // Without a document each gives its empty value; only GetWordAtCursor, ExecScriptEx and
    // LoadFromString (a failing Load) raise.
    // Frames are the objects the document's container enumerates, counted from 0.
    [[nodiscard]] ComPtr<IWebBrowser2> GetFrame(WORD FrameNo);
    // Embedded and other objects of SourceDoc; empty while this component has no document.
    [[nodiscard]] ComPtr<IWebBrowser2> GetFrameFromDocument(IHTMLDocument2* SourceDoc, int FrameNo);
    void RefreshFrame(WORD FrameNo);
    // A comma-separated list of frame numbers, each a frame of the document reached so far.
    [[nodiscard]] ComPtr<IHTMLDocument2> NavigateToFrame(const std::wstring& FrameList);
    [[nodiscard]] int FrameCount();
    [[nodiscard]] int FrameCountFromDocument(IHTMLDocument2* SourceDoc);
    // The innermost document reached through active frame elements (the start when none).
    [[nodiscard]] ComPtr<IHTMLDocument2> GetActiveFrame();
    [[nodiscard]] ComPtr<IHTMLDocument2> GetActiveFrame(IHTMLDocument2* Doc);
    // Doc's active element, or that of the active frame when Doc is null.
    [[nodiscard]] ComPtr<IHTMLElement> GetActiveElement(IHTMLDocument2* Doc);
    // The selection of the top document or the active frame, once that is complete.
    [[nodiscard]] std::wstring GetSelectedText(bool ReturnAsHTML, bool bOnlyTopLevel);
    [[nodiscard]] int GetSelLength(bool bOnlyTopLevel);
    // The loaders ask for an empty document first when there is none.
    HRESULT LoadFromString(const std::wstring& St);
    HRESULT LoadFromWideString(const std::wstring& WideSt);
    // A file error gives its code as an HRESULT.
    HRESULT LoadFromFile(const std::wstring& FileName);
    // The picture as a Windows bitmap file; S_FALSE without an image or a picture.
    HRESULT LoadFromImage(TImage* Image);
    HRESULT LoadFrameFromStrings(WORD FrameNo, const std::vector<std::wstring>& AStrings);
    HRESULT LoadFrameFromStream(int FrameNo, TMemoryStream& AStream);
    // Written at AStream's position; the document is no longer dirty.
    HRESULT SaveToStream(TMemoryStream& AStream);
    // A byte-order mark decides the saved text's encoding, else Encoding(). S_OK or S_FALSE.
    HRESULT SaveToStrings(std::vector<std::wstring>& AStrings);
    // The frame savers do not wait.
    HRESULT SaveFrameToFile(WORD FrameNo, const std::wstring& FName);
    HRESULT SaveFrameToStream(int FrameNo, TMemoryStream& AStream);
    HRESULT SaveFrameToStrings(int FrameNo, std::vector<std::wstring>& AStrings);
    // The markup (or text) of the document element, followed by CR LF.
    [[nodiscard]] std::wstring DocumentSource();
    [[nodiscard]] std::wstring DocumentSourceText();
    // Navigates to "about:" and the markup; false when the control refuses.
    bool AddHtmlToAboutBlank(const std::wstring& StringToHtml);
    [[nodiscard]] std::wstring GetFieldValue(const std::wstring& FieldName);
    // ElementNr -1: the first field of the name that takes a value; N above 0: only the one of
    // index N (from 0); any other number: none.
    bool FillForm(const std::wstring& FieldName, const std::wstring& Value, int ElementNr);
    void FillFormAndExcecute();
    [[nodiscard]] std::wstring GetCookie() const { return Cookie(); }
    bool SetCharartersSet(const std::wstring& ACharactersSet, bool Refresh);
    void ExecScript(const std::wstring& sExpression, const std::wstring& sLanguage);
    OleVariant ExecScriptEx(const std::wstring& MethodName, const std::vector<TScriptArg>& Args);
    [[nodiscard]] std::wstring GetWordAtCursor(int X, int Y);

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
    // The setters apply the mode; a registry that refuses the token leaves it unwritten.
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

    // The system's browser settings, each through its tool routine. None raises: a failure comes
    // back as the neutral result (false, an empty text, nothing done) or as the routine's own
    // message box.
    // Folders, paths and host.
    [[nodiscard]] static std::wstring GetCookiesPath() noexcept;
    [[nodiscard]] static std::wstring GetHistoryPath() noexcept;
    [[nodiscard]] static std::wstring GetFavoritesPath() noexcept;
    [[nodiscard]] static std::wstring GetSpecialFolderPath(HWND CallerHandle, int CSIDL) noexcept;
    // "No default browser found." when none is registered.
    [[nodiscard]] static std::wstring GetDefaultBrowserFromRegistry() noexcept;
    [[nodiscard]] std::wstring GetCachedFileFromURL(const std::wstring& ItemUrl) const noexcept;
    [[nodiscard]] static std::wstring URLFromFavorites(const std::wstring& dotURL) noexcept;
    [[nodiscard]] static std::wstring UrlFromHistory(IShellFolder* ShellFolder,
                                                     PCUITEMID_CHILD pidl) noexcept;
    static bool GetIPAndHostName(std::wstring& HostName, std::wstring& IPaddr,
                                 std::wstring& WSAErr) noexcept;
    // The first window of that class in WebBrowser's first-child chain; null for no component.
    [[nodiscard]] static HWND GetIEHandle(THostedWB* WebBrowser,
                                          const std::wstring& ClassName) noexcept;
    // A dispatch interface held by value (VT_DISPATCH), nothing else.
    [[nodiscard]] static bool VariantIsObject(const VARIANT& value) noexcept;
    // Favourites, shortcuts, home page and window size.
    static void AddToFavorites(const std::wstring& URL, const std::wstring& Title) noexcept;
    bool ShowOrganizeFavorites() noexcept;
    // Commands of the control's window: a desktop shortcut of the page, the version dialog.
    void CreateDesktopShortcut() noexcept;
    void ShowIEVersionInfo() noexcept;
    static void SetNewHomePage(const std::wstring& HomePage) noexcept;
    static bool GetLastVisitedPage(std::wstring& LastVisitedPage) noexcept;
    bool SaveLastVisitedPage() noexcept;
    static void SaveApplicationFormSize() noexcept;
    static void RestoreApplicationFormSize() noexcept;
    // History, typed addresses and online state (the cache: ClearCache).
    void ClearHistory() noexcept;
    static void ClearTypedUrls() noexcept;
    [[nodiscard]] bool CheckOnlineStatus() const noexcept;
    [[nodiscard]] bool IsGlobalOffline() const noexcept;
    void WorkOnline() noexcept;
    void WorkOffline() noexcept;
    // Zones, security and certificates. The checks are false for a listed site without the
    // protocol's value; the SSL status is read from the page for an address holding "https://".
    static void AddToRestrictedSiteList(const std::wstring& URL) noexcept;
    static void AddToTrustedSiteList(const std::wstring& URL) noexcept;
    [[nodiscard]] static bool CheckIfInTrustedList(const std::wstring& Host,
                                                   bool SecureSite) noexcept;
    [[nodiscard]] static bool CheckIfInRestricredList(const std::wstring& Host,
                                                      bool SecureSite) noexcept;
    static bool ImportCertFile(const std::wstring& FileName,
                               const std::wstring& StoreType) noexcept;
    static void GetZoneIcon(const std::wstring& IconPath, UniqueIcon& Icon) noexcept;
    // The attributes of URL's zone (not the current page's); the size alone when none is found.
    [[nodiscard]] static ZONEATTRIBUTES GetZoneAttributes(const std::wstring& URL) noexcept;
    bool GetZoneIconToForm() noexcept;
    bool GetSSLStatus(std::wstring& SSLName, std::wstring& SSLDescription) noexcept;
    bool GetURLSecurityZone(std::wstring& ZoneName, std::wstring& ZoneDescription,
                            UniqueIcon& Icon) noexcept;
    // Mail, shown for editing before it goes: the page saved to FileName as an attachment; a new
    // empty message; the page's address with its name as the subject.
    void SendPageInMailAsAttachment(TComponent* aOwner, const std::wstring& FileName,
                                    const std::wstring& Subject, const std::wstring& Body) noexcept;
    static void CreateNewMail() noexcept;
    void SendURLInMail() noexcept;

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
    // Seams at the system: the browser library's major version (-1: unreadable) and the
    // internet-client calls behind the cache lookup, the history and the online state.
    [[nodiscard]] virtual int BrowserMajorVersion() const noexcept;
    [[nodiscard]] virtual const TInternetClientCalls& InternetClient() const noexcept;
    // The shell calls behind the favourites dialog.
    [[nodiscard]] virtual const ShellCalls& Shell() const noexcept;

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
    void WriteUserAgentToken() noexcept;
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
    // The browser's in-place window (the control's own, below this one); null while it has none.
    [[nodiscard]] HWND ControlWindow() const noexcept;
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
};

} // namespace tn
