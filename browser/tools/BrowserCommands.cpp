#include "browser/tools/BrowserCommands.h"

#include "browser/tools/ScriptTools.h"
#include "browser/tools/UrlCache.h"
#include "classlib/Application.h"
#include "classlib/ComPtr.h"
#include "classlib/Controls.h"
#include "classlib/Dialogs.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"

#include <docobj.h>
#include <shellapi.h>
#include <urlhist.h>

#include <climits>

namespace tn {

namespace {

// Every pattern list but the last ends in a line feed and a carriage return, as the browser's own
// dialogs have them.
constexpr wchar_t kOpenFilter[] =
    L"Internet Files|*.htm; *.html; *.url; *.mht; *.mhtml; *.php *.asp"
    L"\n\r|Image Files| *.gif;*.bmp;*.ico;*.jpg;*.png;*.wmf; *.emf; "
    L"\n\r|Text & Documents Files| *.txt;*.doc;*.xls;*.dot;"
    L"\n\r|Compressed Files| *.zip;"
    L"\n\r|XML Files| *.xml;"
    L"\n\r|Any Files|*.*";
constexpr wchar_t kSaveFilter[] = L"Internet Files|*.htm; *.html;*.mht; *.mhtml; *.php *.asp"
                                  L"\n\r|Text & Documents Files| *.txt;*.doc;*.xls;*.dot;"
                                  L"\n\r|XML Files| *.xml;"
                                  L"\n\r|Any Files|*.*";
constexpr wchar_t kOpenTitle[] = L"Browser - Open Dialog";
constexpr wchar_t kSaveTitle[] = L"Browser - Save Dialog";

constexpr wchar_t kGoogleHost[] = L"http://www.google.com";
constexpr wchar_t kMsnHost[] = L"http://search.msn.com";
constexpr wchar_t kBaiduHost[] = L"http://www.baidu.com";
constexpr wchar_t kYahooHost[] = L"http://search.yahoo.com";

constexpr wchar_t kPostBody[] = L"version=current&name=myname\r\n";
constexpr wchar_t kPostHeaders[] = L"Content-Type:application/x-www-form-urlencoded\r\n";

constexpr WPARAM kNewWindowCommand = 275;
constexpr LONG kNavNoHistory = 2;

HRESULT SystemCreateUrlHistory(IUnknown** history) {
    return SystemInternetClient().CreateUrlHistory(history);
}

// The window of the nearest windowed component from Owner up its owners; none without one.
HWND OwnerWindow(TComponent* Owner) noexcept {
    for (TComponent* c = Owner; c; c = c->Owner())
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated())
            return w->HandleIfAllocated();
    return nullptr;
}

TFileDialogRequest PageDialogRequest(TComponent* Owner, std::wstring Title, std::wstring Filter) {
    TFileDialogRequest request;
    request.Owner = OwnerWindow(Owner);
    request.Title = std::move(Title);
    request.Filter = std::move(Filter);
    request.Options |= ofShowHelp | ofEnableSizing;
    request.HelpContext = 0;
    return request;
}

bool RunCommand(IUnknown* Document, bool UseGroup, DWORD CmdID) noexcept {
    OleVariant in, out;
    return ExecOleCommand(Document, UseGroup, CmdID, OLECMDEXECOPT_DODEFAULT, in.ptr(),
                          out.ptr()) == S_OK;
}

IWebBrowser2& BrowserOf(TBrowserToolHost& Host) {
    IWebBrowser2* browser = Host.Browser();
    if (!browser) throw EOleSysError(E_UNEXPECTED);
    return *browser;
}

// The default value of the key below HKEY_LOCAL_MACHINE; empty when the key is missing.
std::wstring MachineDefaultValue(const std::wstring& Key) {
    TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
    return reg.OpenKeyReadOnly(Key) ? reg.ReadString(L"") : std::wstring();
}

} // namespace

TBrowserCommandCalls& BrowserCommandCalls() noexcept {
    static TBrowserCommandCalls calls{&::ShellExecuteW, &SystemCreateUrlHistory};
    return calls;
}

bool OpenPageDialog(TBrowserToolHost& Host, TComponent* Owner) {
    TFileDialogRequest request = PageDialogRequest(Owner, kOpenTitle, kOpenFilter);
    const bool confirmed =
        Host.AnswerIfLives(false, [&] { return DialogCalls().OpenFile(request); });
    if (confirmed) (void)Host.Go(request.FileName, 0);
    return confirmed;
}

void SavePageDialog(TBrowserToolHost& Host, TComponent* Owner, const std::wstring& Title,
                    const std::wstring& Filter, std::wstring& FileName) {
    FileName.clear();
    TFileDialogRequest request = PageDialogRequest(Owner, Title.empty() ? kSaveTitle : Title,
                                                   Filter.empty() ? kSaveFilter : Filter);
    bool confirmed = false;
    if (!Host.LivesAfter([&] { confirmed = DialogCalls().SaveFile(request); })) return;
    if (confirmed) FileName = request.FileName;
    if (!request.FileName.empty()) (void)Host.SaveToFile(request.FileName);
}

bool ShowSaveAsCommand(IUnknown* Document) noexcept {
    return RunCommand(Document, false, OLECMDID_SAVEAS);
}

bool ShowPagePropertiesCommand(IUnknown* Document) noexcept {
    return RunCommand(Document, false, OLECMDID_PROPERTIES);
}

bool ShowFindCommand(IUnknown* Document) noexcept {
    return RunCommand(Document, true, 1);
}

bool ShowSourceCommand(IUnknown* Document) noexcept {
    return RunCommand(Document, true, 2);
}

bool ShowInternetOptionsCommand(IUnknown* Document) noexcept {
    return RunCommand(Document, true, 3);
}

bool StartDefaultClient(const std::wstring& Client) {
    const std::wstring kind = L"Software\\Clients\\" + Client;
    const std::wstring name = MachineDefaultValue(kind);
    const std::wstring line = MachineDefaultValue(kind + L"\\" + name + L"\\shell\\open\\command");
    if (line.empty()) return false;
    // A switch is taken to follow a blank: the program ends before it, the parameters start there.
    std::wstring program = line;
    std::wstring parameters;
    if (const auto slash = static_cast<std::ptrdiff_t>(text::Pos(L"/", line)); slash > 0) {
        program = text::Copy(line, 1, slash - 2);
        parameters = text::Copy(line, slash - 1, INT_MAX);
    }
    // A line that starts with its switch names no program to start.
    if (program.empty()) return false;
    (void)BrowserCommandCalls().ShellExecuteW(Application ? Application->Handle() : nullptr,
                                              L"open", program.c_str(), parameters.c_str(), L"",
                                              SW_SHOW);
    return true;
}

void ExploreFolderPath(HWND Wnd, const std::wstring& Path) {
    (void)BrowserCommandCalls().ShellExecuteW(Wnd, L"explore", Path.c_str(), nullptr, nullptr,
                                              SW_SHOWNORMAL);
}

LRESULT SendNewWindowCommand(HWND Wnd) {
    return ::SendMessageW(Wnd, WM_COMMAND, kNewWindowCommand, 0);
}

void SearchWithGoogle(TBrowserToolHost& Host, const std::wstring& Term) {
    NavigateIfNotBlank(Host, kGoogleHost + (L"/search?ie=ISO-8859-1&q=" + Term));
}

void SearchWithMsn(TBrowserToolHost& Host, const std::wstring& Term) {
    NavigateIfNotBlank(Host,
                       kMsnHost + (L"/results.aspx?q=" + Term + L"&FORM=CBPW&first=1&noredir=1"));
}

void SearchWithBaidu(TBrowserToolHost& Host, const std::wstring& Term) {
    (void)Host.Go(kBaiduHost + (L"/s?wd=" + Term), 0);
}

void SearchWithYahoo(TBrowserToolHost& Host, const std::wstring& Term) {
    (void)Host.Go(kYahooHost + (L"/bin/search?p=" + Term), 0);
}

void NavigateIfNotBlank(TBrowserToolHost& Host, const std::wstring& URL) {
    if (text::Trim(URL).empty()) return;
    OleVariant url(URL);
    OleVariant flags(LONG{0}), target(LONG{0}), postData(LONG{0}), headers(LONG{0});
    OleCheck(BrowserOf(Host).Navigate2(url.ptr(), flags.ptr(), target.ptr(), postData.ptr(),
                                       headers.ptr()));
}

void NavigateWithPostData(TBrowserToolHost& Host, const std::wstring& Url,
                          const std::wstring& Query) {
    OleVariant url(Url + Query);
    OleVariant flags(LONG{0}), target, postData, headers(kPostHeaders);
    StringToByteArray(kPostBody, postData);
    OleCheck(BrowserOf(Host).Navigate2(url.ptr(), flags.ptr(), target.ptr(), postData.ptr(),
                                       headers.ptr()));
}

void NavigateWithoutHistory(TBrowserToolHost& Host, const std::wstring& URL) {
    const Bstr url(URL);
    OleVariant flags(kNavNoHistory), empty;
    OleCheck(
        BrowserOf(Host).Navigate(url.get(), flags.ptr(), empty.ptr(), empty.ptr(), empty.ptr()));
    (void)WaitForDocument(Host);
    ComPtr<IUnknown> history;
    OleCheck(BrowserCommandCalls().CreateUrlHistory(history.put()));
    const auto stg = history.as<IUrlHistoryStg>();
    if (!stg) throw EOleSysError(E_NOINTERFACE);
    // The store may keep no history to delete from: the navigation has been made all the same.
    (void)stg->DeleteUrl(URL.c_str(), 0);
}

bool NavigateToBlank(TBrowserToolHost& Host) {
    (void)Host.Go(L"about:blank", 0);
    return WaitForDocument(Host);
}

bool NavigateToAboutHtml(TBrowserToolHost& Host, const std::wstring& HTML) {
    const Bstr url(L"about:" + HTML);
    OleVariant empty;
    OleCheck(
        BrowserOf(Host).Navigate(url.get(), empty.ptr(), empty.ptr(), empty.ptr(), empty.ptr()));
    return true;
}

} // namespace tn
